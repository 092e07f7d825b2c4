#include <gtest/gtest.h>

#include <QMenu>

#include "tests/qt_main/qt_test_util.h"
#include "toolkit/small_widgets.h"

using namespace ledsuite;
using namespace ledsuite::testing;

TEST(SmallWidgets, MenuItemsAreFoundByCommandIdInSubmenus) {
    QMenu menu;
    QAction* item = menu.addMenu("Sub")->addAction("Old");
    item->setData(32771);
    item->setCheckable(true);
    item->setChecked(true);
    EXPECT_TRUE(SetMenuItemText(&menu, 32771, "New"));
    EXPECT_EQ(item->text(), QString("New"));
    EXPECT_TRUE(SetMenuItemDisabled(&menu, 32771, true));
    EXPECT_FALSE(item->isEnabled());
    EXPECT_TRUE(item->isChecked());  // other state stays
    EXPECT_TRUE(SetMenuItemDisabled(&menu, 32771, false));
    EXPECT_TRUE(item->isEnabled());
    EXPECT_FALSE(SetMenuItemText(&menu, 1, "none"));
}

TEST(SmallWidgets, SplitterBarsAreFrozenWhileThePreviewLockIsOn) {
    std::unique_ptr<CFixedSplitter> splitter(CFixedSplitter::CreateObject(Qt::Horizontal));
    splitter->addWidget(new QWidget);
    splitter->addWidget(new QWidget);
    splitter->resize(300, 100);
    splitter->setSizes({150, 150});
    splitter->show();
    QWidget* handle = splitter->handle(1);
    auto drag = [&] {
        const QPoint from = handle->rect().center();
        SendMouse(handle, QEvent::MouseButtonPress, from, Qt::LeftButton, Qt::LeftButton);
        SendMouse(handle, QEvent::MouseMove, from + QPoint(40, 0), Qt::NoButton, Qt::LeftButton);
        SendMouse(handle, QEvent::MouseButtonRelease, from + QPoint(40, 0), Qt::LeftButton, Qt::NoButton);
    };
    const QList<int> before = splitter->sizes();
    SetPreviewLock(true);
    drag();
    EXPECT_EQ(splitter->sizes(), before);
    EXPECT_EQ(handle->cursor().shape(), Qt::ArrowCursor);
    SetPreviewLock(false);
    drag();
    EXPECT_GT(splitter->sizes()[0], before[0]);
}

TEST(SmallWidgets, PictureListStretchesEachPictureIntoItsItem) {
    CListBoxEx box;
    QPixmap red(4, 4);
    red.fill(Qt::red);
    box.AddBitmap(red);
    box.AddBitmap(QPixmap());
    box.resize(100, 60);
    box.show();
    const QRect first = box.visualItemRect(box.item(0));
    EXPECT_EQ(first.height(), CListBoxEx::MeasureItem());
    const QImage shot = box.viewport()->grab().toImage();
    EXPECT_EQ(shot.pixelColor(first.center()), QColor(Qt::red));
    EXPECT_NE(shot.pixelColor(box.visualItemRect(box.item(1)).center()), QColor(Qt::red));
}
