#include "toolkit/property_item.h"

#include <algorithm>

#include <QApplication>
#include <QDate>
#include <QFocusEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPainter>

#include "content/model/clock.h"
#include "content/model/lang.h"
#include "toolkit/date_time_picker.h"

namespace ledsuite {

void CPropertyGridItem::OnDrawValue(QPainter* painter, const QRect& rect) {
    valueRect_ = rect;
    painter->drawText(rect, Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine, FormatProperty());
}

DateTimeFields ClampDateTimeFields(const DateTimeFields& v) {
    DateTimeFields c;
    c.year = std::clamp(v.year, kFirstPackedYear, kLastPackedYear);
    c.month = std::clamp(v.month, 1, 12);
    c.day = std::clamp(v.day, 1, QDate(c.year, c.month, 1).daysInMonth());
    c.hour = std::clamp(v.hour, 0, 23);
    c.minute = std::clamp(v.minute, 0, 59);
    c.second = std::clamp(v.second, 0, 59);
    return c;
}

CMFCPropertyGridDateTimeProperty::CMFCPropertyGridDateTimeProperty(const QString& name, const QString& description,
                                                                   bool isDate, QObject* parent)
    : CPropertyGridItem(name, description, parent), isDate_(isDate) {
    const LocalTime now = CurrentLocalTime();
    value_ = {now.year, now.month, now.day, now.hour, now.minute, now.second};
}

QString CMFCPropertyGridDateTimeProperty::FormatProperty() const {
    return isDate_ ? QString::asprintf("%04d-%02d-%02d", value_.year, value_.month, value_.day)
                   : QString::asprintf("%02d:%02d:%02d", value_.hour, value_.minute, value_.second);
}

bool CMFCPropertyGridDateTimeProperty::CreateInPlaceEdit(QWidget* grid) {
    if (!grid) return false;
    CDateTimeCtrlEx::Instance(grid)->Edit(this, grid);
    return true;
}

uint16_t CMFCPropertyGridDateTimeProperty::GetPackedValue() const {
    return isDate_ ? PackDate(value_.year, value_.month, value_.day)
                   : PackTime(value_.hour, value_.minute, value_.second);
}

void CMFCPropertyGridDateTimeProperty::SetPackedValue(uint16_t word) {
    if (isDate_) {
        UnpackDate(word, value_.year, value_.month, value_.day);
        value_.month = std::max(value_.month, 1);
        value_.day = std::max(value_.day, 1);
    } else {
        UnpackTime(word, value_.hour, value_.minute, value_.second);
    }
}

void CMFCPropertyGridDateTimeProperty::CommitEdit(const DateTimeFields& value) {
    // The records keep the packed word: the item shows what the word gives back (a time's
    // odd second goes down to the even one), not what the word cannot hold.
    value_ = value;
    SetPackedValue(GetPackedValue());
    emit PropertyChanged(this);
}

namespace {
QPointer<CDateTimeCtrlEx> g_sharedEditor;  // UI thread only
}  // namespace

CDateTimeCtrlEx* CDateTimeCtrlEx::Instance(QWidget* grid) {
    if (!g_sharedEditor) {
        g_sharedEditor = new CDateTimeCtrlEx(grid);
        g_sharedEditor->hide();
        g_sharedEditor->lineEdit()->installEventFilter(g_sharedEditor);
        SetUpPicker(g_sharedEditor);
    }
    return g_sharedEditor;
}

CDateTimeCtrlEx* CDateTimeCtrlEx::Existing() { return g_sharedEditor; }

void CDateTimeCtrlEx::Edit(CMFCPropertyGridDateTimeProperty* item, QWidget* grid) {
    if (item_ && item_ != item) OnKillFocus();  // one edit at a time
    if (parentWidget() != grid) setParent(grid);
    setDisplayFormat(item->IsDate() ? QStringLiteral("yyyy-MM-dd") : QStringLiteral("HH:mm:ss"));
    // A time-only format pins the date range to the date held then; the next item,
    // a date perhaps, must not be held to it. A date offers only the years its word keeps.
    clearMinimumDateTime();
    clearMaximumDateTime();
    if (item->IsDate()) setDateRange(QDate(kFirstPackedYear, 1, 1), QDate(kLastPackedYear, 12, 31));
    setFont(grid->font());
    const DateTimeFields v = ClampDateTimeFields(item->Value());
    setDateTime(QDateTime(QDate(v.year, v.month, v.day), QTime(v.hour, v.minute, v.second)));
    item_ = item;
    setGeometry(item->ValueRect());
    show();
    setFocus(Qt::OtherFocusReason);  // selects the first section
    opened_.start();
}

bool CDateTimeCtrlEx::eventFilter(QObject* watched, QEvent* event) {
    // The editor opens under the pointer on the first click of a double-click; the second
    // click would put the caret inside a full section, where no digit can be typed. Within
    // the double-click time it leaves the editor as the first click opened it.
    const bool press = event->type() == QEvent::MouseButtonPress || event->type() == QEvent::MouseButtonDblClick;
    if (watched == lineEdit() && press && opened_.isValid() &&
        opened_.elapsed() <= QApplication::doubleClickInterval()) {
        setCurrentSectionIndex(0);
        setSelectedSection(currentSection());
        return true;
    }
    return QDateTimeEdit::eventFilter(watched, event);
}

void CDateTimeCtrlEx::keyPressEvent(QKeyEvent* event) {
    QDateTimeEdit::keyPressEvent(event);
    if (event->key() != Qt::Key_Return && event->key() != Qt::Key_Enter) return;
    // Return ends the edit as leaving it does; the grid keeps the keys.
    QWidget* grid = parentWidget();
    while (grid && grid->focusPolicy() == Qt::NoFocus) grid = grid->parentWidget();
    OnKillFocus();
    if (grid) grid->setFocus(Qt::OtherFocusReason);
    event->accept();
}

void CDateTimeCtrlEx::OnKillFocus() {
    QPointer<CMFCPropertyGridDateTimeProperty> item = item_;
    item_ = nullptr;
    hide();
    if (!item) return;
    const QDate d = date();
    const QTime t = time();
    item->CommitEdit({d.year(), d.month(), d.day(), t.hour(), t.minute(), t.second()});
}

void CDateTimeCtrlEx::focusOutEvent(QFocusEvent* event) {
    QDateTimeEdit::focusOutEvent(event);
    if (event->reason() != Qt::PopupFocusReason && event->reason() != Qt::ActiveWindowFocusReason) OnKillFocus();
}

}  // namespace ledsuite
