// The toolbar icons found among the resources: a checked picture of its own (Play shows Pause
// while playing), and no icon at all for a picture that is not there.
#include <gtest/gtest.h>

#include <tuple>
#include <utility>

#include <QImage>

#include "content/model/paths.h"
#include "toolkit/toolbar_icons.h"

using namespace ledsuite;

namespace {

QImage Shipped(const char* name) {
    return QImage(QString::fromStdString(ResourcePath("icons") + "/" + name + ".png"))
        .convertToFormat(QImage::Format_ARGB32_Premultiplied);
}

QImage Shown(const QIcon& icon, QIcon::State state) {
    return icon.pixmap(QSize(kToolbarIconSize, kToolbarIconSize), QIcon::Normal, state)
        .toImage()
        .convertToFormat(QImage::Format_ARGB32_Premultiplied);
}

}  // namespace

TEST(ToolbarIcons, ACheckedButtonShowsItsCheckedPictureAndAMissingPictureGivesNoIcon) {
    ASSERT_FALSE(Shipped("play").isNull() || Shipped("pause").isNull());
    const QIcon play = ToolbarIcon("play", "pause");
    EXPECT_EQ(std::pair(Shown(play, QIcon::Off) == Shipped("play"), Shown(play, QIcon::On) == Shipped("pause")),
              std::pair(true, true));
    // Without a checked picture the button keeps its one picture when checked.
    EXPECT_TRUE(Shown(ToolbarIcon("loop"), QIcon::On) == Shipped("loop"));
    EXPECT_EQ(std::tuple(ToolbarIcon("no_such_picture").isNull(), ToolbarIcon("no_such_picture", "pause").isNull(),
                         Shown(ToolbarIcon("stop", "no_such_picture"), QIcon::On) == Shipped("stop")),
              std::tuple(true, true, true));
}
