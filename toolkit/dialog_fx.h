#pragma once
// The skinned dialog base: a frameless dialog that draws its own caption bar (title,
// minimise / maximise / close cells in normal, hot and pressed looks), side borders and
// bottom band from a skin picture, and that is moved by dragging its caption.
#include <QDialog>
#include <QImage>
#include <QPoint>
#include <QRect>

namespace ledsuite {

inline constexpr int kCaptionHeight = 30;
inline constexpr int kBottomHeight = 34;
inline constexpr int kSideWidth = 2;
inline constexpr int kCaptionButtonWidth = 31;
inline constexpr int kCaptionButtonHeight = 18;

// Caption button codes, as held in the hover and pressed codes.
enum CaptionButton : int { kNoButton = 0, kMinimizeButton = 1, kMaximizeButton = 2, kCloseButton = 3 };

// The caption buttons in window coordinates: three adjacent cells at the top edge,
// minimise, maximise and close from left to right, the close cell ending at the inner
// edge of the right border of a window `windowWidth` wide whose client area is `clientWidth`.
struct CaptionButtonRects {
    QRect minimize, maximize, close;
};
CaptionButtonRects CaptionButtonLayout(int windowWidth, int clientWidth);
// The caption button under `pt` (window coordinates); the minimise and maximise cells
// count only when the window has that box.
int CaptionButtonAt(const CaptionButtonRects& rects, QPoint pt, bool hasMinimizeBox, bool hasMaximizeBox);

// The skin picture "dialog_skin.png" of the resources, 166 x 238: caption-button cells
// 31 x 18 (columns normal, hot, pressed; rows minimise, maximise, close, restore) and
// from y 72 the frame picture (caption rows 72-101, border samples from y 102, bottom
// band rows 186-219). A null image when it is missing or of another size: the frame is
// then not painted.
QImage LoadDialogSkin();

class CDialogFx : public QDialog {
    Q_OBJECT
public:
    explicit CDialogFx(QWidget* parent = nullptr);

    // Which caption buttons besides close the window offers (the close cell is always there).
    void SetCaptionButtons(bool minimizeBox, bool maximizeBox);
    bool HasMinimizeBox() const { return minimizeBox_; }
    bool HasMaximizeBox() const { return maximizeBox_; }
    // Resizes the window so that the area inside caption, borders and bottom band is `size`.
    void SetClientSize(QSize size);
    // The client area in window coordinates (what layouts and child widgets fill).
    QRect ClientRect() const { return contentsRect(); }

    const CaptionButtonRects& ButtonRects() const { return buttons_; }
    int HoverCode() const { return hover_; }
    int PressedCode() const { return pressed_; }
    bool HasSkin() const { return !skin_.isNull(); }

    void setVisible(bool visible) override;
    // Runs the dialog modally; a dialog whose OnInitDialog gives up is not shown and
    // answers Rejected at once.
    int exec() override;
    // Enter / OK and Esc / Cancel / the close cell end here; derived dialogs override
    // OnOK and OnCancel (calling the base to close the dialog).
    void accept() override { OnOK(); }
    void reject() override { OnCancel(); }

protected:
    // Runs once, just before the dialog is first shown. Derived dialogs call the base
    // first and give up when it returns false.
    virtual bool OnInitDialog();
    // Moves values between the dialog's controls and its data: into the controls at
    // initialisation (save false), out of them on OK (save true); false keeps an OK
    // from closing the dialog.
    virtual bool DoDataExchange(bool /*save*/) { return true; }
    virtual void OnOK() {
        if (DoDataExchange(true)) QDialog::accept();
    }
    virtual void OnCancel() { QDialog::reject(); }

    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void changeEvent(QEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void leaveEvent(QEvent* event) override;
    // Hands a caption drag to the window system; false when it cannot move the window
    // (the drag then moves it by itself).
    virtual bool StartSystemMove();

private:
    bool Initialize();  // OnInitDialog, once; its answer
    void DrawFrame(QPainter& p);
    int ButtonAt(QPoint pt) const { return CaptionButtonAt(buttons_, pt, minimizeBox_, maximizeBox_); }

    QImage skin_;
    CaptionButtonRects buttons_;
    int hover_ = kNoButton;
    int pressed_ = kNoButton;
    bool minimizeBox_ = false;
    bool maximizeBox_ = false;
    bool initialized_ = false;
    bool initOk_ = false;
    bool captionPressed_ = false;  // the left button went down in the caption bar
    bool dragging_ = false;
    QPoint dragOffset_;            // cursor position less window position while dragging
};

}  // namespace ledsuite
