#include "toolkit/dialog_fx.h"

#include <QEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QWindow>

#include "content/model/paths.h"

namespace ledsuite {

namespace {

constexpr int kSkinWidth = 166, kSkinHeight = 238;
constexpr int kFrameTop = 72;  // where the frame picture starts in the skin
constexpr int kBorderSampleTop = 102, kBorderSampleRows = 10;
constexpr int kBottomTop = 186;
constexpr int kFrameWidth = 154;
constexpr int kPieceWidth = 20;  // left and right pieces of caption and bottom band
constexpr int kCaptionRightX = 133, kBottomRightX = 134;
constexpr int kMiddleX = 20, kMiddleWidth = 40;

const char kSkinFile[] = "dialog_skin.png";

}  // namespace

CaptionButtonRects CaptionButtonLayout(int windowWidth, int clientWidth) {
    const int closeRight = (windowWidth - clientWidth) / 2 + clientWidth;
    CaptionButtonRects r;
    r.close = QRect(closeRight - kCaptionButtonWidth, 0, kCaptionButtonWidth, kCaptionButtonHeight);
    r.maximize = r.close.translated(-kCaptionButtonWidth, 0);
    r.minimize = r.maximize.translated(-kCaptionButtonWidth, 0);
    return r;
}

int CaptionButtonAt(const CaptionButtonRects& r, QPoint pt, bool hasMinimizeBox, bool hasMaximizeBox) {
    if (hasMinimizeBox && r.minimize.contains(pt)) return kMinimizeButton;
    if (hasMaximizeBox && r.maximize.contains(pt)) return kMaximizeButton;
    if (r.close.contains(pt)) return kCloseButton;
    return kNoButton;
}

QImage LoadDialogSkin() {
    const QImage skin(QString::fromStdString(ResourcePath(kSkinFile)));
    if (skin.size() != QSize(kSkinWidth, kSkinHeight)) return {};
    return skin.convertToFormat(QImage::Format_RGB32);
}

CDialogFx::CDialogFx(QWidget* parent) : QDialog(parent, Qt::Dialog | Qt::FramelessWindowHint) {
    setContentsMargins(kSideWidth, kCaptionHeight, kSideWidth, kBottomHeight);
    setMouseTracking(true);
}

void CDialogFx::SetCaptionButtons(bool minimizeBox, bool maximizeBox) {
    minimizeBox_ = minimizeBox;
    maximizeBox_ = maximizeBox;
    update();
}

void CDialogFx::SetClientSize(QSize size) {
    resize(size.width() + 2 * kSideWidth, size.height() + kCaptionHeight + kBottomHeight);
}

bool CDialogFx::Initialize() {
    if (!initialized_) {
        initialized_ = true;
        initOk_ = OnInitDialog();
    }
    return initOk_;
}

void CDialogFx::setVisible(bool visible) {
    if (visible && !Initialize()) return;
    QDialog::setVisible(visible);
}

// QDialog::exec would wait for a dialog that never showed.
int CDialogFx::exec() {
    if (!Initialize()) {
        setResult(Rejected);
        return Rejected;
    }
    return QDialog::exec();
}

bool CDialogFx::OnInitDialog() {
    skin_ = LoadDialogSkin();
    buttons_ = CaptionButtonLayout(width(), ClientRect().width());
    return DoDataExchange(false);
}

void CDialogFx::resizeEvent(QResizeEvent* event) {
    QDialog::resizeEvent(event);
    buttons_ = CaptionButtonLayout(width(), ClientRect().width());
    update();
}

void CDialogFx::changeEvent(QEvent* event) {
    QDialog::changeEvent(event);
    if (event->type() == QEvent::WindowTitleChange || event->type() == QEvent::ActivationChange) update();
}

void CDialogFx::paintEvent(QPaintEvent* event) {
    QDialog::paintEvent(event);
    if (skin_.isNull()) return;
    QPainter p(this);
    DrawFrame(p);
}

void CDialogFx::DrawFrame(QPainter& p) {
    const int w = width();
    const int cx = ClientRect().width(), cy = ClientRect().height();
    // Caption: left piece, stretched middle, right piece.
    p.drawImage(QRect(0, 0, kPieceWidth, kCaptionHeight), skin_, QRect(0, kFrameTop, kPieceWidth, kCaptionHeight));
    p.drawImage(QRect(kMiddleX, 0, w - kMiddleX, kCaptionHeight), skin_,
                QRect(kMiddleX, kFrameTop, kMiddleWidth, kCaptionHeight));
    p.drawImage(QRect(w - kPieceWidth, 0, kPieceWidth, kCaptionHeight), skin_,
                QRect(kCaptionRightX, kFrameTop, kPieceWidth, kCaptionHeight));
    // Caption buttons: normal cells, then the hot and the pressed one.
    auto cell = [&](int code, int column) {
        const QRect& target = code == kMinimizeButton ? buttons_.minimize
                              : code == kMaximizeButton ? buttons_.maximize : buttons_.close;
        p.drawImage(target, skin_,
                    QRect(column * kCaptionButtonWidth, (code - 1) * kCaptionButtonHeight, kCaptionButtonWidth,
                          kCaptionButtonHeight));
    };
    auto shown = [&](int code) {
        return code == kCloseButton || (code == kMinimizeButton && minimizeBox_) ||
               (code == kMaximizeButton && maximizeBox_);
    };
    if (minimizeBox_) cell(kMinimizeButton, 0);
    if (maximizeBox_ || minimizeBox_) cell(kMaximizeButton, 0);
    cell(kCloseButton, 0);
    if (shown(hover_)) cell(hover_, 1);
    if (shown(pressed_)) cell(pressed_, 2);
    // Title in white, cut with an ellipsis before the first button.
    const int titleRight = minimizeBox_ ? buttons_.minimize.left() : buttons_.close.left();
    const QRect titleRect(QPoint(5, 5), QPoint(titleRight - 1, 20));
    p.setPen(Qt::white);
    p.setFont(font());
    p.drawText(titleRect, Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine,
               p.fontMetrics().elidedText(windowTitle(), Qt::ElideRight, titleRect.width()));
    // Side borders stretched from their samples.
    p.drawImage(QRect(0, kCaptionHeight, kSideWidth, cy), skin_,
                QRect(0, kBorderSampleTop, kSideWidth, kBorderSampleRows));
    p.drawImage(QRect(cx + kSideWidth, kCaptionHeight, kSideWidth, cy), skin_,
                QRect(kFrameWidth - kSideWidth, kBorderSampleTop, kSideWidth, kBorderSampleRows));
    // Bottom band.
    const int y = kCaptionHeight + cy;
    p.drawImage(QRect(0, y, kPieceWidth, kBottomHeight), skin_, QRect(0, kBottomTop, kPieceWidth, kBottomHeight));
    p.drawImage(QRect(kMiddleX, y, w - kMiddleX, kBottomHeight), skin_,
                QRect(kMiddleX, kBottomTop, kMiddleWidth, kBottomHeight));
    p.drawImage(QRect(w - kPieceWidth, y, kPieceWidth, kBottomHeight), skin_,
                QRect(kBottomRightX, kBottomTop, kPieceWidth, kBottomHeight));
}

void CDialogFx::mouseMoveEvent(QMouseEvent* event) {
    const QPoint pt = event->position().toPoint();
    if (dragging_) {
        move(event->globalPosition().toPoint() - dragOffset_);
        return;
    }
    const int hover = ButtonAt(pt);  // the cells lie inside the caption
    if (hover != hover_) {
        hover_ = hover;
        update();
    }
}

void CDialogFx::mousePressEvent(QMouseEvent* event) {
    const QPoint pt = event->position().toPoint();
    if (event->button() != Qt::LeftButton || pt.y() >= kCaptionHeight) {
        QDialog::mousePressEvent(event);
        return;
    }
    captionPressed_ = true;
    pressed_ = ButtonAt(pt);
    if (pressed_ == kNoButton && !isMaximized()) {
        // The window system moves the window where it can (Wayland ignores move());
        // it then keeps the button's release, so nothing stays pressed here.
        if (StartSystemMove()) {
            captionPressed_ = false;
        } else {
            dragging_ = true;
            dragOffset_ = event->globalPosition().toPoint() - pos();
        }
    }
    update();
}

void CDialogFx::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton || !captionPressed_) {
        QDialog::mouseReleaseEvent(event);
        return;
    }
    captionPressed_ = false;
    dragging_ = false;
    pressed_ = kNoButton;
    update();
    switch (ButtonAt(event->position().toPoint())) {
        case kMinimizeButton: showMinimized(); break;
        case kMaximizeButton: isMaximized() ? showNormal() : showMaximized(); break;
        case kCloseButton: close(); break;
        default: break;
    }
}

bool CDialogFx::StartSystemMove() {
    QWindow* window = windowHandle();
    return window && window->startSystemMove();
}

void CDialogFx::leaveEvent(QEvent* event) {
    QDialog::leaveEvent(event);
    if (hover_ != kNoButton) {
        hover_ = kNoButton;
        update();
    }
}

}  // namespace ledsuite
