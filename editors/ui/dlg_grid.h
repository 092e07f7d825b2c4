#pragma once
// The table dialog: columns, rows, frame type and frame colour of a table, asked when a
// table is inserted (no table given) and when a table's properties are edited. OK is
// refused for a size whose cells do not fit a text's 2048 cells.
#include <QComboBox>

#include "content/imc_codes.h"
#include "editors/grid_editor.h"
#include "toolkit/color_combo.h"
#include "toolkit/dialog_fx.h"

class QLabel;
class QPushButton;

namespace ledsuite {

class DlgGrid : public CDialogFx {
    Q_OBJECT
public:
    // `screen` answers IMC_GET_SCREEN_RECORD (the current HardwareParams, or 0).
    DlgGrid(QWidget* parent, GridObject* grid, InternalChannel* screen);

    const GridDialogValues& Values() const { return values_; }
    QComboBox* ColumnCombo() const { return columns_; }
    QComboBox* RowCombo() const { return rows_; }
    QComboBox* FrameCombo() const { return frame_; }
    CComboBoxColor* ColorCombo() const { return color_; }
    // Whether the last OK was refused for its size.
    bool RefusedSize() const { return refused_; }

protected:
    bool OnInitDialog() override;
    bool DoDataExchange(bool save) override;

private:
    GridObject* grid_;
    InternalChannel* screen_;
    GridDialogValues values_;
    QComboBox* columns_;
    QComboBox* rows_;
    QComboBox* frame_;
    CComboBoxColor* color_;
    bool refused_ = false;
};

}  // namespace ledsuite
