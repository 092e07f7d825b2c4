#pragma once
// "发送分页节目": compiles one program set of the screen and sends it to one of the
// card's 256 pages, or deletes one page or all of them.
#include "content/model/program_tree.h"
#include "link/paged_send.h"
#include "link/ui/link_messages.h"
#include "toolkit/dialog_fx.h"

class QCheckBox;
class QComboBox;
class QPushButton;

namespace ledsuite {

// The protocol choice, kept for the next opening of the dialog.
int PagedProtocolChoice();

// The tree compiled for a paged send: the screen and the selected set with its programs;
// with `wholeScreen` every set of the screen.
ProgramTree PagedSendTree(const ProgramTree& tree, size_t setIndex, bool wholeScreen);

class DlgSendIndex : public CDialogFx {
    Q_OBJECT
public:
    // `tree` is the active tree, `setIndex` its selected program set.
    DlgSendIndex(const ProgramTree& tree, size_t setIndex, QWidget* parent = nullptr);

    void SetMessageSink(LinkMessageSink sink) { message_ = std::move(sink); }
    void SetTimeouts(const PagedTimeouts& t) { timeouts_ = t; }

    QComboBox* PageCombo() const { return page_; }
    QComboBox* ProtocolCombo() const { return protocol_; }
    QCheckBox* WholeScreenBox() const { return whole_; }
    QPushButton* SendButton() const { return send_; }
    QPushButton* DeleteButton() const { return delete_; }
    QPushButton* DeleteAllButton() const { return deleteAll_; }

    void OnSend();
    void OnDelete(bool all);

protected:
    bool OnInitDialog() override;

private:
    void Show(const PagedResult& result);

    const ProgramTree& tree_;
    size_t setIndex_;
    LinkMessageSink message_;
    PagedTimeouts timeouts_;
    QComboBox* page_ = nullptr;
    QComboBox* protocol_ = nullptr;
    QCheckBox* whole_ = nullptr;
    QPushButton *send_ = nullptr, *delete_ = nullptr, *deleteAll_ = nullptr;
};

}  // namespace ledsuite
