#include "link/ui/dlg_udisk.h"

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTimeEdit>

#include "content/card/program_encoder.h"
#include "content/card/program_file.h"
#include "content/card/program_image.h"
#include "content/bytes.h"
#include "content/model/lang.h"
#include "content/model/paths.h"
#include "content/model/text_codec.h"
#include "link/udisk_export.h"
#include "link_ui_test_util.h"
#include "tests/qt_main/qt_test_util.h"

using namespace ledsuite;
using namespace ledsuite::testing;

namespace {

std::string Lcs(const fs::path& dir, const std::string& name, size_t size) {
    std::vector<uint8_t> b(size, 0x44);
    StoreU32(b.data(), 512);
    StoreU32(b.data() + 512, 10);
    const std::string path = (dir / name).string();
    WriteFileAtomic(path, b.data(), b.size());
    return path;
}

struct Dialog {
    Messages shown;
    RecordingChannel channel;
    ProgramTree tree;
    DlgUDisk dlg{&tree, &channel};
    explicit Dialog(uint8_t subtype = 0, uint8_t type = 0) {
        tree.screen().cardType = type;
        tree.screen().cardSubtype = subtype;
        dlg.SetMessageSink(shown.Sink());
        dlg.show();
    }
};

}  // namespace

TEST(DlgUDisk, MultiFilesWrittenAndChainedDeclineLeavesTheDisk) {
    SetUiLanguage(3);
    RemovableRoot disk;
    TempDir src;
    Dialog d;
    ASSERT_EQ(d.dlg.Drives()->count(), 1);
    EXPECT_EQ(d.dlg.Drives()->itemText(0), QString::fromStdString(disk.root() + "/"));
    const std::string third = UDiskProgramPath(disk.root(), "4k", 2);
    d.dlg.MultiFilesBox()->setChecked(true);
    EXPECT_FALSE(d.dlg.SaveButton()->isEnabled());  // no file listed yet
    for (const char* n : {"a.lcs", "b.lcs", "c.lcs"}) d.dlg.AddFile(QString::fromStdString(Lcs(src.path, n, 600)));
    EXPECT_TRUE(d.dlg.SaveButton()->isEnabled());
    d.dlg.SaveButton()->click();
    EXPECT_EQ(d.shown.texts, std::vector<std::u16string>{u"Save to usb disk successfully"});
    EXPECT_TRUE(fs::exists(third));  // the chain itself: the export tests
    // Now one file, but the user declines the deletion: nothing changes, nothing is said.
    d.dlg.FileList()->selectAll();
    d.dlg.OnDeleteFiles();
    EXPECT_EQ(d.dlg.FileList()->count(), 0);
    d.dlg.AddFile(QString::fromStdString(Lcs(src.path, "d.lcs", 700)));
    d.shown.answer = IDNO;
    d.dlg.SaveButton()->click();
    EXPECT_EQ(d.shown.texts, (std::vector<std::u16string>{u"Save to usb disk successfully",
                                                          u"Delete the existing programs file?"}));
    EXPECT_TRUE(fs::exists(third));
    // A bad source: refused before the question, the old files stay.
    d.dlg.AddFile(QString::fromStdString(Lcs(src.path, "bad.lcs", 521)));
    d.shown.answer = IDYES;
    d.dlg.SaveButton()->click();
    EXPECT_EQ(d.shown.texts.back(), u"Invalid program file.\r\n" + Utf8ToWide((src.path / "bad.lcs").string()));
    EXPECT_EQ(d.shown.types.back() & 0xF0, uint32_t(MB_ICONHAND));
    EXPECT_TRUE(fs::exists(third));
}

TEST(DlgUDisk, SingleModeHandsThePathsOverAndShowsWhatTheSaveGave) {
    RemovableRoot disk;
    for (const uint8_t subtype : {0, 2, 3, 4, 5}) {
        Dialog d(subtype, 3);
        EXPECT_EQ(d.dlg.SoundDeviceCombo()->isEnabled(), subtype == 3);
        d.dlg.CardNumberCombo()->setCurrentIndex(7);
        if (subtype == 3) d.dlg.SoundDeviceCombo()->setCurrentIndex(kSoundOnUDisk);
        std::string path;
        UDiskSaveRequest flags;
        d.channel.onSend = [&](int code, intptr_t arg) -> intptr_t {
            if (code == IMC_FILE_SAVE) {
                path = reinterpret_cast<const char*>(arg);
                return 0;
            }
            flags = *reinterpret_cast<const UDiskSaveRequest*>(arg);
            path = flags.programPath;
            return subtype == 4 ? -20 : 0;  // the page could not write it
        };
        d.dlg.SaveButton()->click();
        ASSERT_EQ(d.channel.sent.size(), 1u);
        EXPECT_EQ(d.channel.sent[0].first, subtype >= 2 && subtype <= 4 ? IMC_FILE_SAVE_TO : IMC_FILE_SAVE);
        EXPECT_EQ(path, disk.root() + "/ZIZodo/40k007.lcs");
        if (subtype >= 2 && subtype <= 4) {
            EXPECT_EQ(flags.soundPath, disk.root() + "/ZIZodo/zusound.ssf");
            EXPECT_EQ(flags.root, disk.root());
            // "UDisk" keeps the sounds out of the program file; the other modes put them in.
            EXPECT_EQ(flags.soundDevice, subtype == 3 ? kSoundOnUDisk : kSoundOnBoardFlash);
            EXPECT_EQ(flags.SoundsInImage(), subtype != 3);
            EXPECT_EQ(flags.compile, subtype != 3);
        }
        EXPECT_EQ(d.shown.texts[0], (subtype == 4 ? u"Save to usb disk failed" : u"Save to usb disk successfully") +
                                        std::u16string(u"\r\n") + Utf8ToWide(path));
    }
    // A failure the page explained itself (the encoder's message, a file it could not
    // write) gets no second box.
    for (const int answer : {kEncodeNoSet, kEncodeTooLarge, kProgramFileNotWritten}) {
        Dialog d(2, 3);
        d.channel.onSend = [&](int, intptr_t) { return answer; };
        d.dlg.SaveButton()->click();
        EXPECT_TRUE(d.shown.texts.empty()) << answer;
    }
    Dialog unknown(0, 6);  // a card type without a model prefix
    unknown.dlg.SaveButton()->click();
    EXPECT_EQ(std::pair(unknown.channel.sent.size(), unknown.shown.texts.size()), std::pair(size_t(0), size_t(1)));
}

TEST(DlgUDisk, SyncTimeWritesThePickersCardTime) {
    RemovableRoot disk;
    Dialog d;
    d.dlg.DatePicker()->setDate(QDate(2023, 12, 31));  // a Sunday
    d.dlg.TimePicker()->setTime(QTime(23, 59, 58));
    d.dlg.OnSyncTime();
    std::vector<uint8_t> b;
    ASSERT_EQ(ReadFileBytes(UDiskSyncTimePath(disk.root()), 64, b), ReadFileResult::Ok);
    EXPECT_EQ(b, (std::vector<uint8_t>{0x58, 0x59, 0x23, 0x31, 0x12, 0x00, 0x23, 0x00}));
    EXPECT_EQ(d.shown.texts, std::vector<std::u16string>{u"Save syn time file successfully "});
}

TEST(DlgUDisk, NoDriveNoSave) {
    TempDir scratch;
    setenv("LEDSUITE_REMOVABLE_ROOTS", (scratch.path / "missing").c_str(), 1);
    Dialog d;
    unsetenv("LEDSUITE_REMOVABLE_ROOTS");
    EXPECT_EQ(d.dlg.Drives()->count(), 0);
    EXPECT_FALSE(d.dlg.SaveButton()->isEnabled());
    d.dlg.OnSave();
    d.dlg.OnSyncTime();
    EXPECT_TRUE(d.shown.texts.empty());
}
