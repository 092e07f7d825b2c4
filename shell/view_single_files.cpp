// CViewSingle's files: ".lcs" save and open, Excel import.
#include <algorithm>
#include <cctype>
#include <filesystem>
#include <vector>

#include <QFileDialog>
#include <QFileInfo>
#include <QLineEdit>
#include <QMessageBox>

#include "content/model/excel_import.h"
#include "content/render/font_tables.h"
#include "content/model/paths.h"
#include "content/card/bitmap_image.h"
#include "content/card/program_encoder.h"
#include "content/card/program_file.h"
#include "content/card/program_file_check.h"
#include "content/card/program_image.h"
#include "content/card/screen_header.h"
#include "content/sound/voice_pass.h"
#include "content/model/text_codec.h"
#include "link/link_text.h"
#include "link/udisk_export.h"
#include "music/ui/dlg_build_music.h"
#include "shell/card_commands.h"
#include "shell/shell_texts.h"
#include "shell/view_single.h"
#include "toolkit/message_box.h"
#include "toolkit/qt_text.h"
#include "toolkit/view_tree.h"

namespace ledsuite {

namespace fs = std::filesystem;

namespace {

// The chooser of File > Open. The chooser's own default suffix would turn every name without
// a dot into a ".lcs" name, an existing file "noext" included; here the name is looked up
// first (ExistingOpenName) and the file found is what the chooser answers.
class OpenFileDialog : public QFileDialog {
public:
    explicit OpenFileDialog(QWidget* parent) : QFileDialog(parent) {
        setOption(QFileDialog::DontUseNativeDialog);
        setAcceptMode(QFileDialog::AcceptOpen);
        setFileMode(QFileDialog::AnyFile);  // any name may be typed; accept() checks it
        setNameFilters({QStringLiteral("LCS(*.lcs)"), QStringLiteral("Excel(*.xls)")});
    }
    const QString& Found() const { return found_; }

    void accept() override {
        const QString typed = selectedFiles().value(0);
        if (typed.isEmpty() || QFileInfo(typed).isDir()) return QFileDialog::accept();  // it opens the folder
        const std::string found = CViewSingle::ExistingOpenName(typed.toStdString());
        if (found.empty()) {  // the chooser stays open for another name
            QMessageBox::warning(this, windowTitle(),
                                 ToQString(FillText(kFileNotFound(), {typed.section(u'/', -1).toStdU16String()})));
            return;
        }
        found_ = QString::fromStdString(found);
        QFileDialog::accept();
    }

private:
    QString found_;
};

// The chooser of File > Save. It appends ".lcs" itself, before its own overwrite question, so
// that the question covers the name that will really be written. The chooser would look a
// typed name up in the working folder, not in the folder it shows, before appending the
// suffix: the name of a folder it shows would become a file beside that folder. A folder's
// name is gone into, as Open does.
class SaveFileDialog : public QFileDialog {
public:
    explicit SaveFileDialog(QWidget* parent) : QFileDialog(parent) {
        setOption(QFileDialog::DontUseNativeDialog);
        setAcceptMode(QFileDialog::AcceptSave);
        setFileMode(QFileDialog::AnyFile);
        setDefaultSuffix(QStringLiteral("lcs"));
        setNameFilters({QStringLiteral("LCS(*.lcs)")});
    }

    void accept() override {
        auto* edit = findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
        const QString typed = edit ? edit->text().trimmed() : QString();
        const QString folder = typed.isEmpty() ? QString() : directory().absoluteFilePath(typed);
        if (folder.isEmpty() || !QFileInfo(folder).isDir()) return QFileDialog::accept();
        setDirectory(folder);
        edit->clear();
    }
};

}  // namespace

std::string CViewSingle::ExistingOpenName(const std::string& chosen) {
    std::error_code ec;
    const auto isFile = [&ec](const std::string& path) {
        return fs::exists(path, ec) && !fs::is_directory(path, ec);
    };
    if (isFile(chosen)) return chosen;
    const bool dotless = fs::path(chosen).filename().string().find('.') == std::string::npos;
    if (dotless && isFile(chosen + ".lcs")) return chosen + ".lcs";
    return {};
}

QString CViewSingle::ChooseFile(bool save) {
    if (!save) {
        OpenFileDialog dialog(this);
        return dialog.exec() == QDialog::Accepted ? dialog.Found() : QString();
    }
    SaveFileDialog dialog(this);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return {};
    return dialog.selectedFiles().front();
}

namespace {

// The bytes of a program file: the screen's header, then the image.
std::vector<uint8_t> ProgramFileBytes(const HardwareParams& screen, std::span<const uint8_t> image) {
    std::vector<uint8_t> file(kProgramFileHeaderSize, 0xFF);
    BuildProgramHeader(screen, file);
    file.insert(file.end(), image.begin(), image.end());
    return file;
}

}  // namespace

std::vector<uint8_t> CViewSingle::FileBytes() const {
    const ProgramTree& tree = active_->Programs();
    std::vector<uint8_t> image(kImageLimit, 0xFF);
    uint32_t position = 0;
    const int32_t length = BuildProgramImage(image.data(), &position, tree, kImageLimit);
    std::vector<uint8_t> file = ProgramFileBytes(tree.screen(), std::span(image).first(size_t(std::max(length, 0))));
    if (length < 0) file.push_back(uint8_t(-length));  // a failed encode differs from every image
    return file;
}

void CViewSingle::MarkSaved(std::vector<uint8_t> fileBytes) {
    saved_ = std::move(fileBytes);
    modified_ = false;
}

bool CViewSingle::Modified() {
    if (channel_) channel_->send(IMC_COMMIT_PENDING_EDIT, 0);  // what is being typed counts
    return modified_ || FileBytes() != saved_;
}

bool CViewSingle::ConfirmDiscardChanges() {
    if (!Modified()) return true;
    const int answer = MessageBoxFx(this, kSaveChangesQuestion(), kAppTitle(), MB_YESNOCANCEL | MB_ICONQUESTION);
    if (answer == IDNO) return true;
    if (answer != IDYES) return false;
    // Save: the work may go only once it is in a file.
    const intptr_t saved = channel_ ? channel_->send(IMC_FILE_SAVE, 0) : SaveFile({});
    return saved == 0;
}

int CViewSingle::SaveFile(std::string path) {
    const ProgramTree& tree = active_->Programs();
    std::vector<uint8_t> image(kImageLimit, 0xFF);
    uint32_t position = 0;
    const int32_t length = BuildProgramImage(image.data(), &position, tree, kImageLimit);
    if (length < 0) {
        ShowMessage(FormatEncodeError(length, position));
        return length;
    }
    const bool chosenHere = path.empty();
    if (chosenHere) {
        const QString chosen = ChooseFile(true);
        if (chosen.isEmpty()) return kSaveCancelled;
        path = chosen.toStdString();
    }
    // Written to a temporary name and renamed: a failed save leaves an older file whole.
    const int result = SaveProgramFile(path, tree.screen(), std::span(image).first(size_t(length)));
    if (result != 0) ShowMessage(FillText(kFileNotWritten(), {Utf8ToWide(path)}));
    else if (chosenHere)  // the user's own file now holds the work
        MarkSaved(ProgramFileBytes(tree.screen(), std::span(image).first(size_t(length))));
    // The small card's compact image (card type 0) keeps only the start of the first program.
    if (result == 0 && tree.screen().cardType == 0) {
        const BitmapImageLoss loss = BitmapImageLeftOut(tree);
        if (loss.any()) ShowMessage(SmallCardLossText(loss));
    }
    return result;
}

namespace {

// The buffer of a USB-disk build, header area included: room for the sounds behind the
// image, or the smaller one when they are not compiled into the file.
constexpr size_t kSaveToCapacity = kMaxProgramFileSize;  // 0x1000000: exactly what Open accepts
constexpr size_t kSaveToSmallCapacity = 0x800200;

}  // namespace

int CViewSingle::SaveToDisk(const UDiskSaveRequest& request) {
    std::vector<uint8_t> file(request.compile ? kSaveToCapacity : kSaveToSmallCapacity, 0xFF);
    BuildProgramHeader(active_->Programs().screen(), std::span(file).first(kProgramFileHeaderSize));
    // The worker compiles its own copy: nothing it reads changes under it.
    const ProgramTree tree = active_->Programs();
    DriveRecord drive{request.root, 0, request.SoundsInImage(), 0, {}};
    uint32_t position = 0;
    const std::span<uint8_t> image = std::span(file).subspan(kProgramFileHeaderSize);
    // Declared last: its destructor waits for the worker before the buffers above go.
    DlgBuildMusic build(
        [&](InternalChannel& progress) {
            EncodeHooks hooks{MakeVoicePass(drive), ProgressToChannel(progress)};
            return BuildProgramImage(image.data(), &position, tree, image.size(), hooks);
        },
        this);
    if (build.exec() != QDialog::Accepted) return kSaveToNotBuilt;
    const int32_t length = build.SpeechResult();
    if (length < 0) {
        ShowMessage(FormatEncodeError(length, position));
        return length;
    }
    // The sounds the build placed behind the image belong to the file too.
    const size_t end = std::max(size_t(length), drive.placedEnd);
    if (!WriteFileDurable(request.programPath, file.data(), kProgramFileHeaderSize + end)) {
        ShowMessage(FillText(kFileNotWritten(), {Utf8ToWide(request.programPath)}));
        return kProgramFileNotWritten;
    }
    if (!drive.unreadSounds.empty()) {
        std::u16string paths;
        for (const std::string& path : drive.unreadSounds) paths += (paths.empty() ? u"" : u"\r\n") + Utf8ToWide(path);
        ShowMessage(FillText(kSoundNotRead(), {paths}));
    }
    return 0;
}

bool CViewSingle::IsExcelName(const std::string& path) {
    if (path.size() < 4) return false;
    std::string tail = path.substr(path.size() - 3);
    std::transform(tail.begin(), tail.end(), tail.begin(), [](unsigned char c) { return char(std::tolower(c)); });
    return tail == "xls";
}

void CViewSingle::OpenFile(std::string path) {
    if (path.empty()) {
        const QString chosen = ChooseFile(false);
        if (chosen.isEmpty()) return;
        path = chosen.toStdString();
    }
    if (IsExcelName(path)) ImportExcel(path);
    else OpenProgramFile(path);
}

void CViewSingle::OpenProgramFile(const std::string& path) {
    std::vector<uint8_t> file;
    const ReadFileResult read = ReadFileBytes(path, kMaxProgramFileSize, file);
    if (read == ReadFileResult::Failed) {
        ShowMessage(FillText(kFileNotRead(), {Utf8ToWide(path)}));
        return;
    }
    // Everything is checked before the tree is touched.
    const ProgramFileCheck check = read == ReadFileResult::TooLarge
                                       ? ProgramFileCheck{ProgramFileError::TooLarge}
                                       : CheckProgramFile(file);
    if (check.error != ProgramFileError::None) {
        ShowMessage(ProgramFileErrorText(check.error));
        return;
    }
    if (check.crcMismatch) ShowMessage(ProgramFileCrcWarning());
    // Opening adds no unsaved work of its own: a page with none before has none after,
    // unless the file carries sounds behind its image, which the tree does not hold and
    // a save would leave out.
    const bool unsavedBefore = Modified();
    const size_t imageEnd = kProgramFileHeaderSize + check.imageLength;
    const bool soundsLeftOut = check.hasImage && file.size() > imageEnd;
    if (check.hasImage) file.resize(imageEnd);
    LoadProgramFile(active_->Programs(), file);
    if (unsavedBefore || soundsLeftOut) modified_ = true;
    else MarkSaved(FileBytes());
    active_->Rebuild();
    active_->setCurrentItem(active_->ScreenItem());
}

void CViewSingle::ImportExcel(const std::string& path) {
    ExcelSheet sheet;
    if (ReadExcelSheet(path, kImportSheet, sheet) != ExcelReadResult::Ok) {
        ShowMessage(kCannotOpenDb(), kErrorCaption());
        return;
    }
    if (ImportProgramSets(active_->Programs(), sheet, DefaultFontIndex()) == 0) return;
    modified_ = true;
    active_->Rebuild();
    active_->setCurrentItem(active_->ScreenItem());
}

}  // namespace ledsuite
