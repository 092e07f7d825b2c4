#include <gtest/gtest.h>

#include <QApplication>
#include <QMenu>
#include <QMouseEvent>

#include "toolkit/small_widgets.h"

using namespace ledsuite;

namespace {
void Drag(QWidget* handle, int dx) {
    const QPoint from = handle->rect().center();
    const QPoint to = from + QPoint(dx, 0);
    QMouseEvent press(QEvent::MouseButtonPress, from, handle->mapToGlobal(from), Qt::LeftButton, Qt::LeftButton, {});
    QMouseEvent move(QEvent::MouseMove, to, handle->mapToGlobal(to), Qt::NoButton, Qt::LeftButton, {});
    QMouseEvent release(QEvent::MouseButtonRelease, to, handle->mapToGlobal(to), Qt::LeftButton, Qt::NoButton, {});
    QApplication::sendEvent(handle, &press);
    QApplication::sendEvent(handle, &move);
    QApplication::sendEvent(handle, &release);
}
}  // namespace

TEST(SmallWidgets, MenuItemsAreFoundByCommandIdInSubmenus) {
    QMenu menu;
    QMenu* sub = menu.addMenu("Sub");
    QAction* item = sub->addAction("Old");
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
    CFixedSplitter* splitter = CFixedSplitter::CreateObject(Qt::Horizontal);
    std::unique_ptr<CFixedSplitter> owner(splitter);
    splitter->addWidget(new QWidget);
    splitter->addWidget(new QWidget);
    splitter->resize(300, 100);
    splitter->setSizes({150, 150});
    splitter->show();
    const QList<int> before = splitter->sizes();
    SetPreviewLock(true);
    Drag(splitter->handle(1), 40);
    EXPECT_EQ(splitter->sizes(), before);
    EXPECT_EQ(splitter->handle(1)->cursor().shape(), Qt::ArrowCursor);
    SetPreviewLock(false);
    Drag(splitter->handle(1), 40);
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
