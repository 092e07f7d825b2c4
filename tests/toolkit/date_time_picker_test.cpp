// The suite's date and time pickers as typed into: a separator right after the picker moved on
// by itself is that move; any other separator moves on, also the first key after a click or
// after the focus came back.
#include <gtest/gtest.h>

#include <QApplication>
#include <QLineEdit>
#include <QTest>
#include <QTimeEdit>
#include <QVBoxLayout>

#include "tests/qt_main/qt_test_util.h"
#include "toolkit/date_time_picker.h"

using namespace ledsuite;
using namespace ledsuite::testing;

TEST(DateTimePicker, ASeparatorMovesOnUnlessTheKeyBeforeMovedOn) {
    enum Between { kNothing, kClickMinute, kAwayAndTabBack };
    const struct {
        const char* before;  // typed after a click into the hour
        Between between;
        const char* after;
        QTime kept;
    } cases[] = {
        {"09", kNothing, ":30", QTime(9, 30, 0)},         // the hour filled: ':' is that move
        {"", kClickMinute, ":30", QTime(0, 0, 30)},       // the first key after the click
        {"9", kClickMinute, ":30", QTime(9, 0, 30)},      // a click between the move and ':'
        {"0930", kAwayAndTabBack, ":45", QTime(9, 45, 0)},  // Tab selects the hour
        {"1::5", kNothing, "", QTime(1, 0, 5)},           // nothing between two separators
        {"1:2:3", kNothing, ":4", QTime(1, 2, 34)},       // in the last section the separator does nothing
    };
    for (const auto& c : cases) {
        QWidget window;
        auto* layout = new QVBoxLayout(&window);
        auto* other = new QLineEdit;
        QTimeEdit* picker = MakeTimePicker(QStringLiteral("HH:mm:ss"));
        layout->addWidget(other);
        layout->addWidget(picker);
        window.show();
        window.activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
        ClickFirstSectionAndType(picker, c.before);
        if (c.between == kClickMinute) ClickSection(picker, 1);
        if (c.between == kAwayAndTabBack) {
            QTest::mouseClick(other, Qt::LeftButton);
            QTest::keyClick(other, Qt::Key_Tab);
        }
        ASSERT_TRUE(picker->hasFocus()) << c.before;
        QTest::keyClicks(picker, c.after);
        QTest::keyClick(picker, Qt::Key_Return);
        EXPECT_EQ(picker->time(), c.kept) << c.before << " " << c.between << " " << c.after;
    }
}
