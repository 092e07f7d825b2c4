// The clock dialog.
#include "editors/ui/dlg_clock.h"

#include <QCloseEvent>
#include <QKeyEvent>
#include <QComboBox>
#include <QGridLayout>
#include <QLabel>
#include <QPushButton>

#include "editors/item_rules.h"
#include "editors/ui/item_texts.h"
#include "toolkit/icon_picker.h"
#include "toolkit/qt_image.h"
#include "toolkit/qt_text.h"

namespace ledsuite {

DlgClock::DlgClock(QWidget* parent, ClockObject* clock, InternalTarget* surface, CIconPicker* picker)
    : CDialogFx(parent), clock_(clock), surface_(surface), picker_(picker) {
    hand_ = new QComboBox(this);
    background_ = new QPushButton(ToQString(item_text::kBackground), this);
    auto* form = new QGridLayout(this);
    form->addWidget(new QLabel(ToQString(item_text::kClockHand), this), 0, 0);
    form->addWidget(hand_, 0, 1);
    form->addWidget(new QLabel(ToQString(item_text::kBackground), this), 1, 0);
    form->addWidget(background_, 1, 1);
    background_->setAutoDefault(false);  // Enter closes the dialog instead of opening the popup
    connect(background_, &QPushButton::clicked, this, &DlgClock::OpenPicker);
    setWindowTitle(ToQString(item_text::kClockTitle));
}

DlgClock::~DlgClock() { HandBackPicker(); }

void DlgClock::EditField(QWidget* parent, ClockObject& clock, InternalTarget* surface, CIconPicker* picker) {
    DlgClock dlg(parent, &clock, surface, picker);
    dlg.exec();
}

bool DlgClock::OnInitDialog() {
    if (!CDialogFx::OnInitDialog()) return false;
    hand_->addItem(ToQString(item_text::kLine));
    hand_->setCurrentIndex(0);
    if (picker_) {
        pickerOwner_ = picker_->parentWidget();
        pickerWasHidden_ = picker_->isHidden();
        picker_->setParent(this);
        picker_->hide();  // the dialog's own button opens its popup
        connect(picker_, &CIconPicker::InternalMessage, this, [this](int code, const QVariant&) {
            if (picker_ && code == picker_->NotifyCode()) OnPicked();
        });
    }
    return true;
}

void DlgClock::OpenPicker() {
    if (!picker_ || picker_->PopupOpen()) return;
    picker_->ShowPopup(background_->mapToGlobal(background_->rect().bottomLeft()));
}

void DlgClock::OnPicked() {
    if (!picker_ || !clock_) return;
    const int selection = picker_->Selection();
    std::unique_ptr<RawImage> face;
    if (selection > 0 && size_t(selection) < picker_->Entries().size())
        face = CreateImageFromHBitmap(picker_->Entries()[size_t(selection)].bitmap.toImage());
    SetClockFace(*clock_, std::move(face));
    // The clock dialog's refresh code (273).
    if (surface_) surface_->onInternal(IMC_REFRESH_EDITOR_ALT, 0);
}

void DlgClock::HandBackPicker() {
    if (!picker_) return;
    disconnect(picker_, nullptr, this, nullptr);
    if (picker_->parentWidget() == this) {
        picker_->setParent(pickerOwner_);
        picker_->setHidden(pickerWasHidden_);
    }
    picker_ = nullptr;
    pickerOwner_ = nullptr;
}

void DlgClock::OnCancel() {
    HandBackPicker();
    clock_ = nullptr;
    surface_ = nullptr;
    CDialogFx::OnCancel();
}

void DlgClock::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) OnCancel();
    else CDialogFx::keyPressEvent(event);
}

void DlgClock::closeEvent(QCloseEvent* event) {
    HandBackPicker();
    CDialogFx::closeEvent(event);
}

}  // namespace ledsuite
