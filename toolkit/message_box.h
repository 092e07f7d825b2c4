#pragma once
// The system's message box: a skinned dialog with up to three buttons, an optional icon
// and a text sized to its lines. Types and result codes are those of the classic
// platform message box, so callers keep their MB_* types and ID* answers.
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include <QLabel>
#include <QRect>
#include <QSize>

#include "content/model/lang.h"
#include "toolkit/dialog_fx.h"

class QPushButton;

namespace ledsuite {

// Result codes.
enum : int { IDOK = 1, IDCANCEL = 2, IDABORT = 3, IDRETRY = 4, IDIGNORE = 5, IDYES = 6, IDNO = 7, IDCONTINUE = 11 };
// Type bits: buttons (low four bits), icon (0xF0), focused button (0xF00).
enum : uint32_t {
    MB_OK = 0, MB_OKCANCEL = 1, MB_ABORTRETRYIGNORE = 2, MB_YESNOCANCEL = 3, MB_YESNO = 4,
    MB_RETRYCANCEL = 5, MB_CANCELTRYCONTINUE = 6,
    MB_ICONHAND = 0x10, MB_ICONQUESTION = 0x20, MB_ICONEXCLAMATION = 0x30, MB_ICONASTERISK = 0x40,
    MB_DEFBUTTON1 = 0, MB_DEFBUTTON2 = 0x100, MB_DEFBUTTON3 = 0x200, MB_TOPMOST = 0x40000,
};

// The buttons One, Two and Three of a type: captions (null when hidden) and results.
// A hidden button answers IDOK should it be pressed anyway.
struct MsgBoxButtons {
    const LangText* caption[3];
    int result[3];
    int count;
};
MsgBoxButtons MsgBoxButtonMap(uint32_t type);

// Size of a message text: carriage returns are skipped, every other character but
// line feed adds its width; a line feed, or the end of the text after a character,
// closes a line. The height is one line height per line, at least one.
QSize MeasureMessageText(std::u16string_view text, const std::function<int(char32_t)>& charWidth,
                         int lineHeight);

// The box's controls in client pixels as laid out in its template, for dialog base
// units baseX (average character width) and baseY (character height).
struct MessageBoxTemplate {
    QRect button[3], icon, text;
};
MessageBoxTemplate MessageBoxTemplateRects(int baseX, int baseY);

// Where the controls go for a text of `textSize`, with or without an icon, and how big
// the client area becomes: the text beside (or in place of) the icon, the buttons
// centred in a row below, the box as wide as the text or the button row needs.
struct MessageBoxLayout {
    QRect icon, text, button[3];
    QSize client;
};
MessageBoxLayout LayoutMessageBox(const MessageBoxTemplate& t, QSize textSize, bool hasIcon, int buttonCount);

// The text area of the box: draws its lines one line height apart.
class MessageBoxText : public QLabel {
    Q_OBJECT
public:
    using QLabel::QLabel;
    void SetLineHeight(int height) { lineHeight_ = height; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    int lineHeight_ = 0;
};

class CMessageBoxFx : public CDialogFx {
    Q_OBJECT
public:
    // `text` and `caption` may be null; both are copied.
    CMessageBoxFx(QWidget* parent, const char16_t* text, const char16_t* caption, uint32_t type);

    QPushButton* Button(int index) const { return buttons_[index]; }
    QLabel* IconLabel() const { return icon_; }
    MessageBoxText* TextLabel() const { return text_; }
    int LineHeight() const { return lineHeight_; }

protected:
    bool OnInitDialog() override;
    void OnCancel() override { done(IDCANCEL); }  // Esc and the close cell

private:
    std::optional<std::u16string> message_, caption_;
    uint32_t type_;
    int lineHeight_ = 0;
    QPushButton* buttons_[3]{};
    QLabel* icon_ = nullptr;
    MessageBoxText* text_ = nullptr;
};

// Shows a modal message box and returns the pressed button's result (IDCANCEL when it
// is closed otherwise). From a worker thread it runs on the UI thread and waits there.
int MessageBoxFx(QWidget* parent, const char16_t* text, const char16_t* caption, uint32_t type);

}  // namespace ledsuite
