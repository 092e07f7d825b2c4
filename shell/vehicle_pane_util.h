#pragma once
// What the vehicle and program list panes share: a toolbar across the top with a report
// list below, columns from a table, rows from records, and the check boxes of column 0.
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include <QMenu>
#include <QToolBar>
#include <QWidget>

#include "content/imc_codes.h"
#include "content/model/lang.h"
#include "link/vehicle_lists.h"
#include "toolkit/list_ctrl.h"

namespace ledsuite {

struct ListColumn {
    LangText title;
    int width;
};

// The product caption of the panes' messages.
inline constexpr const char16_t* kSuiteCaption = u"Kesh Varn PC Suit";
// The language table's save-succeeded text.
extern const LangText kSaveSucceeded;

// A pane: toolbar on top at its own height, the list filling the rest.
class ListPane : public QWidget, public InternalTarget {
    Q_OBJECT
public:
    ListPane(QWidget* parent, InternalChannel* channel, int listId);
    CMyListCtrl* List() const { return list_; }
    QToolBar* ToolBar() const { return toolbar_; }
    void SetChannel(InternalChannel* channel) { channel_ = channel; }
    intptr_t onInternal(int, intptr_t) override { return 0; }

protected:
    // Qt's language event re-labels the pane as IMC_LANGUAGE_CHANGED does.
    void changeEvent(QEvent* event) override;
    // Report view, full-row selection, grid lines, check boxes in column 0.
    void SetColumns(const ListColumn* columns, int count, bool centred);
    // The header texts again in the current language (widths and order kept).
    void RelabelColumns(const ListColumn* columns, int count);
    // One row per entry; column 0 carries a check box, the status in its data.
    void FillRows(const std::vector<ProgramRow>& rows);
    // Puts a check state without the change handlers running.
    void SetCheckedQuietly(int row, bool checked);
    bool IsChecked(int row) const;
    uint8_t RowStatus(int row) const;
    bool Quiet() const { return quiet_; }

    InternalChannel* channel_;
    CMyListCtrl* list_;
    QToolBar* toolbar_;

private:
    bool quiet_ = false;
};

// One entry of a pane's context menu: its command id and text.
struct MenuEntry {
    int id;
    LangText text;
};
// A pane's context menu: one action per entry (its id in the action's data), the
// triggered one's id going to `run`. The pane pops it up where the user asks for it.
QMenu* BuildCommandMenu(QWidget* owner, const MenuEntry* entries, size_t count, const std::function<void(int)>& run);
// The entries' texts again in the current language.
void RelabelCommandMenu(QMenu* menu, const MenuEntry* entries, size_t count);
// The action of a command in a menu or on a toolbar (its data is the id), or null.
QAction* CommandAction(const QWidget* menuOrToolBar, int id);

// Yes / No question with a question icon (No the default when `defaultNo`); true on Yes.
bool AskYesNo(QWidget* parent, const char16_t* text, const char16_t* caption, bool defaultNo);

}  // namespace ledsuite
