#include "toolkit/toolbar_icons.h"

#include <QPixmap>
#include <QToolBar>

#include "content/model/paths.h"

namespace ledsuite {

namespace {

QPixmap IconPicture(const char* name) {
    return QPixmap(QString::fromStdString(ResourcePath("icons") + "/" + name + ".png"));
}

}  // namespace

QIcon ToolbarIcon(const char* name, const char* checkedName) {
    const QPixmap picture = IconPicture(name);
    if (picture.isNull()) return {};
    QIcon icon(picture);
    if (checkedName) {
        const QPixmap checked = IconPicture(checkedName);
        if (!checked.isNull()) icon.addPixmap(checked, QIcon::Normal, QIcon::On);
    }
    return icon;
}

void UseIconButtons(QToolBar* toolbar) {
    toolbar->setIconSize(QSize(kToolbarIconSize, kToolbarIconSize));
    toolbar->setToolButtonStyle(Qt::ToolButtonIconOnly);
}

}  // namespace ledsuite
