// The user's work and the files it goes to: Save As asks before replacing a file under
// the name really written, closing or opening over unsaved programs asks first, every
// program property comes back from an ".lcs" file as it went in, a USB-disk build's file
// reopens, the status bar shows the screen's port, and a short program image is not
// reported as a plain success.
#include <sys/stat.h>

#include <gtest/gtest.h>

#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>

#include "content/card/program_file.h"
#include "editors/ui/edit_ctrl.h"
#include "editors/ui/edit_ex.h"
#include "music/playlist.h"
#include "shell/vehicle_pane_util.h"
#include "toolkit/qt_text.h"
#include "tests/editors_ui/item_dialog_test_util.h"
#include "tests/shell/shell_test_util.h"

using namespace ledsuite;
using namespace ledsuite::testing;

namespace {

struct App : ShellApp {
    App() {
        EXPECT_TRUE(Start());
        Frame().OnLanguage(3);
    }
    // A program in a new set, with `text` typed into the program editor.
    void TypeProgram(const QString& text) {
        Tree().setCurrentItem(Tree().ScreenItem());
        ShellApp::TypeProgram(text);
    }
};

std::vector<uint8_t> Read(const std::string& path) {
    std::vector<uint8_t> bytes;
    ReadFileBytes(path, kMaxProgramFileSize, bytes);
    return bytes;
}

// In the next file chooser: types `name` into its name field in `folder` and presses Enter;
// its own overwrite question, if any, is answered with `replace` (its text kept in `asked`).
void TypeInChooser(const QString& folder, const QString& name, QMessageBox::StandardButton replace, QString* asked) {
    AnswerNext<QFileDialog>([=](QFileDialog* d) {
        d->setDirectory(folder);
        auto* edit = d->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
        ASSERT_NE(edit, nullptr);
        QTest::keyClicks(edit, name);
        AnswerNext<QMessageBox>([=](QMessageBox* box) {
            *asked = box->text();
            box->button(replace)->click();
        });
        QTest::keyClick(edit, Qt::Key_Return);
        if (d->isVisible()) d->reject();
    });
}

TEST(SaveAs, TheChoosersOwnQuestionCoversTheNameReallyWritten) {
    App a;
    a.TypeProgram("new");
    const std::string show = a.env.Path("show.lcs");
    const uint8_t old[] = {'o', 'l', 'd'};
    ASSERT_TRUE(WriteFileAtomic(show, old, 3));
    QString asked;
    TypeInChooser(QString::fromStdString(a.env.dir.string()), "show", QMessageBox::No, &asked);
    a.Menu(ID_FILE_SAVE_AS)->trigger();
    EXPECT_TRUE(asked.contains("show.lcs")) << asked.toStdString();
    EXPECT_EQ(Read(show), std::vector<uint8_t>(old, old + 3));  // not replaced
    asked.clear();
    TypeInChooser(QString::fromStdString(a.env.dir.string()), "show", QMessageBox::Yes, &asked);
    a.Menu(ID_FILE_SAVE_AS)->trigger();
    EXPECT_FALSE(asked.isEmpty());
    EXPECT_GT(Read(show).size(), 0x200u);  // replaced, as asked
}

TEST(UnsavedWork, ClosingAsksSaveDiscardOrCancel) {
    App a;
    a.TypeProgram("Hello");
    QString asked;
    AnswerBox(&asked, IDCANCEL);
    EXPECT_FALSE(a.Frame().close());  // the window's close button, then Cancel: it stays
    EXPECT_EQ(asked, "The programs have been changed. Save them?");
    EXPECT_TRUE(a.Frame().isVisible());
    // Save: the chooser, then the file holds the work and the window closes.
    const std::string path = a.env.Path("kept");
    AnswerBox(&asked, IDYES);
    ChooseNextFile(QString::fromStdString(path));
    EXPECT_TRUE(a.Frame().close());
    EXPECT_GT(Read(path + ".lcs").size(), 0x214u);
}

TEST(UnsavedWork, DiscardClosesAndASavedTreeClosesWithoutAQuestion) {
    {
        App a;
        a.TypeProgram("Bye");
        QString asked;
        AnswerBox(&asked, IDNO);
        a.Menu(ID_APP_EXIT)->trigger();
        EXPECT_FALSE(asked.isEmpty());
        EXPECT_FALSE(a.Frame().isVisible());
    }
    App b;
    b.TypeProgram("Kept");
    ChooseNextFile(QString::fromStdString(b.env.Path("kept")));
    b.Menu(ID_FILE_SAVE)->trigger();
    EXPECT_TRUE(b.Frame().close());  // nothing asked: a box would hold the test here
    // A change after the save is asked about again when closing.
    b.Frame().show();
    b.Programs().sets()[0].programs[0].record->mainAction.speed = 9;  // as the property grid stores it
    QString asked;
    AnswerBox(&asked, IDNO);
    EXPECT_TRUE(b.Frame().close());
    EXPECT_EQ(asked, "The programs have been changed. Save them?");
}

// ---- File > Open adds to the tree ----

// A program file written by the suite (one set, program "Opened"), with `sounds` bytes behind
// its image as a USB-disk build leaves them.
std::string MakeProgramFile(const TempDir& dir, size_t sounds) {
    App maker;
    maker.TypeProgram("Opened");
    const std::string path = (dir.path / (sounds ? "sounds.lcs" : "plain.lcs")).string();
    EXPECT_EQ(maker.Page().SaveFile(path), 0);
    std::vector<uint8_t> file = Read(path);
    file.resize(file.size() + sounds, 0x5A);
    EXPECT_TRUE(WriteFileAtomic(path, file.data(), file.size()));
    return path;
}

// File > Open through the real chooser, then the window's close; every message box that shows
// on the way is answered No and its text kept.
std::vector<QString> OpenThenClose(App& a, const std::string& path) {
    std::vector<QString> asked;
    Answerer<CMessageBoxFx> boxes([&](CMessageBoxFx* b) {
        asked.push_back(b->TextLabel()->text());
        b->done(IDNO);
    });
    ChooseNextFile(QString::fromStdString(path));
    a.Menu(ID_FILE_OPEN)->trigger();
    EXPECT_TRUE(asked.empty()) << asked.front().toStdString();  // Open never asks
    asked.push_back("-- closing");
    EXPECT_TRUE(a.Frame().close());
    return asked;
}

TEST(OpenFile, AddsTheFilesSetsAndAsksToSaveOnlyWhatWasUnsavedBefore) {
    TempDir dir;
    const std::string plain = MakeProgramFile(dir, 0), withSounds = MakeProgramFile(dir, 4000);
    const QString question = "The programs have been changed. Save them?";
    {
        // Nothing typed before: the opened file closes without a question; its set came after the one there.
        App a;
        a.TypeProgram("Here");
        ChooseNextFile(QString::fromStdString(a.env.Path("here")));
        a.Menu(ID_FILE_SAVE)->trigger();
        EXPECT_EQ(OpenThenClose(a, plain), std::vector<QString>{"-- closing"});
        ASSERT_EQ(a.Programs().sets().size(), 2u);
        EXPECT_EQ(a.Programs().sets()[1].programs[0].record->content.cells[0].code, u'O');
    }
    {
        // Unsaved work before the Open stays unsaved after it.
        App a;
        a.TypeProgram("Typed");
        EXPECT_EQ(OpenThenClose(a, plain), (std::vector<QString>{"-- closing", question}));
        EXPECT_EQ(a.Programs().sets().size(), 2u);
    }
    {
        // A clean page opening a file with sounds behind its image: a save would leave them out.
        App a;
        EXPECT_EQ(OpenThenClose(a, withSounds), (std::vector<QString>{"-- closing", question}));
        EXPECT_EQ(a.Programs().sets().size(), 1u);
    }
    App fresh;  // and the same clean page with the plain file: nothing to ask
    EXPECT_EQ(OpenThenClose(fresh, plain), std::vector<QString>{"-- closing"});
}

// A name typed into the chooser of File > Open: an existing file opens by its own name (also
// beside a NAME.lcs), a name without a dot that names no file gets ".lcs", and a name of no
// file leaves it open.
TEST(OpenFile, AnExistingFileOpensByItsOwnNameAndOnlyAMissingOneGetsLcs) {
    TempDir dir;
    fs::copy_file(MakeProgramFile(dir, 0), dir.path / "noext");
    const uint8_t noProgram[] = {'n', 'o'};  // "noext.lcs" beside it: the name typed is the file opened
    ASSERT_TRUE(WriteFileAtomic((dir.path / "noext.lcs").string(), noProgram, sizeof noProgram));
    const QString folder = QString::fromStdString(dir.path.string());
    App a;
    QString asked;
    TypeInNextChooser(folder, "noext", &asked);
    a.Menu(ID_FILE_OPEN)->trigger();
    EXPECT_TRUE(asked.isEmpty()) << asked.toStdString();
    ASSERT_EQ(a.Programs().sets().size(), 1u);
    EXPECT_EQ(a.Programs().sets()[0].programs[0].record->content.cells[0].code, u'O');
    TypeInNextChooser(folder, "plain", &asked);
    a.Menu(ID_FILE_OPEN)->trigger();
    EXPECT_TRUE(asked.isEmpty()) << asked.toStdString();
    EXPECT_EQ(a.Programs().sets().size(), 2u);  // plain.lcs
    TypeInNextChooser(folder, "none", &asked);
    a.Menu(ID_FILE_OPEN)->trigger();
    EXPECT_EQ(asked.toStdString(), "none\nFile not found.\nPlease verify the correct file name was given.");
    EXPECT_EQ(a.Programs().sets().size(), 2u);
    asked.clear();
    fs::create_directory(dir.path / "sub");
    TypeInNextChooser(folder, "sub", &asked);  // a folder's name opens the folder
    a.Menu(ID_FILE_OPEN)->trigger();
    EXPECT_TRUE(asked.isEmpty()) << asked.toStdString();
}

TEST(UnsavedWork, AFailedPlaylistSaveOnClosingIsReported) {
    App a;
    // "playlist.dat" cannot be written: a folder stands in its name.
    ASSERT_EQ(mkdir(PlaylistFilePath().c_str(), 0700), 0);
    EXPECT_TRUE(a.Frame().close());
    EXPECT_NE(a.shown.Last().find(u"playlist.dat"), std::u16string::npos);
    EXPECT_NE(a.shown.Last().find(u"could not be written"), std::u16string::npos);
}

// ---- every property through an ".lcs" file ----

// Every property the file keeps, each play mode with its own parameters, several effects.
// (The speech rate, alignment and sound paths are the sound build's and not in an ".lcs"
// file; the set's border is not either.)
TEST(RoundTrip, EveryProgramPropertyComesBackFromTheFile) {
    App a;
    a.TypeProgram("Round trip");
    ProgramTree& programs = a.Programs();
    programs.screen().width = 160;
    const std::pair<uint8_t, uint8_t> cases[] = {{1, kEffectMoveUp}, {2, kEffectScroll}, {3, kEffectFlash},
                                                 {4, kEffectMoveRightContinue}, {6, kEffectCurtainDown}};
    for (const auto& [mode, effect] : cases) {
        ProgramSetRecord& set = *programs.sets()[0].record;
        set.playMode = mode;
        set.weekdays = 0x55;
        set.duration = 0x0123;
        set.dates[0] = {0x3643, 0x3685};  // two packed dates
        set.periods = {0x02000100u, 0x04000300u, 0x06000500u};
        ProgramRecord& p = *programs.sets()[0].programs[0].record;
        p.left = 3, p.top = 2, p.right = 150, p.bottom = 14;
        p.borderType = 2, p.borderEffect = 1, p.borderSpeed = 66;
        p.mainAction.effect = effect;
        p.mainAction.speed = 33, p.mainAction.repeat = 3;
        p.mainAction.pause = EffectKeepsPause(effect) ? 44 : 0;   // as the grid holds them for the effect
        p.mainAction.offset = EffectKeepsOffset(effect) ? -5 : 0;  // only effects whose form has room keep one
        p.secondaryAction.effect = kEffectCurtainUp;
        p.secondaryAction.speed = 12, p.secondaryAction.pause = 13, p.secondaryAction.repeat = 2;
        const ProgramTree before = programs;
        const std::string path = a.env.Path("trip" + std::to_string(mode));
        ChooseNextFile(QString::fromStdString(path));
        a.Menu(ID_FILE_SAVE)->trigger();
        ChooseNextFile(QString::fromStdString(path + ".lcs"));
        a.Menu(ID_FILE_OPEN)->trigger();  // the file's set joins the tree after the one there
        ASSERT_EQ(programs.sets().size(), 2u);
        const ProgramSetRecord& s1 = *before.sets()[0].record;
        const ProgramSetRecord& s2 = *programs.sets()[1].record;
        const ProgramRecord& p1 = *before.sets()[0].programs[0].record;
        const ProgramRecord& p2 = *programs.sets()[1].programs[0].record;
        SCOPED_TRACE(int(mode));
        EXPECT_EQ(programs.screen().width, 160);
        EXPECT_EQ(s2.playMode, mode);
        if (mode == 1) { EXPECT_EQ(s2.duration, s1.duration); }
        if (mode == 2) { EXPECT_EQ(s2.periods[0], s1.periods[0]); }
        if (mode == 3 || mode == 6) { EXPECT_EQ(s2.weekdays, s1.weekdays); }
        if (mode == 4 || mode == 6) {
            EXPECT_EQ(std::tuple(s2.dates[0].start, s2.dates[0].stop), std::tuple(s1.dates[0].start, s1.dates[0].stop));
        }
        if (mode == 6) { EXPECT_EQ(s2.periods, s1.periods); }
        EXPECT_EQ(std::tuple(p2.left, p2.top, p2.right, p2.bottom), std::tuple(p1.left, p1.top, p1.right, p1.bottom));
        EXPECT_EQ(std::tuple(p2.borderType, p2.borderEffect, p2.borderSpeed),
                  std::tuple(p1.borderType, p1.borderEffect, p1.borderSpeed));
        for (auto [a1, a2] : {std::pair(&p1.mainAction, &p2.mainAction), {&p1.secondaryAction, &p2.secondaryAction}})
            EXPECT_EQ(std::tuple(a2->effect, a2->speed, a2->pause, a2->repeat, a2->offset),
                      std::tuple(a1->effect, a1->speed, a1->pause, a1->repeat, a1->offset));
        a.Tree().setCurrentItem(a.Tree().ItemAt(1));
        CommandAction(a.Page().ToolBar(), ID_DELETE_ITEM)->trigger();
    }
}

// ---- a USB-disk build's file, the status bar, the small card ----

TEST(ProgramFiles, AUsbDiskBuildWithMoreThanAMebibyteOfSoundsReopens) {
    App a;
    a.TypeProgram("Disk");
    const std::string path = a.env.Path("disk.lcs");
    ASSERT_EQ(a.Page().SaveFile(path), 0);
    std::vector<uint8_t> file = Read(path);
    const size_t image = file.size();
    file.resize(1229620, 0x5A);  // the sounds a USB-disk build puts behind the image
    ASSERT_TRUE(WriteFileAtomic(path, file.data(), file.size()));
    a.shown.texts.clear();
    ChooseNextFile(QString::fromStdString(path));
    a.Menu(ID_FILE_OPEN)->trigger();
    EXPECT_TRUE(a.shown.texts.empty()) << (a.shown.texts.empty() ? "" : ToQString(a.shown.Last()).toStdString());
    ASSERT_EQ(a.Programs().sets().size(), 2u);  // the file's set joined the tree
    EXPECT_GT(image, 0x214u);
}

TEST(StatusBar, ShowsTheScreensPortAndBaudAsTheyAre) {
    App a;
    EXPECT_EQ(a.Frame().PortPane()->text(), "Serial  Port: Com1, Baurdrate: 28800");  // the defaults
    a.Programs().screen().comIndex = 2;
    a.Programs().screen().baudIndex = 8;
    a.Frame().Channel().send(IMC_PORT_SETTINGS_CHANGED, 0);  // what the card search sends when it found the card
    EXPECT_EQ(a.Frame().PortPane()->text(), "Serial  Port: Com3, Baurdrate: 115200");
}

TEST(SmallCard, ALongProgramIsNotReportedAsAPlainSuccess) {
    App a;
    a.TypeProgram(QString(40, QChar('x')));
    a.TypeProgram("second");
    FakeCardScript script;
    script.info = MakeInfoReply(0, 0, 3);
    CardOnPort card(script);
    a.Programs().screen().cardType = 0;
    a.Programs().screen().comIndex = 0;
    a.Programs().screen().baudIndex = 8;
    CommandAction(a.Frame().MainToolBar(), ID_CARD_SEND)->trigger();
    const std::u16string cut = u"This card keeps only the first 14 characters of the first program: "
                               u"26 characters and 1 other programs were left out.";
    EXPECT_EQ(a.shown.Last(), u"Send program successfully\n" + cut);
    // A file for this card holds no more: the save says so too.
    a.shown.texts.clear();
    ChooseNextFile(QString::fromStdString(a.env.Path("small")));
    CommandAction(a.Frame().MainToolBar(), ID_FILE_SAVE)->trigger();
    EXPECT_EQ(a.shown.Last(), cut);
}

}  // namespace
