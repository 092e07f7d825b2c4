#include <gtest/gtest.h>

#include <QSignalSpy>
#include <QStyleOptionComboBox>

#include "toolkit/color_combo.h"

using namespace ledsuite;

TEST(ColorPalette, EachColorCodeOffersItsColoursAndBlack) {
    const ColorComboPalette mix = PaletteForColorCode(12);
    ASSERT_EQ(mix.count, 4);
    EXPECT_EQ(mix.colors[0], 0x0000FFu);
    EXPECT_EQ(mix.colors[1], 0x00FF00u);
    EXPECT_EQ(mix.colors[2], 0x00FFFFu);
    EXPECT_EQ(mix.colors[3], 0u);
    EXPECT_EQ(PaletteForColorCode(15).colors[0], 0xFF0000u);
    EXPECT_EQ(PaletteForColorCode(7).count, 8);
    EXPECT_EQ(PaletteForColorCode(7).colors[1], 0u);
    EXPECT_EQ(PaletteForColorCode(99).count, 2);
    EXPECT_EQ(PaletteForColorCode(99).colors[0], 0u);
    EXPECT_EQ(RgbBitsOfColor(0x808080), 0);  // 0x80 counts as off
    EXPECT_EQ(RgbBitsOfColor(0xC0C0C0), 7);
}

TEST(ColorCombo, PicksGiveRgbBitsAndTheListFollowsTheColorCode) {
    CComboBoxColor combo;
    combo.SetColorCode(12);
    combo.setCurrentIndex(2);
    EXPECT_EQ(combo.GetRgbBits(), 3);  // yellow

    combo.SetColorCode(2);
    EXPECT_EQ(combo.count(), 16);
    EXPECT_EQ(combo.currentIndex(), 2);
    combo.SetColorCode(2);
    EXPECT_EQ(combo.count(), 16);
    combo.setCurrentIndex(1);
    EXPECT_EQ(combo.GetColor(), 0x000080u);
    EXPECT_EQ(combo.GetRgbBits(), 0);
    combo.setCurrentIndex(15);
    EXPECT_EQ(combo.GetRgbBits(), 7);
    EXPECT_EQ(combo.SelectRgbBits(4), 4);
    EXPECT_EQ(combo.currentIndex(), 12);

    combo.setCurrentIndex(3);
    QSignalSpy changes(&combo, &QComboBox::currentIndexChanged);
    combo.SetColorCode(1);
    EXPECT_EQ(combo.count(), 2);
    EXPECT_EQ(combo.currentIndex(), 1);
    ASSERT_EQ(changes.size(), 1);  // not the refill's passing "none" and entry 0
    EXPECT_EQ(changes[0][0].toInt(), 1);
    combo.SetColorCode(1);
    EXPECT_EQ(changes.size(), 1);
    EXPECT_EQ(combo.SelectRgbBits(4), 1);  // no blue on a red screen: entry 0's bits
    EXPECT_EQ(combo.currentIndex(), 1);

    combo.setCurrentIndex(-1);
    EXPECT_EQ(combo.GetColor(), 0u);  // nothing selected reads as black
    EXPECT_EQ(combo.GetRgbBits(), 0);
}

TEST(ColorCombo, TheClosedComboShowsTheSelectedSwatch) {
    CComboBoxColor combo;
    combo.resize(120, 24);
    combo.SetColorCode(12);
    combo.setCurrentIndex(2);
    combo.show();
    QStyleOptionComboBox option;
    option.initFrom(&combo);
    const QRect field = combo.style()->subControlRect(QStyle::CC_ComboBox, &option, QStyle::SC_ComboBoxEditField, &combo);
    EXPECT_EQ(combo.grab().toImage().pixelColor(field.center()), QColor(0xFF, 0xFF, 0));
}
