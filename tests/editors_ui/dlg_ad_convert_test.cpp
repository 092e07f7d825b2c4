// The A/D value dialog offscreen.
#include "editors/ui/dlg_ad_convert.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>

#include <gtest/gtest.h>

#include "tests/editors_ui/item_dialog_test_util.h"
#include "toolkit/list_ctrl.h"

namespace ledsuite {
namespace {

using testing::CaptureNextBox;

std::unique_ptr<AdcField> StoredField() {
    auto field = std::make_unique<AdcField>();
    field->attr = 0xC0FFEE;
    field->channel = 40;  // held to 15 when shown
    field->digitFormat = 0x41;
    field->number = 12;
    field->rows[0] = {100, 100, 1, 0, 0, 0};  // X1 = X2: not shown
    field->rows[1] = {0, 10, 2.5f, 0, 0, 1};
    return field;
}

TEST(DlgADConvert, OpensWithTheValidRowsAndRefusedOkThenCancelKeepsTheField) {
    auto field = StoredField();
    const auto before = std::make_unique<AdcField>(*field);
    DlgADConvert dlg(nullptr, field.get());
    dlg.show();
    CMyListCtrl* list = dlg.List();
    ASSERT_EQ(list->rowCount(), 16);
    EXPECT_EQ(list->item(15, 0)->text(), "16");
    EXPECT_EQ(list->item(0, 1)->text(), "2.500000");
    EXPECT_EQ(list->item(0, 6)->text(), "10");
    EXPECT_EQ(list->item(0, 0)->checkState(), Qt::Checked);
    EXPECT_EQ(list->item(1, 0)->checkState(), Qt::Unchecked);
    EXPECT_EQ(dlg.ChannelCombo()->currentText(), "ADC_Channel_15");
    EXPECT_EQ(dlg.IntDigitCombo()->currentIndex(), 4);
    EXPECT_EQ(dlg.DecimalCombo()->currentIndex(), 1);
    EXPECT_EQ(dlg.NumberEdit()->text(), "12");

    // Typing into the second row's X1 and X2, then checking it.
    list->OnEndLabelEdit(1, 5, QStringLiteral("12abc"));
    EXPECT_EQ(list->item(1, 5)->text(), "12");
    list->OnEndLabelEdit(1, 6, QStringLiteral("5000"));
    list->item(1, 0)->setCheckState(Qt::Checked);
    dlg.IntDigitCombo()->setCurrentIndex(3);
    dlg.DecimalCombo()->setCurrentIndex(2);
    QString message;
    CaptureNextBox(&message);
    dlg.accept();
    EXPECT_EQ(message, QString::fromUtf16(u"X2不能大于4096"));
    EXPECT_TRUE(dlg.isVisible());
    dlg.reject();
    // Nothing of the refused OK reached the field.
    EXPECT_EQ(field->digitFormat, before->digitFormat);
    EXPECT_EQ(field->channel, before->channel);
    EXPECT_EQ(field->rows[0].x1, 100);
    EXPECT_EQ(field->rows[1].x2, 10);
    EXPECT_EQ(field->attr, 0xC0FFEEu);
}

TEST(DlgADConvert, MessagesInOrderThenOkWritesTheWholeField) {
    auto field = StoredField();
    DlgADConvert dlg(nullptr, field.get());
    dlg.show();
    dlg.IntDigitCombo()->setCurrentIndex(0);
    dlg.DecimalCombo()->setCurrentIndex(0);
    QString message;
    CaptureNextBox(&message);
    dlg.accept();
    EXPECT_EQ(message, QString::fromUtf16(u"整数位数和小数位数不能同时为零"));

    dlg.IntDigitCombo()->setCurrentIndex(3);
    dlg.DecimalCombo()->setCurrentIndex(2);
    dlg.List()->item(0, 0)->setCheckState(Qt::Unchecked);
    CaptureNextBox(&message);
    dlg.accept();
    EXPECT_EQ(message, QString::fromUtf16(u"请输入参数"));

    dlg.List()->item(0, 0)->setCheckState(Qt::Checked);
    dlg.List()->OnEndLabelEdit(2, 5, QStringLiteral("9"));
    dlg.List()->OnEndLabelEdit(2, 6, QStringLiteral("9"));
    dlg.List()->item(2, 0)->setCheckState(Qt::Checked);
    CaptureNextBox(&message);
    dlg.accept();
    EXPECT_EQ(message, QString::fromUtf16(u"X1应小于X2"));
    EXPECT_EQ(field->digitFormat, 0x41);

    dlg.List()->OnEndLabelEdit(2, 6, QStringLiteral("4096"));
    dlg.SignCheck()->setChecked(true);
    dlg.ChannelCombo()->setCurrentIndex(2);
    dlg.NumberEdit()->setText(QStringLiteral("77"));
    dlg.accept();
    EXPECT_EQ(dlg.result(), QDialog::Accepted);
    EXPECT_EQ(field->digitFormat, 0x32);
    EXPECT_EQ(field->flags, 1);
    EXPECT_EQ(field->channel, 2);
    EXPECT_EQ(field->number, 77);
    EXPECT_EQ(field->attr, 0xC0FFEEu);
    EXPECT_EQ(field->rows[0].x2, 10);
    EXPECT_FLOAT_EQ(field->rows[0].a, 2.5f);
    EXPECT_EQ(field->rows[1].x1, 9);
    EXPECT_EQ(field->rows[1].x2, 4096);
    EXPECT_EQ(field->rows[2].x2, 0);
}

}  // namespace
}  // namespace ledsuite
