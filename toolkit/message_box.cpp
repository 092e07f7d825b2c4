#include "toolkit/message_box.h"

#include <algorithm>

#include <QApplication>
#include <QPainter>
#include <QPushButton>
#include <QStyle>
#include <QThread>
#include "toolkit/qt_text.h"

namespace ledsuite {

namespace {

const LangText kOk{{u"确定", u"確定", u"OK"}};
const LangText kCancel{{u"取消", u"取消", u"Cancel"}};
const LangText kAbort{{u"放弃", u"放棄", u"Abort"}};
const LangText kRetry{{u"重试", u"重試", u"Retry"}};
const LangText kIgnore{{u"忽略", u"忽略", u"Ignore"}};
const LangText kYes{{u"是", u"是", u"Yes"}};
const LangText kNo{{u"否", u"否", u"No"}};
const LangText kContinue{{u"继续", u"繼續", u"Continue"}};


}  // namespace

MsgBoxButtons MsgBoxButtonMap(uint32_t type) {
    switch (type & 0xF) {
        case MB_OKCANCEL: return {{&kOk, &kCancel, nullptr}, {IDOK, IDCANCEL, IDOK}, 2};
        case MB_ABORTRETRYIGNORE: return {{&kAbort, &kRetry, &kIgnore}, {IDABORT, IDRETRY, IDIGNORE}, 3};
        case MB_YESNOCANCEL: return {{&kYes, &kNo, &kCancel}, {IDYES, IDNO, IDCANCEL}, 3};
        case MB_YESNO: return {{&kYes, &kNo, nullptr}, {IDYES, IDNO, IDOK}, 2};
        case MB_RETRYCANCEL: return {{&kRetry, &kCancel, nullptr}, {IDRETRY, IDCANCEL, IDOK}, 2};
        case MB_CANCELTRYCONTINUE: return {{&kCancel, &kRetry, &kContinue}, {IDCANCEL, IDRETRY, IDCONTINUE}, 3};
        default: return {{&kOk, nullptr, nullptr}, {IDOK, IDOK, IDOK}, 1};
    }
}

QSize MeasureMessageText(std::u16string_view text, const std::function<int(char32_t)>& charWidth, int lineHeight) {
    int widest = 0, line = 0, height = 0;
    bool open = false;  // characters since the last line feed
    auto closeLine = [&] {
        widest = std::max(widest, line);
        line = 0;
        height += lineHeight;
        open = false;
    };
    for (size_t i = 0; i < text.size();) {
        char32_t c = text[i];
        size_t units = 1;
        if (c >= 0xD800 && c < 0xDC00 && i + 1 < text.size() && text[i + 1] >= 0xDC00 && text[i + 1] < 0xE000) {
            c = 0x10000 + ((c - 0xD800) << 10) + (text[i + 1] - 0xDC00);
            units = 2;
        }
        i += units;
        if (c == u'\r') continue;
        if (c == u'\n') {
            closeLine();
        } else {
            line += charWidth(c);
            open = true;
        }
    }
    // The last line counts even when a lone carriage return ends the text.
    if (open) closeLine();
    return {widest, std::max(height, lineHeight)};
}

MessageBoxTemplate MessageBoxTemplateRects(int baseX, int baseY) {
    auto dlu = [&](int x, int y, int w, int h) {
        return QRect(x * baseX / 4, y * baseY / 8, w * baseX / 4, h * baseY / 8);
    };
    MessageBoxTemplate t;
    t.button[0] = dlu(37, 58, 50, 14);
    t.button[1] = dlu(98, 58, 50, 14);
    t.button[2] = dlu(157, 58, 50, 14);
    t.icon = dlu(7, 9, 20, 20);
    t.text = dlu(38, 9, 158, 25);
    return t;
}

MessageBoxLayout LayoutMessageBox(const MessageBoxTemplate& t, QSize textSize, bool hasIcon, int buttonCount) {
    MessageBoxLayout l;
    l.icon = t.icon;
    const QPoint textTopLeft = hasIcon ? t.text.topLeft() : t.icon.topLeft();
    l.text = QRect(textTopLeft, textSize);
    const int blockHeight = hasIcon ? std::max(textSize.height(), t.icon.height()) : textSize.height();
    int width = textTopLeft.x() + textSize.width() + t.icon.left();
    const int buttonWidth = t.button[0].width(), buttonHeight = t.button[0].height();
    const int gap = t.button[1].left() - (t.button[0].left() + buttonWidth);
    const int pitch = t.button[1].left() - t.button[0].left();
    const int n = std::clamp(buttonCount, 1, 3);
    width = std::max(width, 2 * t.button[0].left() + n * buttonWidth + (n - 1) * gap);
    const int rowY = blockHeight + textTopLeft.y() + 10;
    const int rowX = (width - ((n - 1) * pitch + buttonWidth)) / 2;
    for (int i = 0; i < 3; ++i) l.button[i] = QRect(rowX + i * pitch, rowY, buttonWidth, buttonHeight);
    l.client = QSize(width, rowY + buttonHeight + 5);
    return l;
}

void MessageBoxText::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.setPen(palette().color(QPalette::WindowText));
    const QStringList lines = text().split(u'\n');
    for (int i = 0; i < lines.size(); ++i)
        p.drawText(QRect(0, i * lineHeight_, width(), lineHeight_), Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine,
                   lines[i]);
}

CMessageBoxFx::CMessageBoxFx(QWidget* parent, const char16_t* text, const char16_t* caption, uint32_t type)
    : CDialogFx(parent), type_(type) {
    if (text) message_ = text;
    if (caption) caption_ = caption;
    icon_ = new QLabel(this);
    text_ = new MessageBoxText(this);
    for (auto*& b : buttons_) b = new QPushButton(this);
    buttons_[0]->setDefault(true);
}

bool CMessageBoxFx::OnInitDialog() {
    if (!CDialogFx::OnInitDialog()) return false;
    setWindowTitle(caption_ ? ToQString(*caption_) : QString());

    QStyle::StandardPixmap pixmap{};
    bool hasIcon = true;
    switch (type_ & 0xF0) {
        case MB_ICONHAND: pixmap = QStyle::SP_MessageBoxCritical; break;
        case MB_ICONQUESTION: pixmap = QStyle::SP_MessageBoxQuestion; break;
        case MB_ICONEXCLAMATION: pixmap = QStyle::SP_MessageBoxWarning; break;
        case MB_ICONASTERISK: pixmap = QStyle::SP_MessageBoxInformation; break;
        default: hasIcon = false; break;
    }

    const QFontMetrics fm(font());
    lineHeight_ = fm.height();
    text_->SetLineHeight(lineHeight_);
    QSize textSize(16, 16);
    if (message_) {
        textSize = MeasureMessageText(
            *message_, [&fm](char32_t c) { return fm.horizontalAdvance(QString::fromUcs4(&c, 1)); }, lineHeight_);
        text_->setText(ToQString(*message_).remove(u'\r'));
    }

    const MsgBoxButtons map = MsgBoxButtonMap(type_);
    for (int i = 0; i < 3; ++i) {
        buttons_[i]->setVisible(i < map.count);
        if (map.caption[i]) buttons_[i]->setText(ToQString(*map.caption[i]));
        const int result = map.result[i];
        connect(buttons_[i], &QPushButton::clicked, this, [this, result] { done(result); });
    }

    const int baseX = (fm.horizontalAdvance(QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz")) / 26 + 1) / 2;
    const MessageBoxTemplate tpl = MessageBoxTemplateRects(baseX, fm.height());
    const MessageBoxLayout layout = LayoutMessageBox(tpl, textSize, hasIcon, map.count);
    const QPoint origin = ClientRect().topLeft();
    icon_->setGeometry(layout.icon.translated(origin));
    icon_->setVisible(hasIcon);
    if (hasIcon) {
        const int side = std::min(layout.icon.width(), layout.icon.height());
        icon_->setPixmap(style()->standardIcon(pixmap, nullptr, this).pixmap(side, side));
    }
    text_->setGeometry(layout.text.translated(origin));
    for (int i = 0; i < 3; ++i) buttons_[i]->setGeometry(layout.button[i].translated(origin));
    SetClientSize(layout.client);

    const int focus = (type_ & 0xF00) >> 8;
    if (focus < map.count) buttons_[focus]->setFocus();
    return true;
}

int MessageBoxFx(QWidget* parent, const char16_t* text, const char16_t* caption, uint32_t type) {
    QCoreApplication* app = QCoreApplication::instance();
    if (!app) return 0;
    if (QThread::currentThread() != app->thread()) {
        int result = 0;
        QMetaObject::invokeMethod(
            app, [&] { result = MessageBoxFx(parent, text, caption, type); }, Qt::BlockingQueuedConnection);
        return result;
    }
    CMessageBoxFx box(parent, text, caption, type);
    return box.exec();
}

}  // namespace ledsuite
