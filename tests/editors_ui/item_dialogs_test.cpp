// The item dialogs offscreen: A/D value, clock, counter and timer, the frame editor on tile
// files and the picture editor with its frame property dialog on GIF and ICO files made here.
#include <cstdlib>
#include <tuple>

#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTimeEdit>
#include <QToolBar>

#include <gtest/gtest.h>

#include "editors/ui/dlg_ad_convert.h"
#include "editors/ui/dlg_clock.h"
#include "editors/ui/dlg_counter.h"
#include "editors/ui/dlg_edit_frame.h"
#include "editors/ui/dlg_timer.h"
#include "editors/ui/image_editor_dlg.h"
#include "editors/ui/img_size_dlg.h"
#include "editors/ui/item_texts.h"
#include "tests/editors_ui/item_dialog_test_util.h"
#include "tests/link/link_test_util.h"
#include "tests/toolkit/gui_test_util.h"
#include "toolkit/color_combo.h"
#include "toolkit/list_ctrl.h"
#include "toolkit/small_widgets.h"

namespace ledsuite {
namespace {

namespace fs = std::filesystem;

// Opens a cell of the A/D list as the user does, types over its text and presses Tab.
void TypeIntoCell(CMyListCtrl* list, int row, int column, const char* text) {
    const QPoint at = list->visualItemRect(list->item(row, column)).center();
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, at);
    QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, at);
    CInPlaceEdit* edit = list->InPlaceEdit();
    ASSERT_TRUE(edit->isVisible()) << column;
    QTest::keyClicks(edit, text);
    QTest::keyClick(edit, Qt::Key_Tab);
    EXPECT_FALSE(edit->isVisible()) << column;
}

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
                  std::tuple(std::vector{QString::fromUtf16(u"X2 cannot be greater than 4096")}, true));
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

TEST(DlgADConvert, TabEndsACellEditKeepingTheTypedValueAndOkWritesIt) {
    auto field = std::make_unique<AdcField>();
    field->digitFormat = 0x41;
    DlgADConvert dlg(nullptr, field.get());
    dlg.show();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&dlg));
    CMyListCtrl* list = dlg.List();
    TypeIntoCell(list, 0, 5, "50");
    TypeIntoCell(list, 0, 6, "900");
    TypeIntoCell(list, 0, 1, "2.5");
    EXPECT_EQ((QStringList{list->item(0, 5)->text(), list->item(0, 6)->text(), list->item(0, 1)->text()}),
              (QStringList{"50", "900", "2.500000"}));
    list->item(0, 0)->setCheckState(Qt::Checked);
    for (QPushButton* button : dlg.findChildren<QPushButton*>())
        if (button->isDefault()) QTest::mouseClick(button, Qt::LeftButton);
    EXPECT_EQ(dlg.result(), int(QDialog::Accepted));
    EXPECT_EQ(std::tuple(field->rows[0].x1, field->rows[0].x2, field->rows[0].a), std::tuple(50, 900, 2.5f));
}

TEST(DlgADConvert, EveryValueShowsWholeAndEveryColumnInsideTheListInEachLanguage) {
    auto field = std::make_unique<AdcField>();
    field->digitFormat = 0x41;
    field->rows[0] = {0, 4096, 1.5f, -0.25f, 123456.75f, 0};
    field->rows[1] = {4000, 4095, 0, 0, 0, -7.125f};
    for (uint32_t setting : {1u, 2u, 3u}) {
        SetUiLanguage(setting);
        DlgADConvert dlg(nullptr, field.get());
        dlg.show();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&dlg));
        CMyListCtrl* list = dlg.List();
        TypeIntoCell(list, 2, 4, "-98765.4375");  // longer than any value shown on opening
        QApplication::processEvents();
        QStringList faults;
        for (int column = 0; column < list->columnCount(); ++column) {
            if (list->columnViewportPosition(column) + list->columnWidth(column) > list->viewport()->width())
                faults << QStringLiteral("column %1 outside the list").arg(column);
            if (list->columnWidth(column) < (column == 0 ? 60 : 64))  // the widths the list starts with
                faults << QStringLiteral("column %1 narrowed").arg(column);
            for (int row = 0; row < list->rowCount(); ++row) {
                const QString text = list->item(row, column)->text();
                if (!testing::ColumnShowsWhole(list, column, text, row))
                    faults << text + QStringLiteral(" cut in %1 px").arg(list->columnWidth(column));
            }
        }
        EXPECT_EQ(faults.join("; ").toStdString(), "") << "language " << setting;
        EXPECT_EQ(list->item(2, 4)->text(), QString("-98765.437500"));
    }
    ResetUiLanguageForTests();
}

struct RecordingSurface : InternalTarget {
    std::vector<int> codes;
    intptr_t onInternal(int code, intptr_t) override {
        codes.push_back(code);
        return 0;
    }
};

TEST(DlgClock, TwoPicksLeaveOneFrameAndThePickerGoesBackToItsOwnerWhenClosedOrDestroyed) {
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
        EXPECT_EQ(std::tuple(picker->parentWidget(), dlg.HandCombo()->count()), std::tuple(&dlg, 1));
        picker->OnInternalMessage(IMC_ICON_PICK_SELECT, 1);
        picker->OnInternalMessage(IMC_ICON_PICK_SELECT, 2);
        ASSERT_EQ(clock.face.size(), 1u);
        const RawImage& face = *clock.face[0];
        EXPECT_EQ(std::tuple(clock.style, face.width, face.row32(0)[0] & 0xFFFFFF, face.displayHeight,
                             face.displayWidth), std::tuple(3u, 30, 0x0000FFu, 30, 60));
        picker->OnInternalMessage(IMC_ICON_PICK_SELECT, 0);  // the first entry: no image
        EXPECT_EQ(std::tuple(clock.style, clock.face.size(), surface.codes),
                  std::tuple(0u, size_t(0), std::vector<int>{273, 273, 273}));

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
    {  // a dialog destroyed while open hands it back too
        DlgClock open(nullptr, &clock, nullptr, picker);
        open.show();
        EXPECT_EQ(picker->parentWidget(), &open);
    }
    ASSERT_TRUE(picker);
    EXPECT_EQ(picker->parentWidget(), &owner);
}

TEST(DlgCounter, TypedValuesTriggerItemsAndRefusals) {
    CounterField field;
    field.unit = 7, field.channel = 30;  // an unused code opens on "Second"
    DlgCounter dlg(nullptr, &field);
    dlg.show();
    QComboBox* trigger = dlg.TriggerCombo();
    EXPECT_EQ(std::tuple(trigger->count(), trigger->currentIndex(), trigger->itemText(12)),
              std::tuple(15, 0, QString("Falling Edge 2")));
    EXPECT_EQ((QStringList{dlg.ChannelCombo()->currentText(), dlg.StartEdit()->text(), dlg.EndEdit()->text()}),
              (QStringList{"CHL_11", "00", "99"}));

    dlg.StartEdit()->setText(QStringLiteral("abc"));
    testing::Answerer<QMessageBox> box([](QMessageBox* b) {
        EXPECT_EQ(b->text(), QString::fromUtf16(u"Please enter the start value"));
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
    EXPECT_EQ(std::tuple(again.TriggerCombo()->currentIndex(), again.StartEdit()->text()),
              std::tuple(12, QString("-012.5")));  // code 13 selects its item again
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
              std::tuple(std::vector{QString::fromUtf16(u"Please choose what to show!")}, true, 1));

    dlg.UnitCheck(2)->setChecked(true);
    dlg.ModeCombo()->setCurrentIndex(1);
    dlg.DateB()->setDate(QDate(2030, 1, 2));
    dlg.TimeB()->setTime(QTime(3, 4, 5));
    dlg.accept();
    EXPECT_EQ(std::tuple(dlg.result(), field.dayDigits, field.mode, field.units),
              std::tuple(int(QDialog::Accepted), uint8_t(1), uint8_t(1), std::array<uint8_t, 4>{0, 0, 3, 0}));
    EXPECT_EQ(field.b, (TimerDateTime{2030, uint16_t(1 << 10 | 2 << 5 | 3), uint16_t(4 << 6 | 5)}));
    EXPECT_EQ(std::tuple(field.a.monthDayHour, field.Label(0), field.attr),
              std::tuple(5 << 10 | 17 << 5 | 9, std::u16string(u"天"), 0x77u));
}

// A click into the start time's hour or the end date's year and typed digits set them; OK stores them.
TEST(DlgTimer, DateAndTimeTypedAfterAClickAreStored) {
    TimerField field;
    field.a = {2024, uint16_t(5 << 10 | 17 << 5 | 17), uint16_t(45 << 6 | 15)};
    field.b = {2025, uint16_t(6 << 10 | 1 << 5 | 8), 0};
    DlgTimer dlg(nullptr, &field);
    dlg.show();
    dlg.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&dlg));
    testing::ClickFirstSectionAndType(dlg.TimeA(), "093000");
    testing::ClickFirstSectionAndType(dlg.DateB(), "20310203");
    EXPECT_EQ(std::tuple(dlg.TimeA()->time(), dlg.DateB()->date()), std::tuple(QTime(9, 30, 0), QDate(2031, 2, 3)));
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);  // OK
    EXPECT_EQ(std::tuple(dlg.result(), field.a, field.b),
              std::tuple(int(QDialog::Accepted),
                         TimerDateTime{2024, uint16_t(5 << 10 | 17 << 5 | 9), uint16_t(30 << 6)},
                         TimerDateTime{2031, uint16_t(2 << 10 | 3 << 5 | 8), 0}));
}

// The frame editor's tile list: five 2 x 2 tiles and a 32 x 16 one (red in its top-left 16 x 8,
// blue elsewhere, green on the diagonal) in a resource folder.
class FrameEditorTest : public ::testing::Test {
protected:
    void SetUp() override {
        fs::create_directories(folders.resource);
        for (int n = 0; n < 5; ++n)
            WriteBmpFile(TileFromCells(FrameCells{}, 2, 2), BorderFrameFile(folders.resource, n));
        RawImage big;
        ResetImage(big, 32, 16);
        for (int y = 0; y < 16; ++y)
            for (int x = 0; x < 32; ++x)
                big.row32(y)[x] = (x < 16 && y < 8 ? 0xFF0000u : 0x0000FFu) | (x == y ? 0x00FF00u : 0u);
        WriteBmpFile(big, BorderFrameFile(folders.resource, 9));
        tiles = LoadFrameTiles(folders.resource, folders.user);
    }
    testing::TempDir dir;
    FrameFolders folders{(dir.path / "res").string(), (dir.path / "user").string()};
    std::vector<FrameTile> tiles;
    FrameVector border;
};

QPoint CellCentre(int x, int y) { return {kFrameGridLeft + 15 * x + 7, kFrameGridTop + 15 * y + 7}; }

TEST_F(FrameEditorTest, MaskedColoursClicksAndPickingALargeTile) {
    ASSERT_EQ(tiles.size(), 6u);
    HardwareParams hw;
    hw.colorCode = 12;
    DlgEditFrame dlg(nullptr, &hw, &tiles, &border, folders);
    dlg.show();
    EXPECT_EQ(std::tuple(dlg.WidthCombo()->currentText(), dlg.TileList()->count()), std::tuple(QString("16"), 6));

    FrameCells& cells = SharedFrameCells();
    cells = {};
    cells[0][0] = 4, cells[0][1] = 3;  // blue (not shown on a red-green screen), yellow
    const QImage shot = dlg.Canvas()->grab().toImage();
    // blue shows black, yellow shows, then a grid line
    EXPECT_EQ(std::tuple(shot.pixel(CellCentre(0, 0)) & 0xFFFFFF, shot.pixel(CellCentre(1, 0)) & 0xFFFFFF,
                         shot.pixel(kFrameGridLeft, kFrameGridTop + 20) & 0xFFFFFF),
              std::tuple(0x000000u, 0xFFFF00u, 0x00FF00u));

    dlg.ColorCombo()->SelectRgbBits(2);
    QTest::mouseClick(dlg.Canvas(), Qt::LeftButton, {}, CellCentre(4, 2));
    QTest::mouseClick(dlg.Canvas(), Qt::RightButton, {}, CellCentre(1, 0));
    QTest::mouseClick(dlg.Canvas(), Qt::LeftButton, {}, QPoint(kFrameGridLeft - 5, kFrameGridTop + 3));
    EXPECT_EQ(std::tuple(cells[2][4], cells[0][1], cells[0][0]), std::tuple(2, 0, 4));  // left of the grid: ignored

    dlg.TileList()->setCurrentRow(5);  // the 32 x 16 tile, cut to its top-left 16 x 8
    EXPECT_EQ(std::tuple(dlg.WidthCombo()->currentText(), dlg.HeightCombo()->currentText(), cells[7][7], cells[7][8]),
              std::tuple(QString("16"), QString("8"), 3, 1));
    dlg.TileList()->setCurrentRow(0);
    EXPECT_EQ(dlg.WidthCombo()->currentText(), "2");
    dlg.reject();
    EXPECT_TRUE(border.empty());  // Cancel changes no border
}

TEST_F(FrameEditorTest, SaveDeleteAndTheBorderOnOk) {
    DlgEditFrame dlg(nullptr, nullptr, &tiles, &border, folders);
    dlg.show();
    testing::BoxCloser boxes;
    dlg.DeleteButton()->click();

    SharedFrameCells() = {};
    SharedFrameCells()[0][0] = 1;
    dlg.WidthCombo()->setCurrentIndex(2);
    dlg.HeightCombo()->setCurrentIndex(1);
    dlg.SaveButton()->click();
    EXPECT_EQ(boxes.texts, (std::vector<QString>{"Please select an item to delete", "Save"}));
    const std::string saved = BorderFrameFile(folders.user, 5);
    ASSERT_EQ(tiles.size(), 7u);
    EXPECT_EQ(std::tuple(fs::exists(saved), tiles[6].path, dlg.TileList()->count(), dlg.TileList()->currentRow()),
              std::tuple(true, saved, 7, 6));

    dlg.TileList()->setCurrentRow(1);
    dlg.DeleteButton()->click();  // a tile of the resource folder stays
    EXPECT_EQ(std::tuple(fs::exists(BorderFrameFile(folders.resource, 1)), tiles.size()), std::tuple(true, 7u));

    dlg.TileList()->setCurrentRow(6);
    dlg.DeleteButton()->click();
    EXPECT_EQ(std::tuple(fs::exists(saved), tiles.size(), dlg.TileList()->count()), std::tuple(false, 6u, 6));

    dlg.TileList()->setCurrentRow(5);
    dlg.accept();
    ASSERT_EQ(border.size(), 1u);  // the picked tile is the border's one frame
    EXPECT_EQ(border[0]->width, 32);
}

// The colour of a pixel without its alpha.
uint32_t Rgb(const FrameVector& frames, size_t i, int x, int y) { return frames[i]->row32(y)[x] & 0xFFFFFF; }

std::unique_ptr<RawImage> Stripe(int width, int height) {
    auto f = CreateImage(uint16_t(width), uint16_t(height));
    f->row32(0)[0] = 0xFF0000;  // one red pixel in the top-left corner
    return f;
}

TEST(CImageEditorDlg, OpenStepRotateFlipInvertAndThresholds) {
    testing::TempDir dir;  // pictures written here with ImageMagick
    auto make = [&dir](const std::string& name, const std::string& args) {
        const std::string path = (dir.path / name).string();
        const std::string cmd = "convert " + args + " '" + path + "' >/dev/null 2>&1";
        return std::system(cmd.c_str()) == 0 && fs::exists(path) ? path : std::string();
    };
    const std::string gif = make("five.gif", "-delay 10 -size 6x3 xc:red xc:lime xc:blue xc:white xc:black");
    const std::string ico = make("one.ico", "-size 16x16 xc:red");
    ASSERT_FALSE(gif.empty() || ico.empty());
    FrameVector frames;
    frames.push_back(Stripe(8, 4));
    CImageEditorDlg dlg(nullptr, &frames);
    QString chosen = QString::fromStdString(gif);
    dlg.SetFileChooser([&chosen](QWidget*) { return chosen; });
    dlg.show();
    ASSERT_EQ(std::tuple(dlg.ToolBar()->actions().size(), dlg.ThresholdCombo(0)->count()), std::tuple(14, 254));
    EXPECT_EQ((QStringList{dlg.ToolBar()->actions()[0]->toolTip(), dlg.ThresholdCombo(0)->itemText(0),
                           dlg.ThresholdCombo(0)->itemText(253), dlg.WidthLabel()->text()}),
              (QStringList{"Open", "1", "254", "8"}));

    dlg.OnCommand(kImgCmdPrevFrame);  // on the first frame: nothing
    EXPECT_EQ(dlg.Index(), 0);
    dlg.OnCommand(kImgCmdOpen);
    ASSERT_EQ(frames.size(), 6u);
    for (int i = 0; i < 6; ++i) dlg.OnCommand(kImgCmdNextFrame);
    // on the last frame "Next" does nothing; the black frame
    EXPECT_EQ(std::tuple(dlg.Index(), dlg.WidthLabel()->text(), Rgb(frames, 5, 0, 0)), std::tuple(5, QString("6"), 0u));
    chosen = QString::fromStdString(ico);
    dlg.OnCommand(kImgCmdOpen);
    chosen = QString::fromStdString((dir.path / "missing.png").string());
    dlg.OnCommand(kImgCmdOpen);  // adds nothing
    ASSERT_EQ(frames.size(), 7u);
    EXPECT_EQ(frames[6]->width, 16);

    dlg.OnCommand(kImgCmdRotateLeft);  // a quarter counter-clockwise
    EXPECT_EQ(std::tuple(frames[0]->width, frames[0]->height, Rgb(frames, 0, 0, 7)), std::tuple(4, 8, 0xFF0000u));
    // command -> where the red corner pixel of frame 0 is then
    const std::tuple<int, int, int> moves[] = {{kImgCmdRotateRight, 0, 0}, {kImgCmdFlipHorizontal, 7, 0},
                                               {kImgCmdFlipVertical, 7, 3}};
    for (auto [cmd, x, y] : moves) {
        dlg.OnCommand(cmd);
        EXPECT_EQ(Rgb(frames, 0, x, y), 0xFF0000u) << cmd;
    }
    dlg.OnCommand(kImgCmdInvert);
    EXPECT_EQ(std::tuple(Rgb(frames, 0, 7, 3), Rgb(frames, 5, 0, 0)), std::tuple(0x00FFFFu, 0xFFFFFFu));
    for (int cmd : {kImgCmdInsertText, kImgCmdInsertImage, kImgCmdZoomIn, kImgCmdZoomOut, kImgCmdCenter})
        dlg.OnCommand(cmd);  // on the toolbar without an action
    EXPECT_EQ(std::tuple(frames.size(), Rgb(frames, 0, 7, 3)), std::tuple(size_t(7), 0x00FFFFu));

    dlg.ThresholdCombo(0)->setCurrentIndex(dlg.ThresholdCombo(0)->findText("128"));
    EXPECT_EQ(frames[dlg.Index()]->redThreshold, 128);
    const int at = dlg.Index();
    frames[size_t(at - 2)]->greenThreshold = 255;
    for (int i = 0; i < 2; ++i) dlg.OnCommand(kImgCmdPrevFrame);
    // above 254 shown as 254; showing writes nothing
    EXPECT_EQ(std::tuple(dlg.ThresholdCombo(1)->currentText(), frames[size_t(at - 2)]->greenThreshold),
              std::tuple(QString("254"), 255));
    for (int i = 0; i < 2; ++i) dlg.OnCommand(kImgCmdNextFrame);
    EXPECT_EQ(std::tuple(dlg.Index(), dlg.ThresholdCombo(0)->currentText()), std::tuple(at, QString("128")));
    dlg.PauseCombo()->setCurrentIndex(200);
    EXPECT_EQ(frames[at]->pause, 200);

    dlg.accept();  // Finish Editing keeps every change
    EXPECT_EQ(std::tuple(dlg.result(), dlg.Frames(), frames.size()),
              std::tuple(int(QDialog::Accepted), nullptr, size_t(7)));
}

TEST(CImageEditorDlg, EveryToolbarCommandShowsAsAnIconInEachLanguage) {
    for (uint32_t setting : {1u, 2u, 3u}) {
        SetUiLanguage(setting);
        QStringList tips;
        for (const LangText& tip : item_text::kImageToolTips) tips << QString::fromUtf16(tip());
        FrameVector frames;
        frames.push_back(Stripe(8, 4));
        frames.push_back(Stripe(8, 4));
        QStringList faults{"not opened"};
        std::vector<int> steps;  // the frame shown after clicking Next frame, then Pre frame
        testing::AnswerNext<CImageEditorDlg>([&](CImageEditorDlg* dlg) {
            faults = testing::ToolbarFaults(dlg->ToolBar(), tips);
            for (int command : {kImgCmdNextFrame, kImgCmdPrevFrame}) {
                QAction* action = dlg->ToolBar()->actions()[command - kImgCmdOpen];
                QTest::mouseClick(dlg->ToolBar()->widgetForAction(action), Qt::LeftButton);
                steps.push_back(dlg->Index());
            }
            dlg->reject();
        }, true);
        CImageEditorDlg::EditField(nullptr, frames);  // as a picture cell opens it, at its own size
        EXPECT_EQ(faults.join("; ").toStdString(), "") << "language " << setting;
        EXPECT_EQ(steps, (std::vector<int>{1, 0}));
    }
    ResetUiLanguageForTests();
}

TEST(CImageEditorDlg, WithoutFramesTheIndexStaysZero) {
    FrameVector frames;
    CImageEditorDlg dlg(nullptr, &frames);
    bool asked = false;
    dlg.SetPropertyRunner([&asked](QWidget*, FrameVector*, int) { return asked = true, 0; });
    dlg.show();
    dlg.OnCommand(kImgCmdNextFrame);
    dlg.OnCommand(kImgCmdPrevFrame);
    dlg.OnCommand(kImgCmdProperty);
    EXPECT_EQ(std::tuple(dlg.Index(), asked, dlg.WidthLabel()->text()), std::tuple(0, false, QString("0")));
    EXPECT_EQ(ShowImageSizeDialog(nullptr, &frames, 0), QDialog::Rejected);
    dlg.reject();
    CImgSizeDlg empty(nullptr, &frames, 0);  // OK on no frame closes at once
    empty.show();
    empty.accept();
    EXPECT_EQ(std::tuple(empty.result(), empty.isVisible()), std::tuple(int(QDialog::Accepted), false));
}

// "Property" on the editor's toolbar; "16px" typed as the width reads as 16.
TEST(CImgSizeDlg, AWidthTypedWithAUnitReadsItsNumber) {
    FrameVector frames;
    frames.push_back(Stripe(32, 8));
    frames.push_back(Stripe(64, 8));
    CImageEditorDlg editor(nullptr, &frames);
    editor.show();
    QString shown;
    testing::AnswerNext<CImgSizeDlg>([&shown](CImgSizeDlg* d) {
        shown = d->WidthEdit()->text();
        QTest::mouseClick(d->WidthEdit(), Qt::LeftButton);
        QTest::keyClick(d->WidthEdit(), Qt::Key_A, Qt::ControlModifier);
        QTest::keyClicks(d->WidthEdit(), "16px");
        QTest::keyClick(d->WidthEdit(), Qt::Key_Return);  // OK
        if (d->isVisible()) d->reject();
    }, true);
    testing::BoxCloser boxes;
    QAction* property = editor.ToolBar()->actions()[kImgCmdProperty - kImgCmdOpen];
    ASSERT_EQ(property->data().toInt(), kImgCmdProperty);
    property->trigger();
    EXPECT_EQ(std::tuple(shown, frames[0]->width, frames[0]->height, editor.WidthLabel()->text(), boxes.texts.size()),
              std::tuple(QString("32"), 16, 8, QString("16"), size_t(0)));
    EXPECT_EQ(frames[1]->width, 64);  // without "Apply All" the other frame keeps its size
    editor.reject();
}

TEST(CImgSizeDlg, ApplyAllResamplesEveryFrameAndKeepsItsDisplayHeight) {
    FrameVector frames;
    for (int displayHeight : {32, 16}) {
        frames.push_back(Stripe(128, 64));
        frames.frames.back()->displayHeight = displayHeight;
    }
    frames[1]->redThreshold = 255;
    CImgSizeDlg dlg(nullptr, &frames, 1);
    dlg.show();
    // The six fields in one column, each on its own row below the one before.
    const QWidget* fields[] = {dlg.WidthEdit(), dlg.HeightEdit(), dlg.PauseCombo(), dlg.ThresholdCombo(0),
                               dlg.ThresholdCombo(1), dlg.ThresholdCombo(2)};
    for (int i = 1; i < 6; ++i)
        EXPECT_EQ(std::tuple(fields[i]->x(), fields[i]->y() > fields[i - 1]->y()), std::tuple(fields[0]->x(), true))
            << i;
    EXPECT_EQ(std::tuple(dlg.WidthEdit()->text(), dlg.ThresholdCombo(0)->currentText()),
              std::tuple(QString("128"), QString("254")));
    dlg.WidthEdit()->setText("0");
    testing::BoxCloser boxes;
    dlg.accept();
    EXPECT_EQ(std::tuple(boxes.texts.size(), dlg.isVisible(), frames[1]->width), std::tuple(1u, true, 128));

    dlg.WidthEdit()->setText("64");
    dlg.HeightEdit()->setText("32");
    dlg.PauseCombo()->setCurrentIndex(9);
    dlg.ThresholdCombo(2)->setCurrentIndex(dlg.ThresholdCombo(2)->findText("100"));
    dlg.ApplyAllCheck()->setChecked(true);
    dlg.accept();
    EXPECT_EQ(dlg.result(), QDialog::Accepted);
    for (size_t i = 0; i < frames.size(); ++i) {  // display width: display height x 64 / 32
        const RawImage& f = *frames[i];
        EXPECT_EQ(std::tuple(f.width, f.height, f.displayHeight, f.displayWidth, f.pause, f.blueThreshold,
                             f.redThreshold), std::tuple(64, 32, 32 >> i, 64 >> i, 9, 100, 254));
    }
}

}  // namespace
}  // namespace ledsuite
