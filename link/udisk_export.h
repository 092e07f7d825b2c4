#pragma once
// The USB-disk export: the folder "ZIZodo" on a removable drive with its numbered
// program files "<prefix><nnn>.lcs" chained so the card plays them in turn, the sound
// file "zusound.ssf" and the clock file "syntime.dat". Files on the disk are written
// through a temporary name, a rename, and an fsync of file and folder, because users
// pull the stick out as soon as they see the message.
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "link/card.h"

namespace ledsuite {

inline constexpr char kUDiskFolder[] = "ZIZodo";
inline constexpr size_t kMaxUDiskPrograms = 256;
inline constexpr size_t kLcsMinSize = 522;
inline constexpr size_t kLcsMaxSize = 102400;
inline constexpr size_t kLcsHeaderSize = 512;
inline constexpr size_t kLcsNextIndexAt = 16;

// The model prefix of a card type: 0 "4k" .. 5 "128k"; nothing for another type.
std::optional<std::string> ModelPrefix(uint8_t cardType);
// The number with at least three digits ("007", "255").
std::string ThreeDigits(int number);
// "<root>/ZIZodo".
std::string UDiskFolderPath(const std::string& root);
// "<root>/ZIZodo/<prefix><nnn>.lcs".
std::string UDiskProgramPath(const std::string& root, const std::string& prefix, int number);
std::string UDiskSoundPath(const std::string& root);     // "<root>/ZIZodo/zusound.ssf"
std::string UDiskSyncTimePath(const std::string& root);  // "<root>/ZIZodo/syntime.dat"

// Writes the bytes through a temporary file in the same folder, renames it into place and
// syncs the file and the folder. False on any failure (nothing half-written stays).
bool WriteFileDurable(const std::string& path, const void* data, size_t size);
// Syncs the folder that holds `path` (a rename in it reaches the disk). False on failure.
bool SyncParentFolder(const std::string& path);

// The internal code of the single-file save: IMC_FILE_SAVE_TO for the asynchronous
// voice subtypes 2, 3 and 4, else IMC_FILE_SAVE.
int UDiskSaveCode(uint8_t cardSubtype);
// True for a page's answer to that save that the page has already explained in a message
// of its own (an encoder failure, a file it could not write): the dialog adds none.
bool UDiskSaveAlreadyReported(intptr_t answer);

// The choices of the "Save Sound Device" combo.
enum UDiskSoundDevice : uint8_t { kSoundOnBoardFlash = 0, kSoundOnUDisk = 1 };

// What the single-screen page gets with IMC_FILE_SAVE_TO: the two files to write, the
// drive whose "ZIZodo/Sound" folder receives the speech files, and the two flags of the
// build. `compile` set: the sounds are compiled into the program file too, and the build
// gets the large buffer; clear: the smaller one. `soundDevice` kSoundOnBoardFlash: the
// card copies the sounds behind the image into its flash; kSoundOnUDisk: it plays them
// from the disk's files only.
struct UDiskSaveRequest {
    std::string programPath;
    std::string soundPath;
    std::string root;
    bool compile = true;
    uint8_t soundDevice = kSoundOnBoardFlash;
    bool SoundsInImage() const { return compile && soundDevice == kSoundOnBoardFlash; }
};

enum class UDiskError {
    None,
    NoPrefix,        // the card type has no model prefix
    FolderFailed,    // the folder could not be made
    SourceMissing,   // "The program file doesn't exist."
    SourceUnreadable,// "Failed to open the programs file."
    SourceInvalid,   // "Invalid program file."
    TooManyFiles,    // more than 256 listed
    DeleteFailed,    // "Failed to delete the existing program file."
    WriteFailed,     // "Failed to save the programs file." (and what was written could not all be removed)
    WriteFailedRemoved,  // a write failed; the files this export wrote were removed again
    NoRoom,          // the new files do not fit even without the old ones: nothing changed
    Declined,        // the user kept the old files: nothing written, no message
};

struct UDiskResult {
    UDiskError error = UDiskError::None;
    std::string path;   // the file the export stopped at
    size_t written = 0; // program files written (and left on the disk)
};

// Checks an .lcs file's bytes: 522..102,400 long, header length at most 512, and at
// least 512 plus the image length.
bool IsValidLcs(const std::vector<uint8_t>& bytes);
// Reads and checks every source. The first failure, or the files in order.
UDiskResult ReadLcsSources(const std::vector<std::string>& sources, std::vector<std::vector<uint8_t>>& files);
// Sets each file's next-file index: i + 1, and 0 for the last (it points back to the first).
void ChainLcsFiles(std::vector<std::vector<uint8_t>>& files);
// The numbered program files of that prefix present in the folder.
std::vector<std::string> ExistingPrograms(const std::string& root, const std::string& prefix);

// True when `sizes` fit in blocks of `blockSize` bytes, one block to spare, into the free
// blocks and the 512-byte sectors the old files free.
bool ProgramsFit(uint64_t freeBlocks, uint64_t blockSize, uint64_t freedSectors, const std::vector<size_t>& sizes);
// True when the folder's file system takes `files` once the `old` files are deleted.
bool ExportFits(const std::string& folder, const std::vector<std::vector<uint8_t>>& files,
                const std::vector<std::string>& old);

// The multi-file export: every source read and checked into memory first; the room
// checked (NoRoom: nothing touched); then, when program files exist, `confirmDelete` is
// asked once (false: nothing touched) and they are deleted; then the chain is written
// as numbers 000, 001, ... A write that fails removes the files written before it, so
// that no chain points to a missing file (WriteFailedRemoved).
UDiskResult ExportProgramFiles(const std::string& root, uint8_t cardType, const std::vector<std::string>& sources,
                               const std::function<bool()>& confirmDelete);

// Writes "syntime.dat" (the folder made when missing). False when it could not be written.
bool WriteSyncTimeFile(const std::string& root, const CardTime& time);

// The localized messages.
std::u16string UDiskErrorText(UDiskError error);
std::u16string UDiskSavedText();        // "Save to usb disk successfully"
std::u16string UDiskSaveFailedText();   // "Save to usb disk failed"
std::u16string UDiskDeleteQuestion();   // "Delete the existing programs file?"
std::u16string UDiskCaption();          // "Save programs to usb disk"
std::u16string SyncTimeText(bool ok);   // "Save syn time file successfully " / "Save sync time file failed "
// "%s\r\n%s": the text and the path when there is one.
std::u16string WithPath(const std::u16string& text, const std::string& path);

}  // namespace ledsuite
