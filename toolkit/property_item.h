#pragma once
// Items of our property grid: a name, a value shown as text, an in-place editor and a
// change notice per committed edit. The date-time item edits dates and times of day that
// the records keep as packed 16-bit words.
#include <cstdint>

#include <QDateTimeEdit>
#include <QElapsedTimer>
#include <QObject>
#include <QPointer>
#include <QRect>
#include <QString>

class QPainter;

namespace ledsuite {

class CPropertyGridItem : public QObject {
    Q_OBJECT
public:
    CPropertyGridItem(const QString& name, const QString& description, QObject* parent = nullptr)
        : QObject(parent), name_(name), description_(description) {}

    const QString& Name() const { return name_; }
    const QString& Description() const { return description_; }
    // The value as the grid shows it.
    virtual QString FormatProperty() const = 0;
    // Draws the value text into `rect` (one line, vertically centred) and keeps the
    // rectangle: the in-place editor goes there.
    virtual void OnDrawValue(QPainter* painter, const QRect& rect);
    QRect ValueRect() const { return valueRect_; }
    // Opens the in-place editor over the value rectangle in `grid` (the widget the grid
    // draws its values in); true when an editor opened.
    virtual bool CreateInPlaceEdit(QWidget* grid) = 0;

signals:
    // Raised once per committed edit.
    void PropertyChanged(ledsuite::CPropertyGridItem* item);

protected:
    QRect valueRect_;

private:
    QString name_, description_;
};

// Date and time fields as a record stores them; unpacked words may hold values no
// calendar has (month 13, hour 31), which are shown as they are.
struct DateTimeFields {
    int year = 2000, month = 1, day = 1;
    int hour = 0, minute = 0, second = 0;
};
// The years a packed date word gives back: it keeps the year's last two digits and reads
// them as 20xx, so a year outside these would be stored as another.
inline constexpr int kFirstPackedYear = 2000;
inline constexpr int kLastPackedYear = 2099;

// Each field held to its range (the year to those a packed word keeps, the day to its
// month's length), for an editor.
DateTimeFields ClampDateTimeFields(const DateTimeFields& value);

class CMFCPropertyGridDateTimeProperty : public CPropertyGridItem {
    Q_OBJECT
public:
    // The value starts as the current local time.
    CMFCPropertyGridDateTimeProperty(const QString& name, const QString& description, bool isDate,
                                     QObject* parent = nullptr);

    bool IsDate() const { return isDate_; }
    const DateTimeFields& Value() const { return value_; }
    // "%04d-%02d-%02d" for a date, "%02d:%02d:%02d" for a time, fields as stored.
    QString FormatProperty() const override;
    // Places the shared date-time editor over the value, set to the value held to valid ranges.
    bool CreateInPlaceEdit(QWidget* grid) override;

    // Date: (year % 100) << 9 | month << 5 | day; time: hour << 11 | minute << 5 | second / 2.
    uint16_t GetPackedValue() const;
    // Date: year 2000 + (word >> 9), a month or day of 0 read as 1; time: second = (word & 31) * 2.
    void SetPackedValue(uint16_t word);

    // The editor's (valid) value becomes the item's as its packed word gives it back;
    // raises PropertyChanged.
    void CommitEdit(const DateTimeFields& value);

private:
    DateTimeFields value_;
    bool isDate_;
};

// The one in-place date-time editor all date-time items share; it moves into the grid
// of the item being edited. Losing the focus, or Return, writes its value back to the item.
// It opens with its first section selected, ready for typing; the second click of the
// double-click that opened it keeps it so.
class CDateTimeCtrlEx : public QDateTimeEdit {
    Q_OBJECT
public:
    // The shared editor, made inside `grid` when there is none (or its grid is gone).
    static CDateTimeCtrlEx* Instance(QWidget* grid);
    static CDateTimeCtrlEx* Existing();

    void Edit(CMFCPropertyGridDateTimeProperty* item, QWidget* grid);
    CMFCPropertyGridDateTimeProperty* Item() const { return item_; }
    // Ends the edit: stores the value into the item, hides, raises the item's notice.
    void OnKillFocus();

protected:
    using QDateTimeEdit::QDateTimeEdit;
    void focusOutEvent(QFocusEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QPointer<CMFCPropertyGridDateTimeProperty> item_;
    QElapsedTimer opened_;  // since the last edit began
};

}  // namespace ledsuite
