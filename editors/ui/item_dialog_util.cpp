// What the item dialogs share.
#include "editors/ui/item_dialog_util.h"

#include <QBoxLayout>
#include <QPushButton>

#include "toolkit/message_box.h"
#include "toolkit/qt_text.h"

namespace ledsuite {

void AddOkCancelRow(CDialogFx* dialog, QBoxLayout* layout, bool withCancel) {
    const MsgBoxButtons buttons = MsgBoxButtonMap(MB_OKCANCEL);
    auto* row = new QHBoxLayout;
    row->addStretch();
    auto* ok = new QPushButton(ToQString(*buttons.caption[0]), dialog);
    ok->setDefault(true);
    QObject::connect(ok, &QPushButton::clicked, dialog, &CDialogFx::accept);
    row->addWidget(ok);
    if (withCancel) {
        auto* cancel = new QPushButton(ToQString(*buttons.caption[1]), dialog);
        QObject::connect(cancel, &QPushButton::clicked, dialog, &CDialogFx::reject);
        row->addWidget(cancel);
    }
    layout->addLayout(row);
}

}  // namespace ledsuite
