#include "link/ui/dlg_change_password.h"

#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include "content/model/text_codec.h"
#include "toolkit/message_box.h"
#include "toolkit/qt_text.h"

namespace ledsuite {

namespace {

const LangText kCaption{{u"修改密码", u"修改密碼", u"Change Password"}};
const LangText kOldLabel{{u"旧密码", u"舊密碼", u"Old Password"}};
const LangText kNewLabel{{u"新密码", u"新密碼", u"New Password"}};
const LangText kConfirmLabel{{u"确认密码", u"確認密碼", u"Confirm Password"}};
const LangText kOkText{{u"确定", u"確定", u"OK"}};

QLineEdit* PasswordEdit(QWidget* parent) {
    auto* edit = new QLineEdit(parent);
    edit->setEchoMode(QLineEdit::Password);
    edit->setMaxLength(int(kPasswordUnits));
    return edit;
}

// The 8-bit form the server stores: the legacy code page, cut to 16 bytes.
std::string PasswordBytes(const QLineEdit* edit) {
    std::string bytes = WideToAnsi(ToU16(edit->text()));
    if (bytes.size() > kPasswordUnits) bytes.resize(kPasswordUnits);
    return bytes;
}

}  // namespace

DlgChangePassword::DlgChangePassword(QWidget* parent, const ServerSocket* socket, uint16_t userId)
    : CDialogFx(parent), socket_(socket), userId_(userId), old_(PasswordEdit(this)), new_(PasswordEdit(this)),
      confirm_(PasswordEdit(this)) {
    auto* form = new QFormLayout(this);
    form->setContentsMargins(12, 10, 12, 10);
    form->addRow(ToQString(kOldLabel), old_);
    form->addRow(ToQString(kNewLabel), new_);
    form->addRow(ToQString(kConfirmLabel), confirm_);
    auto* ok = new QPushButton(ToQString(kOkText), this);
    ok->setObjectName(QStringLiteral("ok"));
    connect(ok, &QPushButton::clicked, this, [this] { OnOK(); });
    form->addRow(ok);
    SetClientSize(QSize(280, 130));
}

bool DlgChangePassword::OnInitDialog() {
    if (!CDialogFx::OnInitDialog()) return false;
    setWindowTitle(ToQString(kCaption));
    return true;
}

void DlgChangePassword::OnOK() {
    const std::string oldPassword = PasswordBytes(old_), newPassword = PasswordBytes(new_),
                      confirm = PasswordBytes(confirm_);
    PasswordResult result = CheckPasswordInput(oldPassword, newPassword, confirm);
    if (result == PasswordResult::kChanged) {
        result = socket_ ? ChangePassword(*socket_, userId_, oldPassword, newPassword, confirm)
                         : PasswordResult::kDisconnected;
    }
    last_ = result;
    const std::u16string message = PasswordMessage(result);
    if (!message.empty()) MessageBoxFx(this, message.c_str(), kCaption(), MB_OK);
    if (result == PasswordResult::kChanged) CDialogFx::OnOK();
}

}  // namespace ledsuite
