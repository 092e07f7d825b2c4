// The tree page's files (".lcs" save and open, Excel import) and the frame's card commands
// against the fake card, all through the real window; then a new user's walk through it.
#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>

#include <QComboBox>
#include <QDialog>
#include <QInputMethodEvent>
#include <QPushButton>
#include <QTest>
#include <QToolBar>

#include "content/bytes.h"
#include "content/render/font_tables.h"
#include "content/card/program_encoder.h"
#include "content/card/program_file.h"
#include "content/card/program_image.h"
#include "content/card/screen_header.h"
#include "content/model/settings.h"
#include "content/model/text_codec.h"
#include "editors/ui/edit_ctrl.h"
#include "editors/ui/edit_ex.h"
#include "link/udisk_export.h"
#include "link/ui/dlg_udisk.h"
#include "shell/card_commands.h"
#include "tests/shell/shell_test_util.h"

using namespace ledsuite;
using namespace ledsuite::testing;

namespace {

std::vector<uint8_t> Encode(const ProgramTree& tree) {
    std::vector<uint8_t> image(kImageLimit, 0xFF);
    uint32_t position = 0;
    image.resize(size_t(std::max(BuildProgramImage(image.data(), &position, tree, kImageLimit), 0)));
    return image;
}

std::u16string Text(const ProgramRecord& p) {
    std::u16string s;
    for (int i = 0; i < CountCells(p.content); ++i) s += p.content.cells[size_t(i)].code;
    return s;
}

std::vector<uint8_t> Read(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

// The application with this build's panes, started, its messages in English.
struct App : ShellApp {
    App() {
        EXPECT_TRUE(Start());
        Frame().OnLanguage(3);
    }
};

}  // namespace

TEST(ShellFiles, OpenChecksTheFileBeforeTouchingTheTree) {
    App a;
    EXPECT_EQ(a.Send(IMC_FILE_SAVE, a.env.Path("x.lcs").c_str()), kEncodeNoSet);  // nothing to compile, no file
    EXPECT_EQ(a.shown.Last(), FormatEncodeError(kEncodeNoSet, 0));
    a.AddProgram(u"abc");
    // A save that cannot be written says so and leaves nothing behind.
    EXPECT_EQ(a.Page().SaveFile(a.env.Path("missing/dir/x.lcs")), kProgramFileNotWritten);
    EXPECT_NE(a.shown.Last().find(u"could not be written"), std::u16string::npos);
    const std::string path = a.env.Path("good.lcs");
    ASSERT_EQ(a.Page().SaveFile(path), 0);
    const std::vector<uint8_t> good = Read(path);
    a.DeleteSet();
    auto open = [&](const std::vector<uint8_t>& bytes) {
        const std::string p = a.env.Path("probe.lcs");
        WriteFileAtomic(p, bytes.data(), bytes.size());
        a.shown.texts.clear();
        a.Page().OpenFile(p);
        return a.Programs().sets().size();
    };
    // A header only (0x213 bytes): the screen record is read, no programs.
    a.Programs().screen().width = 1;
    EXPECT_EQ(open(std::vector<uint8_t>(good.begin(), good.begin() + 0x213)), 0u);
    EXPECT_EQ(a.Programs().screen().width, 128);
    EXPECT_TRUE(a.shown.texts.empty());
    // Refused before anything is read: wrong header length, no end mark, a short image, too short.
    auto broken = [&](size_t at, uint8_t value) {
        auto b = good;
        b[at] = value;
        return b;
    };
    a.Programs().screen().width = 1;
    for (const auto& bytes : {broken(0, 63), broken(60, 0), std::vector<uint8_t>(good.begin(), good.end() - 4),
                              std::vector<uint8_t>(good.begin(), good.begin() + 40), broken(good.size() - 4, 0)}) {
        EXPECT_EQ(open(bytes), 0u);
        EXPECT_EQ(a.shown.texts.size(), 1u);
        EXPECT_EQ(a.Programs().screen().width, 1);
    }
    // The USB-disk export rewrites byte 16: the header's CRC is not checked.
    EXPECT_EQ(open(broken(16, 9)), 1u);
    EXPECT_TRUE(a.shown.texts.empty());
    // A wrong image CRC warns and loads.
    EXPECT_EQ(open(broken(good.size() - 1, uint8_t(good.back() ^ 1))), 2u);
    EXPECT_EQ(a.shown.texts,
              std::vector<std::u16string>{u"The program file's checksum does not match; its programs may be damaged."});
    // A name of just "xls" is read as a program file; "a.XLS" goes to the Excel import.
    EXPECT_FALSE(CViewSingle::IsExcelName("xls"));
    EXPECT_TRUE(CViewSingle::IsExcelName("a.XLS"));
    EXPECT_TRUE(CViewSingle::IsExcelName("/d/book.xLs"));
}

TEST(ShellFiles, ExcelImportFromAWorkbook) {
    App a;
    a.Programs().screen().height = 300;  // the cells' size stays within a byte: 255
    const std::string book = a.env.Path("book.XLS"), script = a.env.Path("make.py");
    std::ofstream(script) << "import sys, xlwt\n"
                             "wb = xlwt.Workbook(encoding='utf-8')\n"
                             "ws = wb.add_sheet('Sheet1')\n"
                             "ws.write(0, 0, '内容'); ws.write(0, 1, '节目集')\n"
                             "ws.write(1, 1, '默认节目'); ws.write(1, 0, ('ab\\ue003' * 400))\n"
                             "ws.write(2, 1, 'Weekend'); ws.write(2, 0, 'x')\n"
                             "ws.write(3, 1, 12); ws.write(3, 0, 'numbers are not names')\n"
                             "ws.write(4, 1, 'No content')\n"
                             "wb.save(sys.argv[1])\n";
    ASSERT_EQ(std::system(("/usr/bin/python3 '" + script + "' '" + book + "'").c_str()), 0);
    ChooseNextFile(QString::fromStdString(book));
    a.Frame().Trigger(ID_FILE_OPEN);  // the sets are added: nothing to ask first
    const auto& sets = a.Programs().sets();
    ASSERT_EQ(sets.size(), 3u);
    EXPECT_EQ(sets[0].title, u"默认节目");
    EXPECT_EQ(std::tuple(sets[0].record->playMode, sets[1].record->playMode, sets[2].programs.size()),
              std::tuple(0, 5, 0u));
    // 1200 characters, 400 of them U+E003: filtered, then cut at 1000.
    const ProgramRecord& p = *sets[0].programs[0].record;
    std::u16string ab;
    for (int i = 0; i < 400; ++i) ab += u"ab";
    EXPECT_EQ(Text(p), ab);
    EXPECT_EQ(CellAttr::SizeOf(p.content.cells[0].attr), 255u);
    EXPECT_EQ(CellAttr::FontOf(p.content.cells[0].attr), DefaultFontIndex());
    EXPECT_EQ(a.Tree().ItemAt(1)->text(0), QString("Weekend"));
    // Not a workbook.
    const uint8_t junk[] = {1, 2, 3};
    WriteFileAtomic(a.env.Path("bad.xls"), junk, 3);
    a.Page().OpenFile(a.env.Path("bad.xls"));
    EXPECT_EQ(a.shown.Last(), u"Can not open db!");
    EXPECT_EQ(a.shown.captions.back(), u"error");
    // A workbook that crashes the reader library (a segmentation fault in its process): the same
    // message, and the window goes on.
    const fs::path crash = fs::path(LEDSUITE_SOURCE_ROOT) / "tests/content/model/data/reader_crash.xls";
    ASSERT_TRUE(fs::exists(crash));
    ChooseNextFile(QString::fromStdString(crash.string()));
    a.Frame().Trigger(ID_FILE_OPEN);
    EXPECT_EQ(a.shown.Last(), u"Can not open db!");
    ChooseNextFile(QString::fromStdString(book));
    a.Frame().Trigger(ID_FILE_OPEN);
    EXPECT_EQ(a.Programs().sets().size(), 6u);
}

// A USB disk as a folder: the frame's tree saved through the export dialog's single mode.
struct UDiskRig {
    App a;
    std::string root = a.env.Path("disk");
    std::vector<std::u16string> told;
    UDiskRig() {
        fs::create_directories(root);
        setenv("LEDSUITE_REMOVABLE_ROOTS", root.c_str(), 1);
        a.AddProgram(u"Hello there.");
        a.Programs().screen().cardType = 2;  // model prefix "20k"
        a.Programs().SetProgramKind(0, 0, 2 + 2);  // speech, voice index 2
    }
    ~UDiskRig() { unsetenv("LEDSUITE_REMOVABLE_ROOTS"); }
    // Saves as card number `number` with the sound device `device`; the file's bytes.
    std::vector<uint8_t> Save(uint8_t subtype, int number, int device = 0) {
        a.Programs().screen().cardSubtype = subtype;
        DlgUDisk dlg(&a.Programs(), &a.Frame().Channel(), &a.Frame());
        dlg.SetMessageSink([this](const std::u16string& text, const std::u16string&, uint32_t) {
            told.push_back(text);
            return IDOK;
        });
        dlg.show();
        dlg.CardNumberCombo()->setCurrentIndex(number);
        dlg.SoundDeviceCombo()->setCurrentIndex(device);
        dlg.SaveButton()->click();
        return Read(UDiskProgramPath(root, "20k", number));
    }
    std::u16string Told(bool ok, int number) const {
        return (ok ? u"Save to usb disk successfully\r\n" : u"Save to usb disk failed\r\n") +
               Utf8ToWide(UDiskProgramPath(root, "20k", number));
    }
};

// Where the image of a disk file ends (its length in its first word).
size_t ImageEnd(const std::vector<uint8_t>& file) {
    return file.size() < kProgramFileHeaderSize + 4 ? 0 : kProgramFileHeaderSize + LoadU32(&file[kProgramFileHeaderSize]);
}

// The header area and the image behind it load back into a tree with the one program;
// what follows the image is the card's, not the loader's.
void ExpectLoadsBack(const std::vector<uint8_t>& file) {
    const size_t end = ImageEnd(file);
    ASSERT_GT(end, kProgramFileHeaderSize + 20);
    ASSERT_LE(end, file.size());
    ProgramTree back;
    LoadProgramFile(back, std::span(file).first(end));
    ASSERT_EQ(back.sets().size(), 1u);
    EXPECT_EQ(Text(*back.sets()[0].programs[0].record), u"Hello there.");
}

TEST(ShellUDisk, VoiceScreenSavesItsProgramAndSoundsThroughTheBuildDialog) {
    UDiskRig r;
    // Subtype 0 has no sounds: the plain save, no sound folder.
    std::vector<uint8_t> file = r.Save(0, 1);
    EXPECT_EQ(r.told.back(), r.Told(true, 1));
    ExpectLoadsBack(file);
    EXPECT_EQ(file.size(), ImageEnd(file));
    EXPECT_FALSE(fs::exists(r.root + "/ZIZodo/Sound"));

    // Subtype 3, sounds in the on-board flash: the speech file, and its copy behind the image.
    file = r.Save(3, 0);
    EXPECT_EQ(r.told.back(), r.Told(true, 0));
    ExpectLoadsBack(file);
    const std::vector<uint8_t> sound = Read(r.root + "/ZIZodo/Sound/000.ssf");
    ASSERT_GT(sound.size(), 512u);
    EXPECT_EQ(std::vector<uint8_t>(sound.begin() + 2, sound.begin() + 6), (std::vector<uint8_t>{'k', 'i', 'p', 0}));
    EXPECT_EQ(std::vector<uint8_t>(sound.begin() + 258, sound.begin() + 262), (std::vector<uint8_t>{'s', 'f', 'h', 0}));
    const size_t end = ImageEnd(file);
    ASSERT_EQ(file.size(), end + 40 + sound.size());
    EXPECT_EQ(std::vector<uint8_t>(file.begin() + long(end), file.begin() + long(end) + 4),
              (std::vector<uint8_t>{'p', 'd', 'e', 0}));
    EXPECT_TRUE(std::equal(sound.begin() + 256, sound.end(), file.begin() + long(end + 40 + 256)));

    // Sounds kept on the disk only: the file ends with the image.
    file = r.Save(3, 2, kSoundOnUDisk);
    ExpectLoadsBack(file);
    EXPECT_EQ(file.size(), ImageEnd(file));

    // File > Open of the first disk file takes the image and leaves the sounds behind it.
    ChooseNextFile(QString::fromStdString(UDiskProgramPath(r.root, "20k", 0)));
    r.a.Frame().Trigger(ID_FILE_OPEN);  // added after the set there
    ASSERT_EQ(r.a.Programs().sets().size(), 2u);
    EXPECT_EQ(Text(*r.a.Programs().sets().back().programs[0].record), u"Hello there.");
}

TEST(ShellUDisk, BuildClosedWithoutOkOrFailedEncodeWritesNothing) {
    UDiskRig r;
    AnswerNext<QDialog>([](QDialog* build) { build->done(QDialog::Rejected); }, true);
    EXPECT_TRUE(r.Save(3, 5).empty());
    EXPECT_EQ(r.told.back(), r.Told(false, 5));
    // A program without content: the encoder's message alone, not a second box after it.
    r.a.Programs().program(0, 0)->record->content.cells[0] = TextCell();
    const size_t told = r.told.size();
    EXPECT_TRUE(r.Save(3, 6).empty());
    EXPECT_EQ(r.a.shown.Last(), FormatEncodeError(kEncodeEmptyProgram, 0));
    EXPECT_EQ(r.told.size(), told);
}

TEST(ShellCard, SendAndUploadEndInTheRightMessages) {
    App a;
    a.MatchCard();
    a.AddProgram(u"Card");
    const std::vector<uint8_t> image = Encode(a.Programs());
    {
        CardOnPort c({.readBackData = image});
        a.Frame().Trigger(ID_CARD_SEND);
        EXPECT_EQ(a.shown.Last(), u"Send program successfully");
        EXPECT_EQ(c.card.log().data, image);  // the encoder's image is a whole number of words
        a.Frame().Trigger(ID_CARD_UPLOAD);
        EXPECT_EQ(a.shown.Last(), u"Read program successfully");
        ASSERT_EQ(a.Programs().sets().size(), 2u);
        EXPECT_EQ(Text(*a.Programs().sets()[1].programs[0].record), u"Card");
    }
    {
        CardOnPort c({.readBackData = Image(2000)});
        // The hardware block is read into a buffer of 1024 bytes: a longer answer is out of range.
        std::vector<uint8_t> buffer(1024);
        EXPECT_EQ(a.Send(IMC_READ_HW_PARAMS, buffer.data()), TransferResult::kOutOfRange);
        EXPECT_EQ(a.shown.Last(), u"Data out of range");
    }
    {
        CardOnPort silent({.baud = 0});
        a.Frame().Trigger(ID_CARD_SEND);
        EXPECT_EQ(a.shown.Last(), u"No control card found");
        std::vector<uint8_t> block = BuildHardwareParamBlock(a.Programs().screen());
        StoreU32(block.data(), 1024);
        a.shown.texts.clear();
        a.Send(IMC_SEND_HW_PARAMS, block.data());
        EXPECT_EQ(a.shown.Last(), u"No control card found");
    }
    // A result the transfer does not name is a failure, never "successfully".
    EXPECT_EQ(CardSendMessage(TransferResult::kSendStopped, TransferMode::Program, 1), u"Sending failed (error 260)");
    EXPECT_EQ(CardSendMessage(0, TransferMode::Hardware, 1), u"Send hardware parameter successfully");
    EXPECT_EQ(CardReadMessage(TransferResult::kReadStopped, TransferMode::Program, 1), u"");
    // An empty tree: the encoder's message and nothing sent.
    a.DeleteSet();
    a.DeleteSet();
    CardOnPort c;
    a.Frame().Trigger(ID_CARD_SEND);
    EXPECT_EQ(a.shown.Last(), FormatEncodeError(kEncodeNoSet, 0));
    EXPECT_EQ(c.card.log().count(uint8_t(CardCommand::SendProgram)), 0u);
}

TEST(ShellCard, PortChangeIsStoredEvenWithoutAValidSettingsFile) {
    App a;
    const uint8_t junk[] = {1, 2, 3};  // not a settings file
    WriteFileAtomic(SettingsFilePath(), junk, 3);
    a.Programs().screen().comIndex = 3;
    a.Programs().screen().baudIndex = 7;
    a.Frame().Channel().send(IMC_PORT_SETTINGS_CHANGED, 0);
    HardwareParams stored;
    ASSERT_TRUE(LoadSettingsFile(stored));
    EXPECT_EQ(std::tuple(stored.comIndex, stored.baudIndex, stored.width), std::tuple(3, 7, 128));  // defaults around
}

TEST(ShellWalk, NewUserComposesSavesOpensAndSends) {
    App a;
    a.MatchCard();
    CViewTree& tree = a.Tree();
    // Add a program set, then a program in it, with the page's toolbar buttons.
    tree.setCurrentItem(tree.ScreenItem());
    a.Page().ToolBar()->actions()[1]->trigger();
    a.Page().ToolBar()->actions()[2]->trigger();
    ASSERT_EQ(tree.ItemAt(0, 0), tree.SelectedItem());
    ProgramRecord& program = *tree.ProgramNodeOf(tree.SelectedItem())->record;
    // The text typed in the program editor: Chinese through an input method, then keys.
    auto* editor = qobject_cast<CEditCtrl*>(a.Host().PageWidget(RSEditorWnd::kPageEditor));
    ASSERT_NE(editor, nullptr);
    ASSERT_EQ(editor->record(), &program);
    QInputMethodEvent commit;
    commit.setCommitString(QStringLiteral("欢迎"));
    QApplication::sendEvent(editor->surface(), &commit);
    QTest::keyClicks(editor->surface(), " Welcome");
    const std::u16string text = u"欢迎 Welcome";
    ASSERT_EQ(Text(program), text);
    // File > Save asks for a name and adds the extension; the relay's save writes the same bytes.
    a.Programs().screen().width = 96;
    ChooseNextFile(QString::fromStdString(a.env.Path("walk")));
    a.Frame().Trigger(ID_FILE_SAVE);
    const std::string path = a.env.Path("walk.lcs"), again = a.env.Path("again.lcs");
    EXPECT_EQ(a.Send(IMC_FILE_SAVE, again.c_str()), 0);
    EXPECT_EQ(Read(again), Read(path));
    // The set removed and the screen changed, then the file opened again.
    tree.setCurrentItem(tree.ItemAt(0));
    a.Page().Command(ID_DELETE_ITEM)->trigger();
    ASSERT_TRUE(a.Programs().sets().empty());
    a.Programs().screen().width = 10;
    ChooseNextFile(QString::fromStdString(path));
    a.Frame().Trigger(ID_FILE_OPEN);  // the file's set joins the (now empty) tree
    ASSERT_EQ(a.Programs().sets().size(), 1u);
    EXPECT_EQ(a.Programs().screen().width, 96);
    EXPECT_EQ(tree.ItemAt(0, 0)->text(0), QString("Program"));
    a.MatchCard();  // the file's header carries the baud index too
    // Send to the card on the pseudo-terminal.
    CardOnPort c;
    a.Frame().Trigger(ID_CARD_SEND);
    EXPECT_EQ(a.shown.Last(), u"Send program successfully");
    const std::vector<uint8_t> expected = Encode(a.Programs());
    ASSERT_FALSE(expected.empty());
    EXPECT_EQ(c.card.log().data, expected);
    EXPECT_EQ(Text(*a.Programs().sets()[0].programs[0].record), text);
}
