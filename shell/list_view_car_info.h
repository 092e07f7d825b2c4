#pragma once
// The vehicle list: vehicles reached through the server, with a state filter, a search
// by GPRS id, driver or plate, sorting by any column but the index, check commands,
// the program query of a vehicle and the Excel export.
#include <cstdint>
#include <vector>

#include <QComboBox>
#include <QLineEdit>

#include "shell/vehicle_pane_util.h"

namespace ledsuite {

class ListViewCarInfo : public ListPane {
    Q_OBJECT
public:
    enum : int {
        kStateFilterId = 32918, kExportId = 32924, kSearchFieldId = 32928, kSearchEditId = 32929,
        kSearchId = 32930, kSelectAll = 32932, kSelectInverse = 32933, kDeselect = 32934, kResend = 32935,
        kDeleteAllPrograms = 32936, kViewProgram = 32937, kRestart = 32938,
    };
    static constexpr int kListId = 371;

    ListViewCarInfo(QWidget* parent, InternalChannel* channel);

    intptr_t onInternal(int code, intptr_t arg) override;
    void SetRows(const std::vector<VehicleRow>& rows);
    QComboBox* StateFilter() const { return stateFilter_; }
    QComboBox* SearchField() const { return searchField_; }
    QLineEdit* SearchEdit() const { return searchEdit_; }
    // The context menu over the list (32932-32938).
    QMenu* ContextMenu() const { return menu_; }

    // A header click on column c (column 0 does not sort).
    void SortByColumn(int column);
    // The search button: selects the first row whose searched column holds the text.
    void Search();
    void OnCommand(int id);
    // The id the program query opens with: the selected row's "GPRS ID" (column 1; column 0
    // is the index the rows are renumbered with after every sort).
    std::u16string SelectedVehicleId() const;

private:
    void FillCombos(int language);
    void ShowMenu(const QPoint& pos);

    QComboBox* stateFilter_;
    QComboBox* searchField_;
    QLineEdit* searchEdit_;
    QMenu* menu_ = nullptr;
    std::vector<uint8_t> ascending_;  // one direction flag per column
    bool busy_ = false;
};

}  // namespace ledsuite
