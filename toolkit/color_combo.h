#pragma once
// The LED colour combo: a drop-down list of colour swatches following the screen's
// ColorCode; the pick is handed on as RgbBits.
#include <cstdint>

#include <QComboBox>

#include "toolkit/colors.h"

namespace ledsuite {

class CComboBoxColor : public QComboBox {
    Q_OBJECT
public:
    explicit CComboBoxColor(QWidget* parent = nullptr);
    // Places the combo in `parent` at `rect` with no palette yet (colour code and count 0).
    bool Create(QWidget* parent, const QRect& rect);

    // Rebuilds the palette when the code changes; then refills the list and keeps the
    // selected index, held to the new count (0 when nothing was selected). One
    // currentIndexChanged, and only when the index ends elsewhere.
    virtual void SetColorCode(uint8_t code);
    // The selected colour (0x00BBGGRR); black when nothing is selected.
    virtual uint32_t GetColor() const;
    // RgbBits of the selected colour (a channel counts above 0x80); 0 with no selection.
    virtual RgbBits GetRgbBits() const;
    // Selects the first entry of the full-intensity colour of `bits` and returns the bits;
    // when there is none the selection stays and the answer is entry 0's RgbBits.
    virtual RgbBits SelectRgbBits(RgbBits bits);

    uint8_t ColorCode() const { return code_; }
    void DrawItem(QPainter* painter, const QRect& rect, int index, bool focus, bool enabled) const;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    uint8_t code_ = 0;
    ColorComboPalette palette_;
};

}  // namespace ledsuite
