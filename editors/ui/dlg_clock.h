#pragma once
// The clock dialog: picks the background image of an analogue clock with the editing
// surface's own icon picker, which it borrows while it is open. A pick is written into the
// clock at once and the surface is told to redraw. Every way of closing hands the picker
// back to its owner first, so it never goes down with the dialog.
#include <QPointer>

#include "content/model/field_objects.h"
#include "content/imc_codes.h"
#include "toolkit/dialog_fx.h"
#include "toolkit/icon_picker.h"

class QComboBox;
class QPushButton;

namespace ledsuite {


class DlgClock : public CDialogFx {
    Q_OBJECT
public:
    // `surface` is told IMC_REFRESH_EDITOR_ALT after each pick; `picker` is borrowed from
    // its current parent and given back to it.
    DlgClock(QWidget* parent, ClockObject* clock, InternalTarget* surface, CIconPicker* picker);
    ~DlgClock() override;

    // Runs the dialog on the clock; the clock keeps what was picked.
    static void EditField(QWidget* parent, ClockObject& clock, InternalTarget* surface, CIconPicker* picker);

    QPushButton* BackgroundButton() const { return background_; }
    QComboBox* HandCombo() const { return hand_; }
    CIconPicker* Picker() const { return picker_; }
    // The picker's notice: the clock takes the picked picture (or none).
    void OnPicked();

protected:
    bool OnInitDialog() override;
    void OnOK() override { OnCancel(); }  // Enter closes like Esc
    void OnCancel() override;
    void closeEvent(QCloseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    void OpenPicker();
    void HandBackPicker();

    ClockObject* clock_;
    InternalTarget* surface_;
    QPointer<CIconPicker> picker_;
    QPointer<QWidget> pickerOwner_;
    bool pickerWasHidden_ = true;
    QComboBox* hand_;
    QPushButton* background_;
};

}  // namespace ledsuite
