#include "link/ui/dlg_send_index.h"

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QComboBox>
#include <QPushButton>

#include "content/bytes.h"
#include "content/model/lang.h"
#include "content/card/program_encoder.h"
#include "content/model/text_content.h"
#include "link_ui_test_util.h"
#include "tests/qt_main/qt_test_util.h"

using namespace ledsuite;
using namespace ledsuite::testing;

namespace {

// A screen on the fake card's port with `sets` program sets, each one program "AB".
ProgramTree Tree(int sets) {
    ProgramTree tree;
    tree.screen().cardType = 2;
    tree.screen().comIndex = 0;
    tree.screen().baudIndex = 8;
    for (int s = 0; s < sets; ++s) {
        tree.AddProgramSet();
        ProgramRecord& p = *tree.AddProgram(size_t(s))->record;
        p.content.cells[0] = TextCell(u'A', CellAttr::Make(16, 0, 1));
        p.content.cells[1] = TextCell(u'B', CellAttr::Make(16, 0, 1));
    }
    return tree;
}

struct Dialog {
    Messages shown;
    DlgSendIndex dlg;
    Dialog(const ProgramTree& tree, size_t set) : dlg(tree, set) {
        dlg.SetMessageSink(shown.Sink());
        dlg.SetTimeouts({20, 400});
        dlg.show();
    }
};

}  // namespace

TEST(DlgSendIndex, PageItemsAndProtocolsAndOneMessageEach) {
    const ProgramTree tree = Tree(2);
    for (const auto& [item, page] : {std::pair{0, 0u}, std::pair{255, 255u}}) {
        CardOnPort c;
        Dialog d(tree, 1);
        EXPECT_EQ(d.dlg.PageCombo()->count(), 256);
        EXPECT_EQ(d.dlg.PageCombo()->itemText(item), QString::number(item + 1));
        d.dlg.PageCombo()->setCurrentIndex(item);
        d.dlg.SendButton()->click();
        EXPECT_EQ(d.shown.texts, std::vector<std::u16string>{u"Sent successfully!"});
        const FakeCardLog log = c.card.log();
        ASSERT_EQ(log.count(0x1A), 1u);
        EXPECT_EQ(LoadU32(&log.frames.back()[12]), page);
        EXPECT_EQ(LoadU32(&log.frames.back()[8]), log.paged.size());
    }
    for (const auto& [status, text] :
         {std::pair{9, u"CRC16 check error, sending failed, please retry"},
          std::pair{5, u"Download failed, error code: 5"},
          std::pair{-1, u"The ctrl card does not answer, sending failed, please retry"}}) {
        CardOnPort c({.pagedFinal = status});
        Dialog d(tree, 0);
        d.dlg.SendButton()->click();
        EXPECT_EQ(d.shown.texts, std::vector<std::u16string>{text}) << status;
    }
    {
        CardOnPort c({.pagedConfirm = -1});  // the card never confirms: only GPS goes on
        Dialog d(tree, 0);
        d.dlg.ProtocolCombo()->setCurrentIndex(kProtocolGps);
        d.dlg.SendButton()->click();
        EXPECT_EQ(d.shown.texts, std::vector<std::u16string>{u"Sent successfully!"});
        EXPECT_EQ(PagedProtocolChoice(), kProtocolGps);  // kept for the next dialog
        Dialog next(tree, 0);
        EXPECT_EQ(next.dlg.ProtocolCombo()->currentIndex(), kProtocolGps);
        next.dlg.ProtocolCombo()->setCurrentIndex(kProtocolKip);
        next.dlg.SendButton()->click();
        EXPECT_EQ(next.shown.texts,
                  std::vector<std::u16string>{u"No ctrl card found, please check the cable connection"});
    }
}

TEST(DlgSendIndex, DeleteFramesAndThePortClosedAfterAnEncoderFailure) {
    CardOnPort c;
    ProgramTree empty = Tree(0);
    empty.AddProgramSet();  // a set without programs: the encoder refuses it
    Dialog d(empty, 0);
    d.dlg.SendButton()->click();
    ASSERT_EQ(d.shown.texts.size(), 1u);
    EXPECT_EQ(d.shown.texts[0], FormatEncodeError(-2, 0));
    SerialPort again;
    EXPECT_EQ(SerialOpen(again, 0, 115200), 0);  // the send's port was closed
    SerialClose(again);
    d.dlg.PageCombo()->setCurrentIndex(4);
    d.dlg.DeleteButton()->click();
    d.dlg.DeleteAllButton()->click();
    const FakeCardLog log = c.card.log();
    ASSERT_EQ(log.count(0x05), 2u);
    EXPECT_EQ(LoadU32(&log.frames[log.frames.size() - 2][12]), 4u);
    EXPECT_EQ(LoadU32(&log.frames.back()[12]), 0xFFFFFFFFu);
    EXPECT_EQ(d.shown.texts.size(), 1u);  // deleting shows nothing
}

TEST(DlgSendIndex, TheTreeItSends) {
    const ProgramTree tree = Tree(3);
    const ProgramTree one = PagedSendTree(tree, 1, false);
    ASSERT_EQ(one.sets().size(), 1u);
    EXPECT_EQ(one.sets()[0].programs.size(), 1u);
    EXPECT_EQ(one.screen().comIndex, tree.screen().comIndex);
    EXPECT_EQ(PagedSendTree(tree, 1, true).sets().size(), 3u);
    EXPECT_TRUE(PagedSendTree(tree, 7, false).sets().empty());
}
