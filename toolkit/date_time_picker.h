#pragma once
// Date and time pickers that take what a user types. A click leaves the picker's caret inside
// a section that is already full, where every typed digit would make the section too long and
// is refused: every picker of the suite selects the section under a click instead, as Tab
// selects the first one. A picker moves to the next section by itself once a section is full,
// and its own separator moved it once more: "09:30:00" became 09:00:30. Every picker takes a
// separator typed right after such a move as that move, and any separator people write
// between the parts of a date or a time (':', '/', '-', '.', space) as its own.
#include <QString>

class QDateEdit;
class QDateTimeEdit;
class QTimeEdit;
class QWidget;

namespace ledsuite {

// From now on `picker` selects the section a left click lands in (a drag keeps what it
// selected) and takes separators as described above, in whatever format it shows then.
void SetUpPicker(QDateTimeEdit* picker);

// Pickers set up so, in `format` (empty: the locale's own).
QTimeEdit* MakeTimePicker(const QString& format, QWidget* parent = nullptr);
QDateEdit* MakeDatePicker(const QString& format, QWidget* parent = nullptr);

}  // namespace ledsuite
