#include "editors/ui/dlg_password.h"

#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include "editors/hardware_grid_rules.h"
#include "editors/property_texts.h"
#include "toolkit/message_box.h"
#include "toolkit/qt_text.h"

namespace ledsuite {

namespace {
constexpr char16_t kProductCaption[] = u"Kesh Varn";
}

CDlgPassword::CDlgPassword(QWidget* parent) : CDialogFx(parent), field_(new QLineEdit), ok_(new QPushButton) {
    setWindowTitle(ToQString(ptext::kInputPassword));
    auto* layout = new QGridLayout(this);
    auto* warning = new QLabel(ToQString(ptext::kPasswordWarning));
    warning->setWordWrap(true);
    auto* cancel = new QPushButton(ToQString(ptext::kCancel));
    ok_->setText(ToQString(ptext::kOk));
    ok_->setDefault(true);
    field_->setEchoMode(QLineEdit::Password);
    field_->setMaxLength(16);
    layout->addWidget(new QLabel(ToQString(ptext::kPasswordLabel)), 0, 0);
    layout->addWidget(field_, 0, 1, 1, 2);
    layout->addWidget(warning, 1, 0, 1, 3);
    layout->addWidget(ok_, 2, 1);
    layout->addWidget(cancel, 2, 2);
    connect(ok_, &QPushButton::clicked, this, &CDlgPassword::accept);
    connect(cancel, &QPushButton::clicked, this, &CDlgPassword::reject);
    SetClientSize(QSize(320, 140));
}

void CDlgPassword::OnOK() {
    switch (CheckServicePassword(ToU16(field_->text()))) {
        case PasswordCheck::Empty: MessageBoxFx(this, ptext::kPasswordEmpty(), kProductCaption, MB_OK); return;
        case PasswordCheck::Wrong: MessageBoxFx(this, ptext::kPasswordError(), kProductCaption, MB_OK); return;
        case PasswordCheck::Ok: CDialogFx::OnOK(); return;
    }
}

}  // namespace ledsuite
