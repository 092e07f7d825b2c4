#include "link/udisk_export.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>

#include "content/bytes.h"
#include "content/card/program_encoder.h"
#include "content/card/program_file.h"
#include "content/card/program_image.h"
#include "content/imc_codes.h"
#include "content/model/lang.h"
#include "content/model/paths.h"
#include "content/model/text_codec.h"

namespace ledsuite {

namespace fs = std::filesystem;

namespace {

const LangText kSaved{{u"保存到U盘成功", u"保存到U盤成功", u"Save to usb disk successfully"}};
const LangText kSaveFailed{{u"保存到U盘失败", u"保存到U盤失敗", u"Save to usb disk failed"}};
const LangText kDeleteQuestion{{u"删除已有的节目文件?", u"刪除已有的節目檔案?", u"Delete the existing programs file?"}};
const LangText kCaption{{u"保存节目到U盘", u"保存節目到U盤", u"Save programs to usb disk"}};
const LangText kSyncSaved{{u"保存校时文件成功 ", u"保存校時檔案成功 ", u"Save syn time file successfully "}};
const LangText kSyncFailed{{u"保存校时文件失败 ", u"保存校時檔案失敗 ", u"Save sync time file failed "}};
const LangText kMissing{{u"节目文件不存在.", u"節目檔案不存在.", u"The program file doesn't exist."}};
const LangText kUnreadable{{u"打开节目文件失败.", u"打開節目檔案失敗.", u"Failed to open the programs file."}};
const LangText kInvalid{{u"无效的节目文件.", u"無效的節目檔案.", u"Invalid program file."}};
const LangText kDeleteFailed{
    {u"删除已有的节目文件失败.", u"刪除已有的節目檔案失敗.", u"Failed to delete the existing program file."}};
const LangText kWriteFailed{{u"保存节目文件失败.", u"保存節目檔案失敗.", u"Failed to save the programs file."}};
const LangText kWriteFailedRemoved{{u"保存节目文件失败. 本次写入的节目文件已删除.", u"保存節目檔案失敗. 本次寫入的節目檔案已刪除.",
                                    u"Failed to save the programs file. The program files this export wrote were removed."}};
const LangText kNoRoom{{u"U盘空间不足, 未做任何更改.", u"U盤空間不足, 未做任何更改.",
                        u"Not enough room on the usb disk; nothing was changed."}};
const LangText kTooMany{{u"节目文件不能超过256个.", u"節目檔案不能超過256個.", u"No more than 256 program files."}};
const LangText kUnknownCard{{u"不支持的控制卡类型.", u"不支援的控制卡類型.", u"Unsupported card type."}};

// A failure of the export: nothing written is left behind it.
UDiskResult Failure(UDiskError error, std::string path = {}) {
    UDiskResult r;
    r.error = error;
    r.path = std::move(path);
    return r;
}

// Bytes a file of `size` takes on a file system of `block`-byte blocks.
uint64_t BlocksOf(uint64_t size, uint64_t block) { return (size + block - 1) / block * block; }

}  // namespace

std::optional<std::string> ModelPrefix(uint8_t cardType) {
    static constexpr const char* kPrefixes[] = {"4k", "8k", "20k", "40k", "64k", "128k"};
    if (cardType >= std::size(kPrefixes)) return std::nullopt;
    return kPrefixes[cardType];
}

std::string UDiskFolderPath(const std::string& root) {
    return (root.ends_with('/') ? root : root + "/") + kUDiskFolder;
}

std::string ThreeDigits(int number) {
    const std::string digits = std::to_string(number);
    return std::string(std::max<size_t>(digits.size(), 3) - digits.size(), '0') + digits;
}

std::string UDiskProgramPath(const std::string& root, const std::string& prefix, int number) {
    return UDiskFolderPath(root) + "/" + prefix + ThreeDigits(number) + ".lcs";
}

std::string UDiskSoundPath(const std::string& root) { return UDiskFolderPath(root) + "/zusound.ssf"; }
std::string UDiskSyncTimePath(const std::string& root) { return UDiskFolderPath(root) + "/syntime.dat"; }

bool WriteFileDurable(const std::string& path, const void* data, size_t size) {
    if (!WriteFileAtomic(path, data, size)) return false;  // the file itself is synced before the rename
    return SyncParentFolder(path);
}

bool SyncParentFolder(const std::string& path) {
    const std::string folder = fs::path(path).parent_path().string();
    // A folder that does not open gives -1, which fsync and close refuse.
    const int fd = ::open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    const bool ok = ::fsync(fd) == 0;
    ::close(fd);
    return ok;
}

bool UDiskSaveAlreadyReported(intptr_t answer) {
    return answer == kProgramFileNotWritten || (answer >= kEncodeTooLarge && answer <= kEncodeNoSet);
}

int UDiskSaveCode(uint8_t cardSubtype) {
    return cardSubtype >= 2 && cardSubtype <= 4 ? IMC_FILE_SAVE_TO : IMC_FILE_SAVE;
}

bool IsValidLcs(const std::vector<uint8_t>& bytes) {
    if (bytes.size() < kLcsMinSize || bytes.size() > kLcsMaxSize) return false;
    if (LoadU32(bytes.data()) > kLcsHeaderSize) return false;
    return uint64_t(bytes.size()) >= uint64_t(kLcsHeaderSize) + LoadU32(bytes.data() + kLcsHeaderSize);
}

UDiskResult ReadLcsSources(const std::vector<std::string>& sources, std::vector<std::vector<uint8_t>>& files) {
    files.clear();
    if (sources.size() > kMaxUDiskPrograms) return Failure(UDiskError::TooManyFiles);
    for (const std::string& path : sources) {
        std::error_code ec;
        if (!fs::exists(path, ec)) return Failure(UDiskError::SourceMissing, path);
        std::vector<uint8_t> bytes;
        const ReadFileResult r = ReadFileBytes(path, kLcsMaxSize, bytes);
        if (r == ReadFileResult::Failed) return Failure(UDiskError::SourceUnreadable, path);
        if (r == ReadFileResult::TooLarge || !IsValidLcs(bytes)) return Failure(UDiskError::SourceInvalid, path);
        files.push_back(std::move(bytes));
    }
    return {};
}

void ChainLcsFiles(std::vector<std::vector<uint8_t>>& files) {
    for (size_t i = 0; i < files.size(); ++i)
        StoreU16(files[i].data() + kLcsNextIndexAt, uint16_t(i + 1 < files.size() ? i + 1 : 0));
}

std::vector<std::string> ExistingPrograms(const std::string& root, const std::string& prefix) {
    std::vector<std::string> found;
    for (int n = 0; n < int(kMaxUDiskPrograms); ++n) {
        std::error_code ec;
        std::string path = UDiskProgramPath(root, prefix, n);
        if (fs::exists(path, ec)) found.push_back(std::move(path));
    }
    return found;
}

bool ProgramsFit(uint64_t freeBlocks, uint64_t blockSize, uint64_t freedSectors, const std::vector<size_t>& sizes) {
    if (blockSize == 0) return false;
    // One block to spare for the folder's entries.
    uint64_t needed = blockSize;
    for (size_t size : sizes) needed += BlocksOf(size, blockSize);
    return needed <= freeBlocks * blockSize + freedSectors * 512;
}

bool ExportFits(const std::string& folder, const std::vector<std::vector<uint8_t>>& files,
                const std::vector<std::string>& old) {
    struct statvfs fsInfo {};
    if (::statvfs(folder.c_str(), &fsInfo) != 0) return false;
    uint64_t freedSectors = 0;  // what deleting the old files gives back
    for (const std::string& path : old) {
        struct stat st {};
        if (::stat(path.c_str(), &st) == 0) freedSectors += uint64_t(st.st_blocks);
    }
    std::vector<size_t> sizes;
    for (const auto& f : files) sizes.push_back(f.size());
    return ProgramsFit(fsInfo.f_bavail, fsInfo.f_frsize, freedSectors, sizes);
}

namespace {

// Removes the first `count` program files of this export (`failed` the one that could not be
// written, in the same folder); true when all are gone.
bool RemoveWritten(const std::string& root, const std::string& prefix, size_t count, const std::string& failed) {
    size_t removed = 0;
    for (size_t i = 0; i < count; ++i) removed += ::unlink(UDiskProgramPath(root, prefix, int(i)).c_str()) == 0;
    SyncParentFolder(failed);  // so that the removal reaches the disk before the message
    return removed == count;
}

}  // namespace

UDiskResult ExportProgramFiles(const std::string& root, uint8_t cardType, const std::vector<std::string>& sources,
                               const std::function<bool()>& confirmDelete) {
    const auto prefix = ModelPrefix(cardType);
    if (!prefix) return Failure(UDiskError::NoPrefix);
    // Everything is read and checked before anything on the disk changes.
    std::vector<std::vector<uint8_t>> files;
    if (UDiskResult r = ReadLcsSources(sources, files); r.error != UDiskError::None) return r;
    ChainLcsFiles(files);

    const std::string folder = UDiskFolderPath(root);
    if (!MakeFolderPath(folder)) return Failure(UDiskError::FolderFailed, folder);
    const std::vector<std::string> old = ExistingPrograms(root, *prefix);
    // A chain that cannot fit leaves the old programs where they are.
    if (!ExportFits(folder, files, old)) return Failure(UDiskError::NoRoom, folder);
    if (!old.empty() && !(confirmDelete && confirmDelete())) return Failure(UDiskError::Declined);
    for (const std::string& path : old)
        if (::unlink(path.c_str()) != 0) return Failure(UDiskError::DeleteFailed, path);

    UDiskResult result;
    for (size_t i = 0; i < files.size(); ++i) {
        const std::string path = UDiskProgramPath(root, *prefix, int(i));
        if (!WriteFileDurable(path, files[i].data(), files[i].size())) {
            // A chain that points to a missing file is worse than none: what this export wrote goes.
            const bool removed = RemoveWritten(root, *prefix, i, path);
            return {removed ? UDiskError::WriteFailedRemoved : UDiskError::WriteFailed, path, removed ? 0 : i};
        }
        result.written = i + 1;
    }
    return result;
}

bool WriteSyncTimeFile(const std::string& root, const CardTime& time) {
    if (!MakeFolderPath(UDiskFolderPath(root))) return false;
    return WriteFileDurable(UDiskSyncTimePath(root), time.bytes.data(), time.bytes.size());
}

std::u16string UDiskErrorText(UDiskError error) {
    switch (error) {
        case UDiskError::None: return kSaved();
        case UDiskError::NoPrefix: return kUnknownCard();
        case UDiskError::FolderFailed: return kSaveFailed();
        case UDiskError::SourceMissing: return kMissing();
        case UDiskError::SourceUnreadable: return kUnreadable();
        case UDiskError::SourceInvalid: return kInvalid();
        case UDiskError::TooManyFiles: return kTooMany();
        case UDiskError::DeleteFailed: return kDeleteFailed();
        case UDiskError::WriteFailed: return kWriteFailed();
        case UDiskError::WriteFailedRemoved: return kWriteFailedRemoved();
        case UDiskError::NoRoom: return kNoRoom();
        case UDiskError::Declined: return {};
    }
    return {};
}

std::u16string UDiskSavedText() { return kSaved(); }
std::u16string UDiskSaveFailedText() { return kSaveFailed(); }
std::u16string UDiskDeleteQuestion() { return kDeleteQuestion(); }
std::u16string UDiskCaption() { return kCaption(); }
std::u16string SyncTimeText(bool ok) { return ok ? kSyncSaved() : kSyncFailed(); }

std::u16string WithPath(const std::u16string& text, const std::string& path) {
    return path.empty() ? text : text + u"\r\n" + Utf8ToWide(path);
}

}  // namespace ledsuite
