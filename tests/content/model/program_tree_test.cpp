#include <gtest/gtest.h>

#include "content/model/lang.h"
#include "content/model/program_tree.h"

using namespace ledsuite;

TEST(ProgramTree, AddsProgramsOverTheScreenWithItsFontSet) {
    HardwareParams hw;
    hw.width = 96, hw.height = 24, hw.fileSystem = 1, hw.fontChip = 0x0103;
    ProgramTree tree(hw);
    EXPECT_EQ(tree.AddProgram(0), nullptr);  // no set yet
    ASSERT_NE(tree.AddProgramSet(), nullptr);
    ProgramNode* p = tree.AddProgram(0);
    ASSERT_NE(p, nullptr);
    EXPECT_EQ(std::make_pair(p->record->right, p->record->bottom), std::make_pair(96, 24));
    EXPECT_EQ(p->record->content.header.fontSet, 3);  // the font chip's set, on a card file system

    tree.screen().fileSystem = 0;
    EXPECT_EQ(tree.AddProgram(0)->record->content.header.fontSet, 0);
    EXPECT_EQ(tree.InsertProgram(0, 5), nullptr);
    EXPECT_EQ(tree.InsertProgramSet(2), nullptr);
}

TEST(ProgramTree, KindsTitlesAndMoves) {
    ProgramTree tree;
    tree.AddProgramSet();
    for (int i = 0; i < 3; ++i) tree.AddProgram(0)->record->left = i;
    EXPECT_EQ(tree.SetProgramKind(0, 0, 255), 0);
    EXPECT_EQ(tree.SetProgramKind(0, 2, 255), 0);  // one lyric show: the first goes back to "Program"
    EXPECT_EQ(std::pair(int(tree.program(0, 0)->kind()), tree.program(0, 2)->title()),
              std::pair(0, std::u16string(u"Lyric Show")));
    EXPECT_EQ(tree.SetProgramKind(0, 3, 255), -1);

    ProgramRecord* first = tree.program(0, 0)->record.get();
    EXPECT_FALSE(tree.MoveProgram(0, 0, -1));
    EXPECT_TRUE(tree.MoveProgram(0, 0, 1));
    EXPECT_EQ(tree.program(0, 1)->record.get(), first);  // records keep their address
    EXPECT_TRUE(tree.RemoveProgram(0, 1));
    EXPECT_EQ(std::pair(tree.sets()[0].programs.size(), tree.program(0, 0)->record->left), std::pair(size_t(2), 1));

    tree.AddProgramSet()->title = u"Mine";
    SetUiLanguage(1);
    tree.RelabelSets();
    EXPECT_EQ(std::pair(tree.sets()[0].title, tree.sets()[1].title),
              std::pair(std::u16string(u"节目集"), std::u16string(u"Mine")));
    ResetUiLanguageForTests();
    EXPECT_TRUE(tree.MoveProgramSet(1, -1));
    EXPECT_EQ(tree.sets()[0].title, u"Mine");
    EXPECT_TRUE(tree.RemoveProgramSet(0));
    EXPECT_FALSE(tree.RemoveProgramSet(1));
}

TEST(ProgramTree, CopiesAreDeep) {
    ProgramTree a;
    a.AddProgramSet()->record->borderFrames.push_back(std::make_unique<RawImage>());
    a.AddProgram(0)->record->content.cells[0] = TextCell(u'X', 1);
    ProgramTree b = a;
    b.sets()[0].record->borderFrames[0]->width = 7;
    b.program(0, 0)->record->content.cells[0].code = u'Y';
    b.sets()[0].title = u"copy";
    EXPECT_EQ(std::tuple(a.sets()[0].record->borderFrames[0]->width, a.program(0, 0)->record->content.cells[0].code,
                         a.sets()[0].title),
              std::tuple(0, u'X', std::u16string(u"Programs")));
    EXPECT_NE(a.program(0, 0)->record.get(), b.program(0, 0)->record.get());

    a = b;
    EXPECT_EQ(a.program(0, 0)->record->content.cells[0].code, u'Y');
    EXPECT_NE(a.program(0, 0)->record.get(), b.program(0, 0)->record.get());

    // A range insert within capacity copies into slots whose nodes were moved away.
    auto& programs = a.sets()[0].programs;
    programs.reserve(4);
    programs.insert(programs.begin(), b.sets()[0].programs.begin(), b.sets()[0].programs.end());
    ASSERT_EQ(programs.size(), 2u);
    EXPECT_EQ(programs[1].record->content.cells[0].code, u'Y');
    a.sets().reserve(4);
    a.sets().insert(a.sets().begin(), 2, b.sets()[0]);
    EXPECT_EQ(std::pair(a.sets()[1].title, a.sets()[2].programs.size()), std::pair(std::u16string(u"copy"), size_t(2)));
}
