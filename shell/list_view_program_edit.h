#pragma once
// The local program list ("Programs List" page of the editor tab host): programs with
// their publishing status; a row may be checked only in statuses 3 and 5 to 7, and the
// pane counts the checked rows and those awaiting audit.
#include <vector>

#include "shell/vehicle_pane_util.h"

namespace ledsuite {

class ListViewProgramEdit : public ListPane {
    Q_OBJECT
public:
    enum : int {
        kCmdFirst = 32853, kCmdRelease = 32854, kCmdDelete = 32855, kCmdRefresh = 32856, kCmdRequest = 32857,
        kCmdCancelRequest = 32858,
    };
    static constexpr int kListId = 347;

    ListViewProgramEdit(QWidget* parent, InternalChannel* channel);

    intptr_t onInternal(int code, intptr_t arg) override;
    void SetRows(const std::vector<ProgramRow>& rows);
    const CheckCounts& Counts() const { return counts_; }
    // Runs a toolbar command; true when the user confirmed it (the rows it concerns are
    // then in PendingRows()).
    bool OnCommand(int id);
    const std::vector<int>& PendingRows() const { return pending_; }

private:
    void OnItemChanged(QTableWidgetItem* item);
    std::vector<int> CheckedRows() const;

    CheckCounts counts_;
    std::vector<int> pending_;
};

}  // namespace ledsuite
