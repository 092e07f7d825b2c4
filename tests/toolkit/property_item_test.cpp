#include <gtest/gtest.h>

#include <QApplication>
#include <QImage>
#include <QLineEdit>
#include <QPainter>
#include <QSignalSpy>
#include <QTest>
#include <QVBoxLayout>

#include "content/model/clock.h"
#include "toolkit/property_item.h"

using namespace ledsuite;

TEST(DateTimeItem, PackedWordsShowAsTextAndPackBack) {
    CMFCPropertyGridDateTimeProperty date("Start", "", true), time("On", "", false);
    // 29 << 9 is month 0, day 0.
    for (auto [item, word, text] : {std::tuple{&date, 0x3A8F, "2029-04-15"}, {&date, 29 << 9, "2029-01-01"},
                                    {&time, 0x8A6F, "17:19:30"}}) {
        item->SetPackedValue(uint16_t(word));
        EXPECT_EQ(item->FormatProperty(), QString(text));
    }
    date.CommitEdit({2105, 3, 7, 0, 0, 0});
    date.SetPackedValue(date.GetPackedValue());
    EXPECT_EQ(date.FormatProperty(), QString("2005-03-07"));
    time.CommitEdit({2000, 1, 1, 17, 19, 31});
    time.SetPackedValue(time.GetPackedValue());
    EXPECT_EQ(time.FormatProperty(), QString("17:19:30"));

    ScopedClockOverride clock(LocalTime{2024, 2, 29, 8, 5, 6});
    EXPECT_EQ(CMFCPropertyGridDateTimeProperty("Now", "", true).FormatProperty(), QString("2024-02-29"));
}

TEST(DateTimeItem, InvalidWordsShowRawAndEditClampedAndLeavingTheEditorStoresAndNotifiesOnce) {
    const uint16_t badDate = uint16_t((23 << 9) | (13 << 5) | 31);  // month 13
    const uint16_t badTime = uint16_t((31 << 11) | (63 << 5) | 31);  // 31:63:62
    CMFCPropertyGridDateTimeProperty date("d", "", true), time("t", "", false);
    date.SetPackedValue(badDate);
    time.SetPackedValue(badTime);
    EXPECT_EQ(date.FormatProperty(), QString("2023-13-31"));
    EXPECT_EQ(time.FormatProperty(), QString("31:63:62"));
    EXPECT_EQ(date.GetPackedValue(), badDate);  // unedited: the stored word stays
    EXPECT_EQ(time.GetPackedValue(), badTime);
    const DateTimeFields feb = ClampDateTimeFields({2023, 2, 31, 24, 60, 62});
    EXPECT_EQ(std::tuple(feb.month, feb.day, feb.hour, feb.minute, feb.second), std::tuple(2, 28, 23, 59, 59));
    // Years to those a packed date keeps; the lowest value of every other field stays.
    const DateTimeFields early = ClampDateTimeFields({1999, 1, 1, 0, 0, 0}), late = ClampDateTimeFields({2150, 7, 1});
    EXPECT_EQ(std::tuple(early.year, early.month, early.day, early.hour, early.minute, early.second, late.year),
              std::tuple(2000, 1, 1, 0, 0, 0, 2099));
    EXPECT_FALSE(date.CreateInPlaceEdit(nullptr));  // no grid to edit in

    QWidget window;
    auto* layout = new QVBoxLayout(&window);
    auto* grid = new QWidget;
    grid->setMinimumSize(200, 60);
    auto* other = new QLineEdit;
    layout->addWidget(grid);
    layout->addWidget(other);
    window.show();
    QApplication::setActiveWindow(&window);
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
    QImage canvas(200, 60, QImage::Format_RGB32);
    QPainter painter(&canvas);
    date.OnDrawValue(&painter, QRect(80, 10, 110, 20));
    ASSERT_TRUE(date.CreateInPlaceEdit(grid));
    CDateTimeCtrlEx* editor = CDateTimeCtrlEx::Existing();
    EXPECT_EQ(editor->date(), QDate(2023, 12, 31));
    EXPECT_EQ(editor->geometry(), QRect(80, 10, 110, 20));
    time.OnDrawValue(&painter, QRect(80, 40, 110, 20));
    time.CreateInPlaceEdit(grid);  // ends the date edit first: one editor for all items
    EXPECT_EQ(date.FormatProperty(), QString("2023-12-31"));
    EXPECT_EQ(editor->time(), QTime(23, 59, 59));
    editor->OnKillFocus();
    EXPECT_EQ(time.FormatProperty(), QString("23:59:58"));  // as the packed word keeps it

    // After a time edit the shared editor still takes any date; the focus leaving it
    // stores the value and notifies once.
    date.SetPackedValue(0x3A8F);
    QSignalSpy changed(&date, &CPropertyGridItem::PropertyChanged);
    date.CreateInPlaceEdit(grid);
    EXPECT_EQ(editor->date(), QDate(2029, 4, 15));
    ASSERT_TRUE(editor->hasFocus());
    editor->setDate(QDate(2030, 1, 2));
    other->setFocus();
    EXPECT_FALSE(editor->isVisible());
    EXPECT_EQ(date.FormatProperty(), QString("2030-01-02"));
    EXPECT_EQ(date.GetPackedValue(), (30 << 9) | (1 << 5) | 2);
    grid->setFocus();
    other->setFocus();
    EXPECT_EQ(changed.size(), 1);
}
