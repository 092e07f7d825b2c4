#include "shell/dlg_preference.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "shell/server_session.h"
#include "shell/vehicle_pane_util.h"
#include "toolkit/message_box.h"
#include "toolkit/qt_text.h"

namespace ledsuite {

namespace {

const LangText kCaption{{u"个人偏好", u"個人偏好", u"Preference"}};
// Labels of block bytes 1 to 8: two vehicle states, then six program states.
const LangText kLabels[8] = {
    {{u"在线", u"在線", u"Online"}},       {{u"离线", u"離線", u"Offline"}},   {{u"未审核", u"未審核", u"Unverified"}},
    {{u"已驳回", u"已駁回", u"Overruled"}}, {{u"已审核", u"已審核", u"Verified"}}, {{u"发送中", u"發送中", u"Sending"}},
    {{u"已完成", u"已完成", u"Finished"}},  {{u"已删除", u"已刪除", u"Deleted"}},
};
const LangText kGprsGroup{{u"车辆列表", u"車輛列表", u"Gprs List View"}};
const LangText kProgramGroup{{u"节目列表", u"節目列表", u"Program List View"}};
const LangText kSaveText{{u"保存", u"保存", u"Save"}};
const LangText kDefaultText{{u"默认", u"默認", u"Default"}};
constexpr uint8_t kComboColorCode = 4;  // the 16 standard colours

}  // namespace

void SetPreferenceColor(PreferenceBlock& block, int byteIndex, int colorIndex) {
    if (byteIndex < 1 || byteIndex > 8 || colorIndex < 0) return;
    uint8_t& b = block[size_t(byteIndex)];
    b = uint8_t((b & 0xF0) | (colorIndex & 0x0F));
}

DlgPreference::DlgPreference(QWidget* parent, PreferenceBlock* block, ServerSession* server)
    : CDialogFx(parent), block_(block), server_(server) {
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(10, 8, 10, 8);
    QGroupBox* boxes[2] = {new QGroupBox(ToQString(kGprsGroup), this), new QGroupBox(ToQString(kProgramGroup), this)};
    QGridLayout* grids[2] = {new QGridLayout(boxes[0]), new QGridLayout(boxes[1])};
    for (int i = 0; i < 8; ++i) {
        const int box = i < 2 ? 0 : 1, at = i < 2 ? i : i - 2;
        auto* combo = new CComboBoxColor(this);
        combo->setProperty("controlId", kPreferenceCombos[size_t(i)]);
        combo->SetColorCode(kComboColorCode);
        combos_[size_t(i)] = combo;
        grids[box]->addWidget(new QLabel(ToQString(kLabels[i]), this), at / 2, (at % 2) * 2);
        grids[box]->addWidget(combo, at / 2, (at % 2) * 2 + 1);
        connect(combo, &QComboBox::activated, this, [this, i](int index) {
            if (block_) SetPreferenceColor(*block_, i + 1, index);
        });
    }
    layout->addWidget(boxes[0]);
    layout->addWidget(boxes[1]);
    auto* buttons = new QHBoxLayout;
    auto* save = new QPushButton(ToQString(kSaveText), this);
    save->setProperty("controlId", int(kSaveId));
    auto* reset = new QPushButton(ToQString(kDefaultText), this);
    reset->setProperty("controlId", int(kDefaultId));
    connect(save, &QPushButton::clicked, this, [this] { Save(); });
    connect(reset, &QPushButton::clicked, this, [this] { RestoreDefault(); });
    buttons->addStretch();
    buttons->addWidget(save);
    buttons->addWidget(reset);
    layout->addLayout(buttons);
    SetClientSize(QSize(360, 240));
}

CComboBoxColor* DlgPreference::Combo(int controlId) const {
    for (CComboBoxColor* c : combos_)
        if (c->property("controlId").toInt() == controlId) return c;
    return nullptr;
}

bool DlgPreference::OnInitDialog() {
    if (!CDialogFx::OnInitDialog()) return false;
    setWindowTitle(ToQString(kCaption));
    if (block_) opening_ = *block_;
    ShowBlock();
    return true;
}

void DlgPreference::ShowBlock() {
    for (size_t i = 0; i < combos_.size(); ++i) combos_[i]->setCurrentIndex(block_ ? (*block_)[i + 1] & 0x0F : 0);
}

bool DlgPreference::Save() {
    if (block_) (*block_)[0] = 0;
    const int result = server_ ? server_->UploadGroups() : kUploadNoConnection;
    if (result != kUploadOk) {
        MessageBoxFx(this, GroupUploadMessage(result).c_str(), nullptr, MB_OK | MB_ICONEXCLAMATION);
        return false;
    }
    MessageBoxFx(this, kSaveSucceeded(), nullptr, MB_OK);
    return true;
}

void DlgPreference::RestoreDefault() {
    if (block_) *block_ = opening_;
    ShowBlock();
}

}  // namespace ledsuite
