// The A/D value dialog offscreen.
#include "editors/ui/dlg_ad_convert.h"

#include <tuple>

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>

#include <gtest/gtest.h>

#include "tests/editors_ui/item_dialog_test_util.h"
#include "toolkit/list_ctrl.h"

namespace ledsuite {
namespace {

std::unique_ptr<AdcField> StoredField() {
    auto field = std::make_unique<AdcField>();
    field->attr = 0xC0FFEE, field->digitFormat = 0x41, field->number = 12;
    field->channel = 40;  // held to 15 when shown
    field->rows[0] = {100, 100, 1, 0, 0, 0};  // X1 = X2: not shown
    field->rows[1] = {0, 10, 2.5f, 0, 0, 1};
    return field;
}

// OK is refused with `message` and the dialog stays open.
void ExpectRefused(DlgADConvert& dlg, const char16_t* message) {
    testing::BoxCloser box;
    dlg.accept();
    EXPECT_EQ(std::tuple(box.texts, dlg.isVisible()), std::tuple(std::vector{QString::fromUtf16(message)}, true));
}

TEST(DlgADConvert, OpensWithTheValidRowsAndRefusedOkThenCancelKeepsTheField) {
    auto field = StoredField();
    const auto before = std::make_unique<AdcField>(*field);
    DlgADConvert dlg(nullptr, field.get());
    dlg.show();
    CMyListCtrl* list = dlg.List();
    ASSERT_EQ(list->rowCount(), 16);
    EXPECT_EQ((QStringList{list->item(15, 0)->text(), list->item(0, 1)->text(), list->item(0, 6)->text(),
                           dlg.ChannelCombo()->currentText(), dlg.NumberEdit()->text()}),
              (QStringList{"16", "2.500000", "10", "ADC_Channel_15", "12"}));
    EXPECT_EQ(std::tuple(list->item(0, 0)->checkState(), list->item(1, 0)->checkState()),
              std::tuple(Qt::Checked, Qt::Unchecked));
    EXPECT_EQ(std::tuple(dlg.IntDigitCombo()->currentIndex(), dlg.DecimalCombo()->currentIndex()), std::tuple(4, 1));

    // Typing into the second row's X1 and X2, then checking it.
    list->OnEndLabelEdit(1, 5, QStringLiteral("12abc"));
    EXPECT_EQ(list->item(1, 5)->text(), "12");
    list->OnEndLabelEdit(1, 6, QStringLiteral("5000"));
    list->item(1, 0)->setCheckState(Qt::Checked);
    ExpectRefused(dlg, u"X2不能大于4096");
    dlg.reject();
    // Nothing of the refused OK reached the field.
    EXPECT_EQ(std::tuple(field->digitFormat, field->channel, field->rows[0].x1, field->rows[1].x2, field->attr),
              std::tuple(before->digitFormat, before->channel, 100, 10, 0xC0FFEEu));
}

TEST(DlgADConvert, MessagesInOrderThenOkWritesTheWholeField) {
    auto field = StoredField();
    DlgADConvert dlg(nullptr, field.get());
    dlg.show();
    dlg.IntDigitCombo()->setCurrentIndex(0);
    dlg.DecimalCombo()->setCurrentIndex(0);
    ExpectRefused(dlg, u"整数位数和小数位数不能同时为零");

    dlg.IntDigitCombo()->setCurrentIndex(3);
    dlg.DecimalCombo()->setCurrentIndex(2);
    dlg.List()->OnEndLabelEdit(2, 5, QStringLiteral("9"));
    dlg.List()->OnEndLabelEdit(2, 6, QStringLiteral("9"));
    dlg.List()->item(2, 0)->setCheckState(Qt::Checked);
    ExpectRefused(dlg, u"X1应小于X2");
    EXPECT_EQ(field->digitFormat, 0x41);

    dlg.List()->OnEndLabelEdit(2, 6, QStringLiteral("4096"));
    dlg.SignCheck()->setChecked(true);
    dlg.ChannelCombo()->setCurrentIndex(2);
    dlg.NumberEdit()->setText(QStringLiteral("77"));
    dlg.accept();
    EXPECT_EQ(dlg.result(), QDialog::Accepted);
    EXPECT_EQ(std::tuple(field->digitFormat, field->flags, field->channel, field->number, field->attr),
              std::tuple(0x32, 1, 2, 77, 0xC0FFEEu));
    EXPECT_EQ(std::tuple(field->rows[0].x2, field->rows[0].a, field->rows[1].x1, field->rows[1].x2, field->rows[2].x2),
              std::tuple(10, 2.5f, 9, 4096, 0));
}

}  // namespace
}  // namespace ledsuite
