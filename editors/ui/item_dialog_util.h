#pragma once
// What the item dialogs share: the row of OK and Cancel buttons they end with.
#include "toolkit/dialog_fx.h"

class QBoxLayout;

namespace ledsuite {

// Appends a right-aligned OK (default button) and, when asked, Cancel row to the layout;
// the buttons end the dialog through accept and reject.
void AddOkCancelRow(CDialogFx* dialog, QBoxLayout* layout, bool withCancel = true);

}  // namespace ledsuite
