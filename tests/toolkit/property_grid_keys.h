#pragma once
// The property grid as a user works it: a click on a value cell opens its editor, a number, a
// date or a time is typed with Return, an option is clicked in the painted drop-down.
#include <gtest/gtest.h>

#include <QAbstractItemView>
#include <QApplication>
#include <QComboBox>
#include <QSpinBox>
#include <QTest>
#include <QTreeWidget>

#include "toolkit/property_grid.h"

namespace ledsuite::testing {

// The value cell of `key`, scrolled into view, in the tree's viewport.
inline QPoint ValuePoint(PropertyGrid* g, int key) {
    QTreeWidget* tree = g->Tree();
    tree->scrollToItem(g->Item(key));
    return QPoint(tree->columnViewportPosition(1) + 6, tree->visualItemRect(g->Item(key)).center().y());
}

// Clicks the value cell of `key`; the in-place editor that opens.
inline QWidget* OpenValue(PropertyGrid* g, int key) {
    QTest::mouseClick(g->Tree()->viewport(), Qt::LeftButton, {}, ValuePoint(g, key));
    for (QWidget* w : g->Tree()->viewport()->findChildren<QWidget*>(Qt::FindDirectChildrenOnly))
        if (w->isVisible() && (qobject_cast<QSpinBox*>(w) || qobject_cast<QComboBox*>(w))) return w;
    return nullptr;
}

// Selects all in the number box of `key`, types `text` and presses Return.
inline void TypeNumber(PropertyGrid* g, int key, const QString& text) {
    auto* spin = qobject_cast<QSpinBox*>(OpenValue(g, key));
    ASSERT_NE(spin, nullptr) << key;
    QTest::keyClick(spin, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClicks(spin, text);
    QTest::keyClick(spin, Qt::Key_Return);
    QApplication::processEvents();
}

// Clicks the date or time value of `key`, types `text` into the editor that opens and presses Return.
inline void TypeDateTime(PropertyGrid* g, int key, const QString& text) {
    QTest::mouseClick(g->Tree()->viewport(), Qt::LeftButton, {}, ValuePoint(g, key));
    QTest::keyClicks(QApplication::focusWidget(), text);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
    QApplication::processEvents();
}

// Opens the drop-down of `key`, waits until it is painted and clicks its option `option`.
inline void ClickOption(PropertyGrid* g, int key, int option) {
    auto* combo = qobject_cast<QComboBox*>(OpenValue(g, key));
    ASSERT_NE(combo, nullptr) << key;
    combo->showPopup();
    QAbstractItemView* view = combo->view();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(view->window()));
    const QModelIndex index = view->model()->index(option, 0);
    view->scrollTo(index);
    QTest::qWait(1);
    QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, view->visualRect(index).center());
    QTest::qWait(1);
    QApplication::processEvents();
}

}  // namespace ledsuite::testing
