#include "toolkit/date_time_picker.h"

#include <QCoreApplication>
#include <QDateEdit>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMouseEvent>
#include <QTimeEdit>

namespace ledsuite {

namespace {

bool IsSectionLetter(QChar c) { return QStringLiteral("dMyhHmszaApPt").contains(c); }

// The text `format` shows between section `index` and the next one; empty after the last.
QString SeparatorAfter(const QString& format, int index) {
    int section = -1;
    QString separator;
    for (int i = 0; i < format.size(); ++i) {
        const QChar c = format[i];
        if (!IsSectionLetter(c)) {
            if (section == index && c != QLatin1Char('\'')) separator += c;
            continue;
        }
        const bool sameSection = i > 0 && (format[i - 1] == c || (c.toLower() == QLatin1Char('p') &&
                                                                  format[i - 1].toLower() == QLatin1Char('a')));
        if (sameSection) continue;
        if (section == index) return separator;
        ++section;
    }
    return QString();
}

bool IsDateSection(QDateTimeEdit::Section s) {
    return s == QDateTimeEdit::YearSection || s == QDateTimeEdit::MonthSection || s == QDateTimeEdit::DaySection;
}

// Watches the picker (its keys) and its line edit (its mouse events reach the line edit, not
// the picker).
class PickerFilter : public QObject {
public:
    explicit PickerFilter(QDateTimeEdit* picker) : QObject(picker), picker_(picker) {}

    bool eventFilter(QObject* watched, QEvent* event) override {
        switch (event->type()) {
        case QEvent::KeyPress:
            return watched == picker_ && OnKey(static_cast<QKeyEvent*>(event));
        case QEvent::MouseButtonPress:
        case QEvent::FocusIn:
            afterDigit_ = false;
            return false;
        case QEvent::MouseButtonRelease:
            if (watched != picker_) OnRelease(static_cast<QMouseEvent*>(event), static_cast<QLineEdit*>(watched));
            return false;
        default:
            return false;
        }
    }

private:
    // On the release the press has put the caret where the click landed, so the picker's
    // current section is the one under the pointer.
    void OnRelease(const QMouseEvent* event, const QLineEdit* edit) {
        if (event->button() == Qt::LeftButton && !edit->hasSelectedText() &&
            picker_->currentSection() != QDateTimeEdit::NoSection)
            picker_->setSelectedSection(picker_->currentSection());
    }

    bool IsSeparator(QChar c, const QString& own) const {
        if (own.startsWith(c)) return true;
        if (IsDateSection(picker_->currentSection())) return QStringLiteral("/-. ").contains(c);
        return QStringLiteral(":. ").contains(c);
    }

    // A digit is noted with the section it goes into; a separator right after a digit that
    // moved the picker on is dropped; any other separator moves on as the picker's own does,
    // keeping a one-digit section as typed.
    bool OnKey(QKeyEvent* event) {
        if (forwarding_) return false;
        const bool plain = !(event->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier));
        const QString text = event->text();
        const bool digit = plain && text.size() == 1 && text[0].isDigit();
        const bool movedByItself = afterDigit_ && picker_->currentSectionIndex() != digitSection_;
        afterDigit_ = digit;
        digitSection_ = picker_->currentSectionIndex();
        if (!plain || text.size() != 1 || digit) return false;
        const QString own = SeparatorAfter(picker_->displayFormat(), picker_->currentSectionIndex());
        if (!IsSeparator(text[0], own)) return false;
        if (movedByItself || own.isEmpty()) return true;
        QKeyEvent separator(QEvent::KeyPress, own[0].unicode(), Qt::NoModifier, own.left(1));
        forwarding_ = true;
        QCoreApplication::sendEvent(picker_, &separator);
        forwarding_ = false;
        return true;
    }

    QDateTimeEdit* picker_;
    bool afterDigit_ = false;  // the last key was a digit typed into section digitSection_
    int digitSection_ = -1;
    bool forwarding_ = false;
};

template <class Picker>
Picker* MakePicker(const QString& format, QWidget* parent) {
    auto* picker = new Picker(parent);
    if (!format.isEmpty()) picker->setDisplayFormat(format);
    SetUpPicker(picker);
    return picker;
}

}  // namespace

void SetUpPicker(QDateTimeEdit* picker) {
    auto* filter = new PickerFilter(picker);
    picker->installEventFilter(filter);
    if (auto* edit = picker->findChild<QLineEdit*>(QString(), Qt::FindDirectChildrenOnly))
        edit->installEventFilter(filter);
}

QTimeEdit* MakeTimePicker(const QString& format, QWidget* parent) { return MakePicker<QTimeEdit>(format, parent); }

QDateEdit* MakeDatePicker(const QString& format, QWidget* parent) { return MakePicker<QDateEdit>(format, parent); }

}  // namespace ledsuite
