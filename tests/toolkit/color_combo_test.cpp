#include <gtest/gtest.h>

#include <QSignalSpy>
#include <QStyleOptionComboBox>

#include "toolkit/color_combo.h"

using namespace ledsuite;

TEST(ColorPalette, EachColorCodeOffersItsColoursAndBlack) {
    const auto colors = [](uint8_t code) {
        const ColorComboPalette p = PaletteForColorCode(code);
        return std::vector<uint32_t>(p.colors.begin(), p.colors.begin() + p.count);
    };
    EXPECT_EQ(colors(12), (std::vector<uint32_t>{0x0000FF, 0x00FF00, 0x00FFFF, 0}));
    EXPECT_EQ(colors(15), (std::vector<uint32_t>{0xFF0000, 0x0000FF, 0xFF00FF, 0}));
    EXPECT_EQ(colors(7), (std::vector<uint32_t>{0x0000FF, 0, 0, 0, 0, 0, 0, 0}));
    EXPECT_EQ(colors(99), (std::vector<uint32_t>{0, 0}));
    EXPECT_EQ(RgbBitsOfColor(0x808080), 0);  // 0x80 counts as off
    EXPECT_EQ(RgbBitsOfColor(0xC0C0C0), 7);
}

TEST(ColorCombo, PicksGiveRgbBitsAndTheListFollowsTheColorCode) {
    CComboBoxColor combo;
    combo.resize(120, 24);
    combo.SetColorCode(12);
    combo.setCurrentIndex(2);
    EXPECT_EQ(combo.GetRgbBits(), 3);  // yellow
    combo.show();  // the closed combo shows the selected swatch
    QStyleOptionComboBox option;
    option.initFrom(&combo);
    const QRect field = combo.style()->subControlRect(QStyle::CC_ComboBox, &option, QStyle::SC_ComboBoxEditField, &combo);
    EXPECT_EQ(combo.grab().toImage().pixelColor(field.center()), QColor(0xFF, 0xFF, 0));

    for (int twice = 0; twice < 2; ++twice) combo.SetColorCode(2);
    EXPECT_EQ(std::pair(combo.count(), combo.currentIndex()), std::pair(16, 2));
    combo.setCurrentIndex(1);
    EXPECT_EQ(combo.GetColor(), 0x000080u);
    combo.setCurrentIndex(15);
    EXPECT_EQ(combo.GetRgbBits(), 7);
    EXPECT_EQ((std::tuple{combo.SelectRgbBits(4), combo.currentIndex()}), std::tuple(4, 12));

    combo.setCurrentIndex(3);
    QSignalSpy changes(&combo, &QComboBox::currentIndexChanged);
    for (int twice = 0; twice < 2; ++twice) combo.SetColorCode(1);
    EXPECT_EQ(std::pair(combo.count(), combo.currentIndex()), std::pair(2, 1));
    ASSERT_EQ(changes.size(), 1);  // not the refill's passing "none" and entry 0
    EXPECT_EQ(changes[0][0].toInt(), 1);
    // No blue on a red screen: entry 0's bits.
    EXPECT_EQ((std::tuple{combo.SelectRgbBits(4), combo.currentIndex()}), std::tuple(1, 1));
    combo.setCurrentIndex(-1);
    EXPECT_EQ(std::tuple(combo.GetColor(), combo.GetRgbBits()), std::tuple(0u, 0));  // nothing selected: black
}
