// The item dialogs offscreen: A/D value, clock, counter and timer.
#include <tuple>

#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QLineEdit>
#include <QTest>
#include <QTimeEdit>

#include <gtest/gtest.h>

#include "editors/ui/dlg_ad_convert.h"
#include "editors/ui/dlg_clock.h"
#include "editors/ui/dlg_counter.h"
#include "editors/ui/dlg_timer.h"
#include "tests/editors_ui/item_dialog_test_util.h"
#include "toolkit/list_ctrl.h"

namespace ledsuite {
namespace {

TEST(DlgADConvert, OpensWithTheValidRowsRefusesABadRowAndOkWritesTheWholeField) {
    auto field = std::make_unique<AdcField>();
    field->attr = 0xC0FFEE, field->digitFormat = 0x41, field->number = 12;
    field->channel = 40;  // held to 15 when shown
    field->rows[0] = {100, 100, 1, 0, 0, 0};  // X1 = X2: not shown
    field->rows[1] = {0, 10, 2.5f, 0, 0, 1};
    {
        DlgADConvert dlg(nullptr, field.get());
        dlg.show();
        CMyListCtrl* list = dlg.List();
        ASSERT_EQ(list->rowCount(), 16);
        EXPECT_EQ((QStringList{list->item(15, 0)->text(), list->item(0, 1)->text(), list->item(0, 6)->text(),
                               dlg.ChannelCombo()->currentText(), dlg.NumberEdit()->text()}),
                  (QStringList{"16", "2.500000", "10", "ADC_Channel_15", "12"}));
        EXPECT_EQ(std::tuple(list->item(0, 0)->checkState(), list->item(1, 0)->checkState(),
                             dlg.IntDigitCombo()->currentIndex(), dlg.DecimalCombo()->currentIndex()),
                  std::tuple(Qt::Checked, Qt::Unchecked, 4, 1));
        // Typing into the second row's X1 and X2, then checking it: OK is refused, Cancel keeps the field.
        list->OnEndLabelEdit(1, 5, QStringLiteral("12abc"));
        EXPECT_EQ(list->item(1, 5)->text(), "12");
        list->OnEndLabelEdit(1, 6, QStringLiteral("5000"));
        list->item(1, 0)->setCheckState(Qt::Checked);
        testing::BoxCloser boxes;
        dlg.accept();
        EXPECT_EQ(std::tuple(boxes.texts, dlg.isVisible()),
                  std::tuple(std::vector{QString::fromUtf16(u"X2不能大于4096")}, true));
        dlg.reject();
    }
    EXPECT_EQ(std::tuple(field->digitFormat, field->channel, field->rows[0].x1, field->rows[1].x2, field->attr),
              std::tuple(0x41, 40, 100, 10, 0xC0FFEEu));

    DlgADConvert dlg(nullptr, field.get());
    dlg.show();
    dlg.IntDigitCombo()->setCurrentIndex(3);
    dlg.DecimalCombo()->setCurrentIndex(2);
    dlg.List()->OnEndLabelEdit(2, 5, QStringLiteral("9"));
    dlg.List()->OnEndLabelEdit(2, 6, QStringLiteral("4096"));
    dlg.List()->item(2, 0)->setCheckState(Qt::Checked);
    dlg.SignCheck()->setChecked(true);
    dlg.ChannelCombo()->setCurrentIndex(2);
    dlg.NumberEdit()->setText(QStringLiteral("77"));
    dlg.accept();
    EXPECT_EQ(std::tuple(dlg.result(), field->digitFormat, field->flags, field->channel, field->number, field->attr),
              std::tuple(int(QDialog::Accepted), 0x32, 1, 2, 77, 0xC0FFEEu));
    EXPECT_EQ(std::tuple(field->rows[0].x2, field->rows[0].a, field->rows[1].x1, field->rows[1].x2, field->rows[2].x2),
              std::tuple(10, 2.5f, 9, 4096, 0));
}

struct RecordingSurface : InternalTarget {
    std::vector<int> codes;
    intptr_t onInternal(int code, intptr_t) override {
        codes.push_back(code);
        return 0;
    }
};

TEST(DlgClock, TwoPicksLeaveOneFrameAndThePickerGoesBackToItsOwner) {
    QWidget owner;
    QPointer<CIconPicker> picker = new CIconPicker(&owner);
    picker->hide();
    for (auto [w, h, colour] : {std::tuple{4, 4, Qt::white}, {20, 10, Qt::red}, {30, 15, Qt::blue}}) {
        QPixmap p(w, h);
        p.fill(colour);
        ASSERT_TRUE(picker->AddBitmapHandle(p));
    }
    RecordingSurface surface;
    ClockObject clock;
    clock.size = 30;
    {
        DlgClock dlg(nullptr, &clock, &surface, picker);
        dlg.show();
        EXPECT_EQ(picker->parentWidget(), &dlg);
        EXPECT_EQ(dlg.HandCombo()->count(), 1);
        picker->OnInternalMessage(IMC_ICON_PICK_SELECT, 1);
        picker->OnInternalMessage(IMC_ICON_PICK_SELECT, 2);
        ASSERT_EQ(clock.face.size(), 1u);
        const RawImage& face = *clock.face[0];
        EXPECT_EQ(std::tuple(clock.style, face.width, face.row32(0)[0] & 0xFFFFFF, face.displayHeight,
                             face.displayWidth), std::tuple(3u, 30, 0x0000FFu, 30, 60));
        picker->OnInternalMessage(IMC_ICON_PICK_SELECT, 0);  // the first entry: no image
        EXPECT_EQ(std::tuple(clock.style, clock.face.size()), std::tuple(0u, size_t(0)));
        EXPECT_EQ(surface.codes, (std::vector<int>{273, 273, 273}));

        QTest::keyClick(&dlg, Qt::Key_Return);  // Enter closes like Esc
        EXPECT_EQ(std::tuple(dlg.isVisible(), dlg.result()), std::tuple(false, int(QDialog::Rejected)));
        ASSERT_TRUE(picker);
        EXPECT_EQ(std::tuple(picker->parentWidget(), picker->isHidden()), std::tuple(&owner, true));
        // Picks after closing reach the clock no more.
        picker->OnInternalMessage(IMC_ICON_PICK_SELECT, 1);
        EXPECT_EQ(clock.style, 0);
    }
    ASSERT_TRUE(picker);  // the dialog went down without it
    EXPECT_EQ(picker->parentWidget(), &owner);
}

TEST(DlgClock, ADialogDestroyedWhileOpenStillHandsThePickerBack) {
    QWidget owner;
    QPointer<CIconPicker> picker = new CIconPicker(&owner);
    ClockObject clock;
    {
        DlgClock dlg(nullptr, &clock, nullptr, picker);
        dlg.show();
        EXPECT_EQ(picker->parentWidget(), &dlg);
    }
    ASSERT_TRUE(picker);
    EXPECT_EQ(picker->parentWidget(), &owner);
}

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
