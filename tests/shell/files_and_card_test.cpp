// The tree page's files (".lcs" save and open, Excel import) and the frame's card commands
// against the fake card, all through the real window; then a new user's walk through it.
#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>

#include <QApplication>
#include <QComboBox>
#include <QPushButton>
#include <QTimer>
#include <QInputMethodEvent>
#include <QTest>
#include <QToolBar>

#include "content/bytes.h"
#include "content/crc16.h"
#include "content/font_tables.h"
#include "content/program_encoder.h"
#include "content/program_file.h"
#include "content/program_image.h"
#include "content/screen_header.h"
#include "content/settings.h"
#include "content/text_codec.h"
#include "toolkit/message_box.h"
#include "editors/ui/edit_ctrl.h"
#include "link/udisk_export.h"
#include "link/ui/dlg_udisk.h"
#include "editors/ui/edit_ex.h"
#include "shell/card_commands.h"
#include "shell/editor_host.h"
#include "shell/main_frame.h"
#include "shell/view_single.h"
#include "shell/zu_app.h"
#include "tests/link/link_test_util.h"
#include "tests/shell/shell_test_util.h"
#include "toolkit/view_tree.h"

using namespace ledsuite;
using namespace ledsuite::testing;

namespace {

// The application with the panes this build has; messages recorded, short card waits.
struct App {
    ScopedShellEnv env;
    ShownMessages shown;
    std::unique_ptr<CZUApp> app;
    QString chosen;  // what the file dialog answers

    App() {
        static int noArguments = 0;
        app = std::make_unique<CZUApp>(noArguments, nullptr);
        EXPECT_TRUE(app->InitInstance());
        Frame().OnLanguage(3);  // the messages below are the English ones
        Frame().SetMessageSink(shown.Sink());
        Frame().SetTransferTimeouts({kWaitMs, kWaitMs});
        Page().SetFileChooser([this](bool) { return chosen; });
    }
    CMainFrame& Frame() { return *app->MainFrame(); }
    CViewSingle& Page() { return *Frame().SinglePage(); }
    CViewTree& Tree() { return *Page().ActiveTree(); }
    ProgramTree& Programs() { return Tree().Programs(); }
    // A screen the fake card on COM index 0 accepts (model 2, 115200 baud).
    void MatchCard() {
        Programs().screen().cardType = 2;
        Programs().screen().comIndex = 0;
        Programs().screen().baudIndex = 8;
    }
    // A set with one program whose text is `text`, through the page's commands and the model.
    void AddProgram(const std::u16string& text) {
        Tree().setCurrentItem(Tree().ScreenItem());
        Page().Command(ID_ADD_PROGRAM)->trigger();
        ProgramRecord& p = *Tree().ProgramNodeOf(Tree().SelectedItem())->record;
        for (size_t i = 0; i < text.size(); ++i) p.content.cells[i] = TextCell(text[i], CellAttr::Make(16, 0, 1));
    }
};

std::vector<uint8_t> Encode(const ProgramTree& tree) {
    std::vector<uint8_t> image(kImageLimit, 0xFF);
    uint32_t position = 0;
    const int32_t length = BuildProgramImage(image.data(), &position, tree, kImageLimit);
    image.resize(size_t(std::max(length, 0)));
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
void Write(const std::string& path, const std::vector<uint8_t>& bytes) {
    std::ofstream(path, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
}

}  // namespace

TEST(ShellFiles, LcsSaveAndOpenRoundTripThroughTheWindow) {
    App a;
    const std::string path = a.env.Path("show.lcs");
    // Nothing to compile: the encoder's message, no file.
    EXPECT_EQ(a.Frame().Channel().send(IMC_FILE_SAVE, reinterpret_cast<intptr_t>(path.c_str())), kEncodeNoSet);
    EXPECT_EQ(a.shown.Last(), FormatEncodeError(kEncodeNoSet, 0));
    a.AddProgram(u"Hello LED");
    a.Programs().screen().width = 96;
    EXPECT_EQ(a.Frame().Channel().send(IMC_FILE_SAVE, reinterpret_cast<intptr_t>(path.c_str())), 0);
    // File > Save asks for a name; the name gets its extension.
    a.chosen = QString::fromStdString(a.env.Path("asked"));
    a.Frame().Trigger(ID_FILE_SAVE);
    EXPECT_EQ(Read(a.env.Path("asked.lcs")), Read(path));
    // A save that cannot be written says so and leaves nothing behind.
    const std::string bad = a.env.Path("missing/dir/x.lcs");
    EXPECT_EQ(a.Page().SaveFile(bad), kProgramFileNotWritten);
    EXPECT_NE(a.shown.Last().find(u"could not be written"), std::u16string::npos);

    // Open into a fresh tree state: the set deleted, the screen changed.
    a.Tree().setCurrentItem(a.Tree().ItemAt(0));
    a.Page().OnDeleteItem();
    a.Programs().screen().width = 10;
    a.chosen = QString::fromStdString(path);
    a.Frame().Trigger(ID_FILE_OPEN);
    ASSERT_EQ(a.Programs().sets().size(), 1u);
    EXPECT_EQ(Text(*a.Programs().sets()[0].programs[0].record), u"Hello LED");
    EXPECT_EQ(a.Programs().screen().width, 96);
    EXPECT_EQ(a.Tree().ItemAt(0, 0)->text(0), QString("Program"));
}

TEST(ShellFiles, OpenChecksTheFileBeforeTouchingTheTree) {
    App a;
    a.AddProgram(u"abc");
    const std::string path = a.env.Path("good.lcs");
    ASSERT_EQ(a.Page().SaveFile(path), 0);
    const std::vector<uint8_t> good = Read(path);
    a.Tree().setCurrentItem(a.Tree().ItemAt(0));
    a.Page().OnDeleteItem();
    auto open = [&](const std::vector<uint8_t>& bytes) {
        const std::string p = a.env.Path("probe.lcs");
        Write(p, bytes);
        a.shown.texts.clear();
        a.Page().OpenFile(p);
        return a.Programs().sets().size();
    };
    // A header only (0x213 bytes): the screen record is read, no programs.
    std::vector<uint8_t> headerOnly(good.begin(), good.begin() + 0x213);
    a.Programs().screen().width = 1;
    EXPECT_EQ(open(headerOnly), 0u);
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
    ASSERT_EQ(a.shown.texts.size(), 1u);
    EXPECT_EQ(a.shown.texts[0], u"The program file's checksum does not match; its programs may be damaged.");
    // A name of just "xls" is read as a program file; "a.XLS" goes to the Excel import.
    EXPECT_FALSE(CViewSingle::IsExcelName("xls"));
    EXPECT_TRUE(CViewSingle::IsExcelName("a.XLS"));
    EXPECT_TRUE(CViewSingle::IsExcelName("/d/book.xLs"));
}

TEST(ShellFiles, ExcelImportFromAWorkbook) {
    App a;
    a.Programs().screen().height = 300;  // the cells' size stays within a byte: 255
    const std::string book = a.env.Path("book.XLS");
    const std::string script = a.env.Path("make.py");
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
    a.chosen = QString::fromStdString(book);
    a.Frame().Trigger(ID_FILE_OPEN);
    ASSERT_EQ(a.Programs().sets().size(), 3u);
    const auto& sets = a.Programs().sets();
    EXPECT_EQ(sets[0].title, u"默认节目");
    EXPECT_EQ(sets[0].record->playMode, 0);
    EXPECT_EQ(sets[1].record->playMode, 5);
    EXPECT_EQ(sets[2].programs.size(), 0u);
    // 1200 characters, 400 of them U+E003: filtered, then cut at 1000.
    const ProgramRecord& p = *sets[0].programs[0].record;
    ASSERT_EQ(CountCells(p.content), 800);
    EXPECT_EQ(Text(p), [] { std::u16string s; for (int i = 0; i < 400; ++i) s += u"ab"; return s; }());
    EXPECT_EQ(CellAttr::SizeOf(p.content.cells[0].attr), 255u);
    EXPECT_EQ(CellAttr::FontOf(p.content.cells[0].attr), DefaultFontIndex());
    EXPECT_EQ(a.Tree().ItemAt(1)->text(0), QString("Weekend"));
    // Not a workbook.
    Write(a.env.Path("bad.xls"), {1, 2, 3});
    a.Page().OpenFile(a.env.Path("bad.xls"));
    EXPECT_EQ(a.shown.Last(), u"Can not open db!");
    EXPECT_EQ(a.shown.captions.back(), u"error");
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
    std::string Sound(int index) const { return root + "/ZIZodo/Sound/00" + std::to_string(index) + ".ssf"; }
};

// The header area and the image behind it (its length in its first word) load back into
// a tree with the one program; what follows the image is the card's, not the loader's.
void ExpectLoadsBack(const std::vector<uint8_t>& file) {
    ASSERT_GT(file.size(), kProgramFileHeaderSize + 20);
    const size_t end = kProgramFileHeaderSize + LoadU32(&file[kProgramFileHeaderSize]);
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
    EXPECT_EQ(r.told.back(), u"Save to usb disk successfully\r\n" + Utf8ToWide(UDiskProgramPath(r.root, "20k", 1)));
    ASSERT_GT(file.size(), kProgramFileHeaderSize);
    EXPECT_EQ(file.size(), kProgramFileHeaderSize + LoadU32(&file[kProgramFileHeaderSize]));
    EXPECT_FALSE(fs::exists(r.root + "/ZIZodo/Sound"));

    // Subtype 3, sounds in the on-board flash: the speech file, and its copy behind the image.
    file = r.Save(3, 0);
    EXPECT_EQ(r.told.back(), u"Save to usb disk successfully\r\n" + Utf8ToWide(UDiskProgramPath(r.root, "20k", 0)));
    ExpectLoadsBack(file);
    const std::vector<uint8_t> sound = Read(r.Sound(0));
    ASSERT_GT(sound.size(), 512u);
    EXPECT_EQ(std::vector<uint8_t>(sound.begin() + 2, sound.begin() + 6), (std::vector<uint8_t>{'k', 'i', 'p', 0}));
    EXPECT_EQ(std::vector<uint8_t>(sound.begin() + 258, sound.begin() + 262), (std::vector<uint8_t>{'s', 'f', 'h', 0}));
    const size_t end = kProgramFileHeaderSize + LoadU32(&file[kProgramFileHeaderSize]);
    ASSERT_EQ(file.size(), end + 40 + sound.size());
    EXPECT_EQ(std::vector<uint8_t>(file.begin() + long(end), file.begin() + long(end) + 4),
              (std::vector<uint8_t>{'p', 'd', 'e', 0}));
    EXPECT_TRUE(std::equal(sound.begin() + 256, sound.end(), file.begin() + long(end + 40 + 256)));

    // Sounds kept on the disk only: the file ends with the image.
    file = r.Save(3, 2, kSoundOnUDisk);
    ExpectLoadsBack(file);
    EXPECT_EQ(file.size(), kProgramFileHeaderSize + LoadU32(&file[kProgramFileHeaderSize]));

    // File > Open of the first disk file takes the image and leaves the sounds behind it.
    const size_t sets = r.a.Programs().sets().size();
    r.a.chosen = QString::fromStdString(UDiskProgramPath(r.root, "20k", 0));
    r.a.Frame().Trigger(ID_FILE_OPEN);
    ASSERT_EQ(r.a.Programs().sets().size(), sets + 1);
    EXPECT_EQ(Text(*r.a.Programs().sets().back().programs[0].record), u"Hello there.");
}

TEST(ShellUDisk, BuildClosedWithoutOkOrFailedEncodeWritesNothing) {
    UDiskRig r;
    QTimer::singleShot(0, [] {
        if (QWidget* modal = QApplication::activeModalWidget()) static_cast<QDialog*>(modal)->done(QDialog::Rejected);
    });
    EXPECT_TRUE(r.Save(3, 5).empty());
    EXPECT_EQ(r.told.back(), u"Save to usb disk failed\r\n" + Utf8ToWide(UDiskProgramPath(r.root, "20k", 5)));
    // A program without content: the encoder's message, then the failure.
    r.a.Programs().program(0, 0)->record->content.cells[0] = TextCell();
    EXPECT_TRUE(r.Save(3, 6).empty());
    EXPECT_EQ(r.a.shown.Last(), FormatEncodeError(kEncodeEmptyProgram, 0));
    EXPECT_EQ(r.told.back(), u"Save to usb disk failed\r\n" + Utf8ToWide(UDiskProgramPath(r.root, "20k", 6)));
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
        EXPECT_EQ(a.Frame().Channel().send(IMC_READ_HW_PARAMS, reinterpret_cast<intptr_t>(buffer.data())),
                  TransferResult::kOutOfRange);
        EXPECT_EQ(a.shown.Last(), u"Data out of range");
    }
    {
        CardOnPort silent({.baud = 0});
        a.Frame().Trigger(ID_CARD_SEND);
        EXPECT_EQ(a.shown.Last(), u"No control card found");
        const std::vector<uint8_t> block = BuildHardwareParamBlock(a.Programs().screen());
        std::vector<uint8_t> withLength = block;
        StoreU32(withLength.data(), 1024);
        a.Frame().Channel().send(IMC_SEND_HW_PARAMS, reinterpret_cast<intptr_t>(withLength.data()));
        EXPECT_EQ(a.shown.Last(), u"No control card found");
    }
    // A result the transfer does not name is a failure, never "successfully".
    EXPECT_EQ(CardSendMessage(TransferResult::kSendStopped, TransferMode::Program, 1), u"Sending failed (error 260)");
    EXPECT_EQ(CardSendMessage(0, TransferMode::Hardware, 1), u"Send hardware parameter successfully");
    EXPECT_EQ(CardReadMessage(TransferResult::kReadStopped, TransferMode::Program, 1), u"");
    // An empty tree: the encoder's message and nothing sent.
    a.Tree().setCurrentItem(a.Tree().ItemAt(0));
    a.Page().OnDeleteItem();
    a.Tree().setCurrentItem(a.Tree().ItemAt(0));
    a.Page().OnDeleteItem();
    CardOnPort c;
    a.Frame().Trigger(ID_CARD_SEND);
    EXPECT_EQ(a.shown.Last(), FormatEncodeError(kEncodeNoSet, 0));
    EXPECT_EQ(c.card.log().count(uint8_t(CardCommand::SendProgram)), 0u);
}

TEST(ShellCard, PortChangeIsStoredEvenWithoutAValidSettingsFile) {
    App a;
    Write(SettingsFilePath(), {1, 2, 3});  // not a settings file
    a.Programs().screen().comIndex = 3;
    a.Programs().screen().baudIndex = 7;
    a.Frame().Channel().send(IMC_PORT_SETTINGS_CHANGED, 0);
    HardwareParams stored;
    ASSERT_TRUE(LoadSettingsFile(stored));
    EXPECT_EQ(stored.comIndex, 3);
    EXPECT_EQ(stored.baudIndex, 7);
    EXPECT_EQ(stored.width, 128);  // the defaults around the new port
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
    auto* editor = qobject_cast<CEditCtrl*>(a.Frame().EditorHost()->PageWidget(RSEditorWnd::kPageEditor));
    ASSERT_NE(editor, nullptr);
    ASSERT_EQ(editor->record(), &program);
    QInputMethodEvent commit;
    commit.setCommitString(QStringLiteral("欢迎"));
    QApplication::sendEvent(editor->surface(), &commit);
    QTest::keyClicks(editor->surface(), " Welcome");
    const std::u16string text = u"欢迎 Welcome";
    ASSERT_EQ(Text(program), text);
    // File > Save with a name, then the set removed and the file opened again.
    a.chosen = QString::fromStdString(a.env.Path("walk.lcs"));
    a.Frame().Trigger(ID_FILE_SAVE);
    tree.setCurrentItem(tree.ItemAt(0));
    a.Page().Command(ID_DELETE_ITEM)->trigger();
    ASSERT_TRUE(a.Programs().sets().empty());
    a.Frame().Trigger(ID_FILE_OPEN);
    ASSERT_EQ(a.Programs().sets().size(), 1u);
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
