// The A/D value dialog.
#include "editors/ui/dlg_ad_convert.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QStyle>
#include <QVBoxLayout>

#include "editors/ui/item_dialog_util.h"
#include "editors/ui/item_texts.h"
#include "toolkit/list_ctrl.h"
#include "toolkit/list_helpers.h"
#include "toolkit/message_box.h"
#include "toolkit/qt_text.h"

namespace ledsuite {

namespace {
constexpr int kListColumns = 7;
constexpr int kIndexColumnWidth = 60;
constexpr int kValueColumnWidth = 64;
}  // namespace

DlgADConvert::DlgADConvert(QWidget* parent, AdcField* field)
    : CDialogFx(parent), field_(field), work_(std::make_unique<AdcField>()) {
    InitAdcSettings(*work_);
    channel_ = new QComboBox(this);
    calType_ = new QComboBox(this);
    intDigits_ = new QComboBox(this);
    decimals_ = new QComboBox(this);
    number_ = new QLineEdit(this);
    number_->setMaxLength(64);
    sign_ = new QCheckBox(ToQString(item_text::kShowSign), this);
    fillZero_ = new QCheckBox(ToQString(item_text::kFillZero), this);
    list_ = new CMyListCtrl(this);
    connect(list_, &CMyListCtrl::BeginCellEdit, this, &DlgADConvert::OnBeginCellEdit);
    connect(list_, &CMyListCtrl::EndCellEdit, this, &DlgADConvert::OnEndCellEdit);

    auto* form = new QGridLayout;
    form->addWidget(new QLabel(ToQString(item_text::kChannel), this), 0, 0);
    form->addWidget(channel_, 0, 1);
    form->addWidget(new QLabel(ToQString(item_text::kCalibrateType), this), 0, 2);
    form->addWidget(calType_, 0, 3);
    form->addWidget(new QLabel(ToQString(item_text::kGrabPeriod), this), 1, 0);
    form->addWidget(number_, 1, 1);
    form->addWidget(new QLabel(ToQString(item_text::kShowFormat), this), 1, 2);
    auto* digits = new QHBoxLayout;
    digits->addWidget(intDigits_);
    digits->addWidget(decimals_);
    form->addLayout(digits, 1, 3);
    form->addWidget(sign_, 2, 0);
    form->addWidget(fillZero_, 2, 1);
    form->addWidget(new QLabel(QStringLiteral("(Y = A × X^3 + B × X^2 + C × X + D)"), this), 2, 2, 1, 2);

    auto* all = new QVBoxLayout(this);
    all->addLayout(form);
    all->addWidget(list_);
    AddOkCancelRow(this, all);
    setWindowTitle(ToQString(item_text::kAdcTitle));
}

DlgADConvert::~DlgADConvert() = default;

bool DlgADConvert::EditField(QWidget* parent, AdcField& field) {
    DlgADConvert dlg(parent, &field);
    return dlg.exec() == QDialog::Accepted;
}

void DlgADConvert::BuildList() {
    list_->setColumnCount(kListColumns);
    list_->setRowCount(kAdcListRows);
    QStringList headers{ToQString(item_text::kIndex)};
    for (const char* name : {"A", "B", "C", "D", "X1", "X2"}) headers << QString::fromLatin1(name);
    list_->setHorizontalHeaderLabels(headers);
    list_->horizontalHeader()->setDefaultAlignment(Qt::AlignCenter);
    list_->setColumnWidth(0, kIndexColumnWidth);
    for (int c = 1; c < kListColumns; ++c) list_->setColumnWidth(c, kValueColumnWidth);
    list_->setShowGrid(true);
    list_->setSelectionBehavior(QAbstractItemView::SelectRows);
    list_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    for (int r = 0; r < kAdcListRows; ++r) {
        for (int c = 0; c < kListColumns; ++c) {
            auto* item = new QTableWidgetItem;
            item->setTextAlignment(Qt::AlignCenter);
            list_->setItem(r, c, item);
        }
        list_->item(r, 0)->setText(QString::number(r + 1));
        list_->item(r, 0)->setFlags(list_->item(r, 0)->flags() | Qt::ItemIsUserCheckable);
    }
}

void DlgADConvert::ShowRow(int row) {
    const AdcListRow& r = rows_[size_t(row)];
    list_->item(row, 0)->setCheckState(r.checked ? Qt::Checked : Qt::Unchecked);
    if (!r.checked) return;  // rows past the stored ones start empty
    for (int c = 1; c < kListColumns; ++c) list_->item(row, c)->setText(ToQString(AdcCellText(r.row, c)));
}

void DlgADConvert::FitColumns() {
    for (int c = 1; c < kListColumns; ++c) {
        QStringList texts;
        for (int r = 0; r < list_->rowCount(); ++r) texts << list_->item(r, c)->text();
        FitListColumn(list_, c, texts);
        if (list_->columnWidth(c) < kValueColumnWidth) list_->setColumnWidth(c, kValueColumnWidth);
    }
    // The list is at least as wide as all its columns, so none hides behind a scroll bar
    // whatever width the labels of the language give the dialog.
    int width = 2 * list_->frameWidth() + list_->style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, list_);
    for (int c = 0; c < kListColumns; ++c) width += list_->columnWidth(c);
    list_->setMinimumWidth(width);
}

bool DlgADConvert::OnInitDialog() {
    BuildList();
    if (field_) *work_ = *field_;
    for (int i = 0; i < kAdcChannels; ++i) channel_->addItem(QStringLiteral("ADC_Channel_%1").arg(i));
    calType_->addItem(ToQString(item_text::kThreePower));
    calType_->setCurrentIndex(0);
    for (int i = 0; i <= kMaxDigitCount; ++i) {
        intDigits_->addItem(QString::number(i));
        decimals_->addItem(QString::number(i));
    }
    // The base shows the values (DoDataExchange) once the controls are filled.
    return CDialogFx::OnInitDialog();
}

AdcDialogValues DlgADConvert::Values() const {
    AdcDialogValues v;
    v.channel = std::max(channel_->currentIndex(), 0);
    v.showSign = sign_->isChecked();
    v.fillZero = fillZero_->isChecked();
    v.intDigits = std::max(intDigits_->currentIndex(), 0);
    v.decimals = std::max(decimals_->currentIndex(), 0);
    v.number = ParseLeadingInteger(ToU16(number_->text()));
    for (int r = 0; r < list_->rowCount() && r < kAdcListRows; ++r) {
        AdcListRow row = rows_[size_t(r)];
        row.checked = list_->item(r, 0)->checkState() == Qt::Checked;
        v.rows.push_back(row);
    }
    return v;
}

bool DlgADConvert::DoDataExchange(bool save) {
    if (!save) {
        const AdcDialogValues v = AdcValuesFromField(*work_);
        sign_->setChecked(v.showSign);
        fillZero_->setChecked(v.fillZero);
        for (int r = 0; r < kAdcListRows; ++r) {
            rows_[size_t(r)] = v.rows[size_t(r)];
            ShowRow(r);
        }
        FitColumns();
        channel_->setCurrentIndex(v.channel);
        intDigits_->setCurrentIndex(v.intDigits);
        decimals_->setCurrentIndex(v.decimals);
        number_->setText(QString::number(v.number));
        return true;
    }
    const AdcDialogValues v = Values();
    const AdcCheck check = CheckAdcValues(v);
    if (check == AdcCheck::NoDigits || (field_ && check != AdcCheck::Ok)) {
        MessageBoxFx(this, AdcCheckMessage(check), nullptr, 0);
        return false;
    }
    if (field_) ApplyAdcValues(v, *field_);
    return true;
}

void DlgADConvert::OnBeginCellEdit(int column, int row) {
    if (column < 1 || column >= kListColumns || row < 0 || row >= kAdcListRows) return;
    list_->ShowInPlaceEdit(row, column, ToQString(AdcCellText(rows_[size_t(row)].row, column)));
}

void DlgADConvert::OnEndCellEdit(int column, int row) {
    if (column < 1 || column >= kListColumns || row < 0 || row >= kAdcListRows) return;
    AdcCalibration& cell = rows_[size_t(row)].row;
    SetAdcCell(cell, column, ToU16(list_->item(row, column)->text()));
    list_->item(row, column)->setText(ToQString(AdcCellText(cell, column)));
    FitColumns();
}

}  // namespace ledsuite
