// What the user makes in the text editor and the property window reaches the card as the
// layout view shows it, read back from the encoded image through the card view: a picture
// inserted from a file with a dark grey background, a year field followed by a character
// in 黑体, and a custom border drawn and saved in the frame editor.
#include <gtest/gtest.h>

#include <cstdlib>
#include <tuple>

#include <QAbstractItemView>
#include <QComboBox>
#include <QListWidget>
#include <QMenu>
#include <QPushButton>
#include <QTest>
#include <QToolBar>

#include "content/card/program_encoder.h"
#include "content/model/clock.h"
#include "content/model/paths.h"
#include "content/preview/canvas_snapshot.h"
#include "content/render/font_tables.h"
#include "editors/frame_tiles.h"
#include "editors/ui/dlg_edit_frame.h"
#include "editors/ui/edit_ctrl.h"
#include "editors/ui/edit_ex.h"
#include "editors/ui/program_grids.h"
#include "editors/ui/properties_wnd.h"
#include "tests/content/card_view.h"
#include "tests/editors/editor_test_util.h"
#include "tests/editors_ui/item_dialog_test_util.h"
#include "tests/link/link_test_util.h"
#include "tests/toolkit/gui_test_util.h"
#include "toolkit/color_combo.h"
#include "toolkit/icon_picker.h"

namespace ledsuite {
namespace {

constexpr int kW = 64, kH = 16;
const LocalTime kNow{2888, 8, 8, 18, 48, 58, 3};

int CountLit(const RawImage& img, int x0 = 0, int x1 = 1 << 20) {
    int n = 0;
    for (int y = 0; y < img.height; ++y)
        for (int x = std::max(x0, 0); x < std::min(x1, img.width); ++x) n += (img.row32(y)[x] & 0xFFFFFF) != 0;
    return n;
}

// A one-set tree of `program` on a kW x kH screen of `colorCode`, its action static with a pause.
ProgramTree TreeOf(const ProgramRecord& program, uint16_t colorCode = 5) {
    HardwareParams hw;
    hw.width = kW, hw.height = kH, hw.colorCode = colorCode, hw.cardType = 3;
    ProgramTree tree(hw);
    tree.AddProgramSet();
    ProgramRecord& p = *tree.AddProgram(0)->record;
    p = program;
    p.left = 0, p.top = 0, p.right = kW, p.bottom = kH;
    p.mainAction.effect = kEffectStatic, p.mainAction.pause = 20, p.mainAction.speed = 1;
    return tree;
}

// The card's picture of the tree's only program, from the bytes the encoder writes.
RawImage CardPicture(const ProgramTree& tree) {
    std::vector<uint8_t> image(0xFFFFF, 0xFF);
    uint32_t position = 0;
    const int32_t length = BuildProgramImage(image.data(), &position, tree, image.size());
    EXPECT_GT(length, 0);
    const CardView card =
        DrawCardView(std::span(image).first(size_t(std::max(length, 0))), 0, {kW, kH, tree.screen().colorCode}, kNow);
    EXPECT_EQ(card.problems, std::vector<std::string>{});
    return card.picture;
}

class CardAgreement : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        BuildFontTables();
        SetDefaultCardFonts(0);
    }
    void SetUp() override {
        SetUiLanguage(3);
        program->right = kW, program->bottom = kH, program->mainAction.effect = kEffectStatic;
        editor.resize(420, 260);
        editor.show();
        editor.onInternal(IMC_SET_FONT_CHIP, 0);
        editor.onInternal(IMC_PROGRAM_SELECTED, intptr_t(program.get()));
    }
    void TearDown() override { ResetUiLanguageForTests(); }

    void RunMenuCommand(int id) { testing::RunSurfaceMenuCommand(editor.surface(), id); }
    // Picks `face` in the font combo's list as the user does.
    void PickFont(const QString& face) {
        QComboBox* combo = editor.fontCombo();
        const int index = combo->findText(face);
        ASSERT_GE(index, 0) << face.toStdString();
        combo->showPopup();
        QAbstractItemView* view = combo->view();
        view->scrollTo(view->model()->index(index, 0));
        const QPoint at = view->visualRect(view->model()->index(index, 0)).center();
        QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, at);
    }

    const ScopedClockOverride clock{kNow};
    RecordingChannel frame;
    std::unique_ptr<ProgramRecord> program = std::make_unique<ProgramRecord>();
    CEditCtrl editor{nullptr, &frame};
    FontRenderer fonts;
    FontTables tables = MakeFaceLists<FontTables>();
    RenderContext rc{fonts, tables};
};

TEST_F(CardAgreement, APictureOnDarkGreyLightsOnlyItsBrightBarOnTheCard) {
    RawImage file;
    ResetImage(file, 40, 10);
    FillImage(file, 0x404040);
    for (int y = 4; y < 6; ++y)
        for (int x = 10; x < 30; ++x) file.row32(y)[x] = 0xF0F0F0;
    testing::TempDir dir;
    const std::string path = (dir.path / "logo.bmp").string();
    ASSERT_EQ(WriteBmpFile(file, path), 1);

    QToolBar* bar = nullptr;
    for (QToolBar* b : editor.findChildren<QToolBar*>())
        if (b->actions().contains(editor.action(kToolInsertImage))) bar = b;
    ASSERT_NE(bar, nullptr);
    QTest::mouseClick(bar->widgetForAction(editor.action(kToolInsertImage)), Qt::LeftButton);
    CIconPicker* picker = editor.picker(0);
    ASSERT_TRUE(picker->PopupOpen());
    testing::ChooseNextFile(QString::fromStdString(path));
    QTest::mouseClick(picker->Popup()->Button(CIconContainer::kCustomId), Qt::LeftButton);
    // "Custom" adds the file to the pictures; the user then picks it from the popup.
    QTest::mouseClick(bar->widgetForAction(editor.action(kToolInsertImage)), Qt::LeftButton);
    ASSERT_TRUE(picker->PopupOpen());
    const int last = int(picker->Entries().size()) - 1;
    QTest::mouseClick(picker->Popup()->Button(CIconContainer::kFirstCellId + last), Qt::LeftButton);
    ASSERT_EQ(program->content.cells[0].code, FC_PICTURE);

    ProgramTree tree = TreeOf(*program);
    const RawImage card = CardPicture(tree);
    // The bar alone, as the layout view shows it bright (the picture is fitted to the 16-LED
    // line: the 20 x 2 bar shows 32 x 3); every LED of the picture lit before.
    const RawImage layout = RenderLayoutPicture(tree, rc, 0, 1);
    int bright = 0;
    for (int y = 0; y < layout.height; ++y)
        for (int x = 0; x < layout.width; ++x) bright += (layout.row32(y)[x] & 0x800000) != 0;
    EXPECT_EQ(std::pair(CountLit(card), bright), std::pair(96, 96));
}

TEST_F(CardAgreement, ACharacterAfterAYearIn黑体CoversNoDigitInTheLayoutOrOnTheCard) {
    RunMenuCommand(kCmdInsertYear);
    QTest::keyClicks(editor.surface(), "W");
    QTest::keyClick(editor.surface(), Qt::Key_A, Qt::ControlModifier);
    PickFont(QString::fromUtf16(u"黑体"));
    ASSERT_EQ(Codes(program->content.cells), u"\uE010W");
    const uint32_t attr = program->content.cells[0].attr;
    ASSERT_EQ(tables.FaceName(CellAttr::FontOf(attr), false), u"黑体");

    // The year's room: four widths of "J"; the character starts there.
    const int room = 4 * rc.measurer.TextWidth(u"J", attr, false);
    ProgramRecord yearAlone = *program;
    yearAlone.content.cells[1] = TextCell();
    ProgramTree both = TreeOf(*program), year = TreeOf(yearAlone);
    const RawImage layoutBoth = RenderLayoutPicture(both, rc, 0, 1);
    const RawImage layoutYear = RenderLayoutPicture(year, rc, 0, 1);
    const RawImage cardBoth = CardPicture(both), cardYear = CardPicture(year);
    // The digits stay in their room, the character draws nothing into it, and it is drawn.
    for (const auto& [all, digits] : {std::pair(&layoutBoth, &layoutYear), std::pair(&cardBoth, &cardYear)}) {
        EXPECT_EQ(std::tuple(CountLit(*digits, room), CountLit(*all, 0, room)),
                  std::tuple(0, CountLit(*digits, 0, room)));
        EXPECT_GT(CountLit(*all, room), 0);
    }
}

struct BorderFixture {
    testing::TempDir data;
    RecordingChannel channel;
    CPropertiesWnd wnd{nullptr, &channel};
    BorderFixture() {
        setenv("LEDSUITE_APPDATA", (data.path / "app").c_str(), 1);
        setenv("XDG_DATA_HOME", (data.path / "share").c_str(), 1);
        ResetAppDataFolderForTests();
        wnd.resize(320, 600);
        wnd.show();
    }
    ~BorderFixture() {
        unsetenv("LEDSUITE_APPDATA");
        unsetenv("XDG_DATA_HOME");
        ResetAppDataFolderForTests();
    }
};

QPoint CellCentre(int x, int y) { return {kFrameGridLeft + 15 * x + 7, kFrameGridTop + 15 * y + 7}; }

TEST(CardAgreementBorder, ACustomTileFromTheFrameEditorIsDrawnAsTheCardGetsIt) {
    BorderFixture f;
    ProgramRecord record;
    InitProgramRecord(record, 0, 0, kW, kH);
    record.content.cells[0] = TextCell(u'B', CellAttr::Make(12, 0, 1));
    ProgramTree tree = TreeOf(record);
    ProgramRecord& p = *tree.program(0, 0)->record;
    f.channel.screen = tree.screen();
    f.wnd.onInternal(IMC_SCREEN_SELECTED, intptr_t(&tree.screen()));  // the screen the frame editor paints for
    f.wnd.onInternal(IMC_PROGRAM_SELECTED, intptr_t(&p));

    testing::BoxCloser boxes;
    testing::Answerer<DlgEditFrame> frameEditor([](DlgEditFrame* d) {
        SharedFrameCells() = {};
        d->WidthCombo()->setCurrentIndex(2);  // a 3 x 2 tile: a red row over red, black, red
        d->HeightCombo()->setCurrentIndex(1);
        d->ColorCombo()->SelectRgbBits(1);
        for (const auto& [x, y] : {std::pair(0, 0), {1, 0}, {2, 0}, {0, 1}, {2, 1}})
            QTest::mouseClick(d->Canvas(), Qt::LeftButton, {}, CellCentre(x, y));
        d->SaveButton()->click();  // saved and picked in the list
        d->accept();
    });
    f.wnd.Grid(kProgramGridId)->ChooseOption(kPrgBorderType, 1);  // "Custom"
    ASSERT_EQ(std::tuple(frameEditor.seen, p.borderType, p.borderFrames.size()), std::tuple(1, 1, size_t(1)));

    FontRenderer fonts;
    const FontTables tables = MakeFaceLists<FontTables>();
    RenderContext rc{fonts, tables};
    const RawImage card = CardPicture(tree);
    const RawImage layout = RenderLayoutPicture(tree, rc, 0, 1);
    const RawImage preview = RenderPreviewPictures(tree, rc, std::vector<uint64_t>{500}, 1)[0];
    EXPECT_EQ(std::tuple(card.row32(0)[0], card.row32(1)[1], card.row32(1)[2], card.row32(kH - 1)[kW - 1]),
              std::tuple(0xFF0000u, 0u, 0xFF0000u, 0xFF0000u));
    EXPECT_EQ(std::tuple(layout.pixels == card.pixels, preview.pixels == card.pixels), std::tuple(true, true));
}

}  // namespace
}  // namespace ledsuite
