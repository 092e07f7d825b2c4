#pragma once
// "Query Program": the sending details of programs and vehicles in two report lists,
// one above the other. The dialog shows, searches, selects and exports rows; its owner
// fills them.
#include <string>
#include <vector>

#include <QStringList>

#include "link/vehicle_lists.h"
#include "toolkit/dialog_fx.h"
#include "toolkit/list_ctrl.h"

class QLabel;
class QLineEdit;
class QRadioButton;
class QPushButton;
class QVBoxLayout;

namespace ledsuite {

class CQuestProgramDlg : public CDialogFx {
    Q_OBJECT
public:
    enum Detail { kDetailSending = 0, kDetailCars = 1 };
    // Context-menu commands.
    enum Command { kDeleteSelected = 0, kResendSelected = 1, kDeleteAll = 2 };

    // `vehicleId`: the GPRS id the query is about (empty for none).
    CQuestProgramDlg(QWidget* parent, std::u16string vehicleId);

    const std::u16string& VehicleId() const { return vehicleId_; }
    CMyListCtrl* ProgramList() const { return programs_; }
    CMyListCtrl* CarList() const { return cars_; }
    // The list shown on top (the programs for kDetailSending) and its caption.
    CMyListCtrl* TopList() const { return detail_ == kDetailSending ? programs_ : cars_; }
    QLabel* TopCaption() const { return topCaption_; }
    QLabel* BottomCaption() const { return bottomCaption_; }
    QLineEdit* QueryEdit() const { return query_; }
    Detail CurrentDetail() const { return detail_; }

    // Puts one list on top, swaps the captions and clears both lists.
    void SetDetail(Detail detail);
    void SetProgramRows(const std::vector<std::vector<std::u16string>>& rows);
    void SetCarRows(const std::vector<std::vector<std::u16string>>& rows);
    // "Search Program" (titles) and "Search GPRS" (GPRS ids) with the query text.
    void SearchProgram();
    void SearchGprs();
    // "Export Excel": the top list, named after the detail; true when it was written.
    bool ExportTopList();
    // The selected rows of both lists, as a context-menu command sees them.
    std::vector<int> SelectedProgramRows() const;
    std::vector<int> SelectedCarRows() const;
    void RunCommand(Command command);

protected:
    bool OnInitDialog() override;

private:
    void BuildLists();
    void PlaceLists();
    void ShowMenu(CMyListCtrl* list, const QPoint& pos);

    std::u16string vehicleId_;
    Detail detail_ = kDetailSending;
    CMyListCtrl* programs_;
    CMyListCtrl* cars_;
    QLabel* topCaption_;
    QLabel* bottomCaption_;
    QRadioButton* sendingChoice_;
    QRadioButton* carsChoice_;
    QLineEdit* query_;
    QVBoxLayout* listsLayout_ = nullptr;
};

// Selects every row whose text in `column` contains `text` (the first one scrolled into
// view) and deselects the others; the number of rows selected.
int SelectRowsContaining(CListCtrlEx* list, int column, const QString& text);
// The sorted row indexes of a list's selection.
std::vector<int> SelectedRows(const CListCtrlEx* list);
// Replaces a list's rows by `rows`, one text per column.
void FillListRows(CListCtrlEx* list, const std::vector<std::vector<std::u16string>>& rows);

}  // namespace ledsuite
