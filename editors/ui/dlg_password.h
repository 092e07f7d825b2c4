#pragma once
// The service-password prompt asked before the hardware parameters are set or applied.
#include "toolkit/dialog_fx.h"

class QLineEdit;
class QPushButton;

namespace ledsuite {

class CDlgPassword : public CDialogFx {
    Q_OBJECT
public:
    explicit CDlgPassword(QWidget* parent = nullptr);
    QLineEdit* PasswordField() const { return field_; }
    QPushButton* OkButton() const { return ok_; }

protected:
    // An empty or wrong password shows its message and keeps the prompt open.
    void OnOK() override;

private:
    QLineEdit* field_;
    QPushButton* ok_;
};

}  // namespace ledsuite
