#pragma once
// Date and time pickers that take typing after a click. A click leaves the picker's caret
// inside a section that is already full, where every typed digit would make the section too
// long and is refused: a time typed after a click was lost, while the same digits after Tab
// were kept. Every picker of the suite selects the section under a click instead, as Tab
// selects the first one.
#include <QString>

class QDateEdit;
class QDateTimeEdit;
class QTimeEdit;
class QWidget;

namespace ledsuite {

// From now on a left click into `picker` that selects no text (a drag keeps what it
// selected) selects the whole section it lands in, ready for typing.
void SelectSectionOnClick(QDateTimeEdit* picker);

// Pickers that select their sections on a click, in `format` (empty: the locale's own).
QTimeEdit* MakeTimePicker(const QString& format, QWidget* parent = nullptr);
QDateEdit* MakeDatePicker(const QString& format, QWidget* parent = nullptr);

}  // namespace ledsuite
