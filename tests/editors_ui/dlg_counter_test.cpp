// The counter and timer dialogs offscreen.
#include "editors/ui/dlg_counter.h"

#include <tuple>

#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QLineEdit>
#include <QTimeEdit>

#include <gtest/gtest.h>

#include "editors/ui/dlg_timer.h"
#include "tests/editors_ui/item_dialog_test_util.h"

namespace ledsuite {
namespace {

TEST(DlgCounter, TypedValuesTriggerItemsAndRefusals) {
    CounterField field;
    field.unit = 7, field.channel = 30;  // an unused code opens on "Second"
    DlgCounter dlg(nullptr, &field);
    dlg.show();
    EXPECT_EQ(std::tuple(dlg.TriggerCombo()->count(), dlg.TriggerCombo()->currentIndex()), std::tuple(15, 0));
    EXPECT_EQ(dlg.TriggerCombo()->itemText(12), "Falling Edge 2");
    EXPECT_EQ((QStringList{dlg.ChannelCombo()->currentText(), dlg.StartEdit()->text(), dlg.EndEdit()->text()}),
              (QStringList{"CHL_11", "00", "99"}));

    dlg.StartEdit()->setText(QStringLiteral("abc"));
    testing::Answerer<QMessageBox> box([](QMessageBox* b) {
        EXPECT_EQ(b->text(), QString::fromUtf16(u"请输入开始数值"));
        b->accept();
    });
    dlg.accept();
    EXPECT_EQ(std::tuple(box.seen, dlg.isVisible(), field.unit), std::tuple(1, true, 7));  // nothing written

    dlg.StartEdit()->setText(QStringLiteral("-12.5"));
    dlg.EndEdit()->setText(QStringLiteral("300"));
    dlg.TriggerCombo()->setCurrentIndex(12);
    dlg.SignCheck()->setChecked(true);
    dlg.accept();
    EXPECT_EQ(dlg.result(), QDialog::Accepted);
    EXPECT_EQ(std::tuple(field.start, field.startFraction, field.end, field.digitFormat, field.unit, field.channel,
                         field.flags), std::tuple(-12, 5, 300, 0x31, 13, 11, 1));

    DlgCounter again(nullptr, &field);
    again.show();
    EXPECT_EQ(again.TriggerCombo()->currentIndex(), 12);  // code 13 selects its item again
    EXPECT_EQ(again.StartEdit()->text(), "-012.5");
    again.reject();
}

TEST(DlgTimer, NoUnitCannotBeConfirmedAndDayLengthZeroReadsOne) {
    TimerField field;
    field.attr = 0x77, field.dayDigits = 0;
    field.a = {2024, uint16_t(5 << 10 | 17 << 5 | 9), uint16_t(30 << 6 | 15)};
    field.labels[0][0] = u'天';
    DlgTimer dlg(nullptr, &field);
    dlg.show();
    EXPECT_EQ(std::tuple(dlg.DateA()->date(), dlg.TimeA()->time()), std::tuple(QDate(2024, 5, 17), QTime(9, 30, 15)));
    EXPECT_EQ(
        (QStringList{dlg.DayLengthCombo()->currentText(), dlg.DateA()->displayFormat(), dlg.LabelEdit(0)->text()}),
        (QStringList{"1", "yyyy/MM/dd", QString::fromUtf16(u"天")}));
    for (int k = 0; k < 4; ++k) dlg.UnitCheck(k)->setChecked(false);
    testing::BoxCloser boxes;
    dlg.accept();
    EXPECT_EQ(std::tuple(boxes.texts, dlg.isVisible(), field.units[0]),
              std::tuple(std::vector{QString::fromUtf16(u"请选择显示项！")}, true, 1));

    dlg.UnitCheck(2)->setChecked(true);
    dlg.ModeCombo()->setCurrentIndex(1);
    dlg.DateB()->setDate(QDate(2030, 1, 2));
    dlg.TimeB()->setTime(QTime(3, 4, 5));
    dlg.accept();
    EXPECT_EQ(dlg.result(), QDialog::Accepted);
    EXPECT_EQ(std::tuple(field.dayDigits, field.mode), std::tuple(uint8_t(1), uint8_t(1)));
    EXPECT_EQ(field.units, (std::array<uint8_t, 4>{0, 0, 3, 0}));
    EXPECT_EQ(field.b, (TimerDateTime{2030, uint16_t(1 << 10 | 2 << 5 | 3), uint16_t(4 << 6 | 5)}));
    EXPECT_EQ(std::tuple(field.a.monthDayHour, field.Label(0), field.attr),
              std::tuple(5 << 10 | 17 << 5 | 9, std::u16string(u"天"), 0x77u));
}

}  // namespace
}  // namespace ledsuite
