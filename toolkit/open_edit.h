#pragma once
// A value still being typed into a cell (a property grid's value, a list's cell) counts as
// entered before a command reads what the records hold: the command commits it first.
class QWidget;

namespace ledsuite {

// Ends the edit open in place over a view's cell inside `scope` as Return ends it: the
// editor commits its value and the keys go back to the view. Nothing happens when the
// keyboard focus is elsewhere or on no such editor.
void CommitOpenEdit(QWidget* scope);

}  // namespace ledsuite
