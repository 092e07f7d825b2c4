#pragma once
// The A/D value dialog: channel, display format, sampling number and up to 16 calibration
// rows of an A/D value field. It edits a working copy; OK checks everything first and then
// writes the field whole, so a refused OK followed by Cancel leaves the field as it was.
#include <array>
#include <memory>

#include "editors/item_rules.h"
#include "toolkit/dialog_fx.h"

class QCheckBox;
class QComboBox;
class QLineEdit;

namespace ledsuite {

class CMyListCtrl;

class DlgADConvert : public CDialogFx {
    Q_OBJECT
public:
    // `field` may be null: the dialog then only shows and checks its values.
    DlgADConvert(QWidget* parent, AdcField* field);
    ~DlgADConvert() override;

    // Runs the dialog on the field; true on OK.
    static bool EditField(QWidget* parent, AdcField& field);

    QComboBox* ChannelCombo() const { return channel_; }
    QComboBox* IntDigitCombo() const { return intDigits_; }
    QComboBox* DecimalCombo() const { return decimals_; }
    QLineEdit* NumberEdit() const { return number_; }
    QCheckBox* SignCheck() const { return sign_; }
    QCheckBox* FillZeroCheck() const { return fillZero_; }
    CMyListCtrl* List() const { return list_; }
    // The values the controls hold now.
    AdcDialogValues Values() const;

protected:
    bool OnInitDialog() override;
    bool DoDataExchange(bool save) override;

private:
    void BuildList();
    void ShowRow(int row);
    // Widens the value columns to their texts (never below their first width) and the list to its columns.
    void FitColumns();
    void OnBeginCellEdit(int column, int row);
    void OnEndCellEdit(int column, int row);

    AdcField* field_;
    std::unique_ptr<AdcField> work_;
    std::array<AdcListRow, kAdcListRows> rows_{};
    QComboBox* channel_;
    QComboBox* calType_;
    QComboBox* intDigits_;
    QComboBox* decimals_;
    QLineEdit* number_;
    QCheckBox* sign_;
    QCheckBox* fillZero_;
    CMyListCtrl* list_;
};

}  // namespace ledsuite
