#pragma once
// The server program list: programs published on the server, a status filter, one
// checked row at a time, and re-edit / cancel / delete / refresh commands.
#include <vector>

#include <QComboBox>

#include "shell/vehicle_pane_util.h"

namespace ledsuite {

class ListViewProgramServer : public ListPane {
    Q_OBJECT
public:
    enum : int { kStatusFilterId = 32857 };
    enum MenuCommand : int { kReEdit = 0, kCancelPublish = 1, kDeleteProgram = 2, kRefresh = 3 };
    static constexpr int kListId = 349;

    ListViewProgramServer(QWidget* parent, InternalChannel* channel);

    // The language switch relabels the columns, the filter's "All" and the menu.
    intptr_t onInternal(int code, intptr_t arg) override;

    void SetRows(const std::vector<ProgramRow>& rows);
    QComboBox* StatusFilter() const { return filter_; }
    // The context menu over the list: re-edit, cancel publishing, delete, refresh (data 0-3).
    QMenu* ContextMenu() const { return menu_; }
    const ServerCheckFlags& Flags() const { return flags_; }
    int CheckedRow() const;
    // A context-menu command; true when confirmed (refresh needs no confirmation).
    bool OnMenuCommand(MenuCommand command);
    static QStringList MenuTexts();

private:
    void OnItemChanged(QTableWidgetItem* item);
    void ShowMenu(const QPoint& pos);

    QComboBox* filter_;
    QMenu* menu_ = nullptr;
    ServerCheckFlags flags_;
};

}  // namespace ledsuite
