#pragma once
// The password change dialog: old password, new password and its confirmation (up to
// 16 8-bit characters each); OK checks them, sends the request over the server socket
// and shows the answer's message.
#include <optional>

#include "link/server_requests.h"
#include "toolkit/dialog_fx.h"

class QLineEdit;

namespace ledsuite {

class DlgChangePassword : public CDialogFx {
    Q_OBJECT
public:
    // `socket` null: no server connection, every OK reports the disconnection.
    DlgChangePassword(QWidget* parent, const ServerSocket* socket, uint16_t userId);

    QLineEdit* OldEdit() const { return old_; }
    QLineEdit* NewEdit() const { return new_; }
    QLineEdit* ConfirmEdit() const { return confirm_; }
    // The answer of the last OK (none before the first).
    std::optional<PasswordResult> LastResult() const { return last_; }

protected:
    bool OnInitDialog() override;
    void OnOK() override;

private:
    const ServerSocket* socket_;
    uint16_t userId_;
    QLineEdit* old_;
    QLineEdit* new_;
    QLineEdit* confirm_;
    std::optional<PasswordResult> last_;
};

}  // namespace ledsuite
