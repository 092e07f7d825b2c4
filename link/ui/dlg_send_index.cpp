#include "link/ui/dlg_send_index.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QLabel>
#include <QPushButton>

#include "content/model/lang.h"
#include "content/card/program_encoder.h"
#include "toolkit/message_box.h"
#include "toolkit/qt_text.h"

namespace ledsuite {

namespace {

const LangText kIndex{{u"页号", u"頁號", u"Index"}};
const LangText kSend{{u"发送", u"發送", u"Send"}};
const LangText kCaption{{u"发送分页节目", u"發送分頁節目", u"Send Paged Programs"}};
const LangText kDelete{{u"删除", u"刪除", u"Delete"}};
const LangText kDeleteAll{{u"全部删除", u"全部刪除", u"Del All"}};

int g_protocol = kProtocolKip;

}  // namespace

int PagedProtocolChoice() { return g_protocol; }

ProgramTree PagedSendTree(const ProgramTree& tree, size_t setIndex, bool wholeScreen) {
    ProgramTree out(tree.screen());
    if (wholeScreen) {
        out.sets() = tree.sets();
    } else if (setIndex < tree.sets().size()) {
        out.sets().push_back(tree.sets()[setIndex]);
    }
    return out;
}

DlgSendIndex::DlgSendIndex(const ProgramTree& tree, size_t setIndex, QWidget* parent)
    : CDialogFx(parent), tree_(tree), setIndex_(setIndex), message_(MessageBoxSinkFor(this)) {
    auto* grid = new QGridLayout(this);
    auto* label = new QLabel(ToQString(kIndex), this);
    page_ = new QComboBox(this);
    for (int i = 1; i <= kPageCount; ++i) page_->addItem(QString::number(i));
    protocol_ = new QComboBox(this);
    protocol_->addItems({QStringLiteral("KIP"), QStringLiteral("GPS")});
    whole_ = new QCheckBox(this);
    send_ = new QPushButton(this);
    delete_ = new QPushButton(this);
    deleteAll_ = new QPushButton(this);
    grid->addWidget(label, 0, 0);
    grid->addWidget(page_, 0, 1);
    grid->addWidget(protocol_, 0, 2);
    grid->addWidget(whole_, 1, 0);
    grid->addWidget(send_, 2, 0);
    grid->addWidget(delete_, 2, 1);
    grid->addWidget(deleteAll_, 2, 2);
    connect(send_, &QPushButton::clicked, this, &DlgSendIndex::OnSend);
    connect(delete_, &QPushButton::clicked, this, [this] { OnDelete(false); });
    connect(deleteAll_, &QPushButton::clicked, this, [this] { OnDelete(true); });
    connect(protocol_, &QComboBox::currentIndexChanged, this, [](int i) { g_protocol = i < 0 ? kProtocolKip : i; });
    SetClientSize(QSize(300, 120));
}

bool DlgSendIndex::OnInitDialog() {
    if (!CDialogFx::OnInitDialog()) return false;
    setWindowTitle(ToQString(kCaption));
    send_->setText(ToQString(kSend));
    delete_->setText(ToQString(kDelete));
    deleteAll_->setText(ToQString(kDeleteAll));
    protocol_->setCurrentIndex(g_protocol);
    return true;
}

void DlgSendIndex::OnSend() {
    const ProgramTree sendTree = PagedSendTree(tree_, setIndex_, whole_->isChecked());
    PagedCompile compile = [&sendTree](std::span<uint8_t> buffer, uint32_t* position) {
        return BuildProgramImage(buffer.data(), position, sendTree, buffer.size());
    };
    const PortSetting port{tree_.screen().comIndex, tree_.screen().baudIndex};
    Show(SendPagedImage(port, compile, uint32_t(page_->currentIndex()), protocol_->currentIndex(), timeouts_));
}

void DlgSendIndex::OnDelete(bool all) {
    const PortSetting port{tree_.screen().comIndex, tree_.screen().baudIndex};
    Show(DeletePagedImage(port, all ? kAllPages : uint32_t(page_->currentIndex()), timeouts_));
}

void DlgSendIndex::Show(const PagedResult& result) {
    const std::u16string text = PagedResultMessage(result, tree_.screen().comIndex + 1);
    if (!text.empty()) message_(text, {}, MB_OK);
}

}  // namespace ledsuite
