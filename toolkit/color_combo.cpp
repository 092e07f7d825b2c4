#include "toolkit/color_combo.h"

#include <algorithm>

#include <QPainter>
#include <QSignalBlocker>
#include <QStyleOptionComboBox>
#include <QStylePainter>

#include "toolkit/small_widgets.h"

namespace ledsuite {

CComboBoxColor::CComboBoxColor(QWidget* parent) : QComboBox(parent) {
    setItemDelegate(new OwnerDrawDelegate(
        [this](QPainter* p, const QStyleOptionViewItem& o, const QModelIndex& i) {
            DrawItem(p, o.rect, i.row(), o.state & QStyle::State_HasFocus, o.state & QStyle::State_Enabled);
        },
        CListBoxEx::MeasureItem(), this));
}

bool CComboBoxColor::Create(QWidget* parent, const QRect& rect) {
    setParent(parent);
    setGeometry(rect);
    code_ = 0;
    palette_ = {};
    clear();
    return true;
}

void CComboBoxColor::SetColorCode(uint8_t code) {
    if (code != code_) {
        code_ = code;
        palette_ = PaletteForColorCode(code);
    }
    const int previous = currentIndex();
    {
        // Emptying and refilling passes through "no selection" and entry 0; whoever
        // follows the selection hears only where it ends.
        const QSignalBlocker quiet(this);
        clear();
        for (int i = 0; i < palette_.count; ++i) addItem(QStringLiteral(" "));
        if (palette_.count > 0) setCurrentIndex(std::clamp(previous, 0, palette_.count - 1));
    }
    if (currentIndex() != previous) emit currentIndexChanged(currentIndex());
}

uint32_t CComboBoxColor::GetColor() const {
    const int i = currentIndex();
    return i >= 0 && i < palette_.count ? palette_.colors[i] : 0;
}

RgbBits CComboBoxColor::GetRgbBits() const { return RgbBitsOfColor(GetColor()); }

RgbBits CComboBoxColor::SelectRgbBits(RgbBits bits) {
    const uint32_t wanted = ColorOfRgbBits(bits);
    for (int i = 0; i < palette_.count; ++i) {
        if (palette_.colors[i] == wanted) {
            setCurrentIndex(i);
            return bits;
        }
    }
    return RgbBitsOfColor(palette_.colors[0]);
}

void CComboBoxColor::DrawItem(QPainter* painter, const QRect& rect, int index, bool focus, bool enabled) const {
    QStyleOptionViewItem option;
    option.rect = rect;
    option.palette = palette();
    option.state = (focus ? QStyle::State_HasFocus : QStyle::State_None) |
                   (enabled ? QStyle::State_Enabled : QStyle::State_None);
    const QRect inner = DrawOwnerDrawFrame(painter, option);
    if (index >= 0 && index < palette_.count) painter->fillRect(inner, ColorRefToQColor(palette_.colors[index]));
}

void CComboBoxColor::paintEvent(QPaintEvent*) {
    QStylePainter painter(this);
    QStyleOptionComboBox option;
    initStyleOption(&option);
    option.currentText.clear();
    painter.drawComplexControl(QStyle::CC_ComboBox, option);
    const QRect field = style()->subControlRect(QStyle::CC_ComboBox, &option, QStyle::SC_ComboBoxEditField, this);
    DrawItem(&painter, field, currentIndex(), false, isEnabled());
}

}  // namespace ledsuite
