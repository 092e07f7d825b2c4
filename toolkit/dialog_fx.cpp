#include "toolkit/dialog_fx.h"

#include <QEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QWindow>

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

const QColor kBorderColor(0x2F, 0x6E, 0xB5);
const QColor kBandColor(0xE4, 0xEE, 0xFA);

QColor CaptionShade(int y) {  // light blue, a little darker towards the body
    const int t = y * 255 / (kCaptionHeight - 1);
    return QColor(0x86 - 0x26 * t / 255, 0xBC - 0x22 * t / 255, 0xF0 - 0x14 * t / 255);
}

// One caption-button cell: background by look (column), white glyph by row.
void DrawButtonCell(QPainter& p, int column, int row) {
    const QRect cell(column * kCaptionButtonWidth, row * kCaptionButtonHeight, kCaptionButtonWidth,
                     kCaptionButtonHeight);
    const bool close = row == 2;
    for (int y = 0; y < kCaptionButtonHeight; ++y) {
        QColor back = CaptionShade(y);
        if (column == 1) back = close ? QColor(0xE8, 0x48, 0x48) : QColor(0xA8, 0xD2, 0xF8);
        if (column == 2) back = close ? QColor(0xA8, 0x20, 0x20) : QColor(0x3A, 0x74, 0xB8);
        p.fillRect(cell.left(), cell.top() + y, cell.width(), 1, back);
    }
    const int cx = cell.left() + 15, cy = cell.top() + 9;
    p.setPen(QPen(Qt::white, 2));
    switch (row) {
        case 0: p.drawLine(cx - 5, cy + 4, cx + 5, cy + 4); break;
        case 1: p.drawRect(cx - 5, cy - 4, 10, 8); break;
        case 2:
            p.drawLine(cx - 4, cy - 4, cx + 4, cy + 4);
            p.drawLine(cx - 4, cy + 4, cx + 4, cy - 4);
            break;
        default:
            p.setPen(QPen(Qt::white, 1));
            p.drawRect(cx - 3, cy - 5, 8, 6);
            p.drawRect(cx - 5, cy - 2, 8, 6);
            break;
    }
}

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

QImage MakeDialogSkin() {
    QImage skin(kSkinWidth, kSkinHeight, QImage::Format_RGB32);
    skin.fill(Qt::white);
    QPainter p(&skin);
    for (int row = 0; row < 4; ++row)
        for (int column = 0; column < 3; ++column) DrawButtonCell(p, column, row);
    // Caption rows with a darker outer edge.
    for (int y = 0; y < kCaptionHeight; ++y) p.fillRect(0, kFrameTop + y, kFrameWidth, 1, CaptionShade(y));
    p.fillRect(0, kFrameTop, kFrameWidth, 1, kBorderColor);
    p.fillRect(0, kFrameTop, 1, kCaptionHeight, kBorderColor);
    // The dark right edge sits in the last column the caption's right piece shows.
    p.fillRect(kCaptionRightX + kPieceWidth - 1, kFrameTop, 1, kCaptionHeight, kBorderColor);
    // Body: the 2-pixel borders at both sides.
    p.fillRect(0, kBorderSampleTop, kSideWidth, kBottomTop - kBorderSampleTop, kBorderColor);
    p.fillRect(kFrameWidth - kSideWidth, kBorderSampleTop, kSideWidth, kBottomTop - kBorderSampleTop, kBorderColor);
    // Bottom band: light, a separating line on top, the border round it.
    p.fillRect(0, kBottomTop, kFrameWidth, kBottomHeight, kBandColor);
    p.fillRect(0, kBottomTop, kFrameWidth, 1, QColor(0xC4, 0xD6, 0xEC));
    p.fillRect(0, kBottomTop, kSideWidth, kBottomHeight, kBorderColor);
    p.fillRect(kFrameWidth - kSideWidth, kBottomTop, kSideWidth, kBottomHeight, kBorderColor);
    p.fillRect(0, kBottomTop + kBottomHeight - 2, kFrameWidth, 2, kBorderColor);
    return skin;
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
    skin_ = MakeDialogSkin();
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
    if (hover_ != kNoButton && shown(hover_)) cell(hover_, 1);
    if (pressed_ != kNoButton && shown(pressed_)) cell(pressed_, 2);
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
    const int hover = pt.y() < kCaptionHeight ? ButtonAt(pt) : kNoButton;
    if (hover != hover_) {
        hover_ = hover;
        update(0, 0, width(), kCaptionHeight);
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
    update(0, 0, width(), kCaptionHeight);
}

void CDialogFx::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton || !captionPressed_) {
        QDialog::mouseReleaseEvent(event);
        return;
    }
    captionPressed_ = false;
    dragging_ = false;
    pressed_ = kNoButton;
    update(0, 0, width(), kCaptionHeight);
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
        update(0, 0, width(), kCaptionHeight);
    }
}

}  // namespace ledsuite
