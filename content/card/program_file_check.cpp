#include "content/card/program_file_check.h"

#include "content/bytes.h"
#include "content/model/crc16.h"
#include "content/model/lang.h"
#include "content/card/program_file.h"
#include "content/card/program_image.h"
#include "content/card/screen_header.h"

namespace ledsuite {

namespace {

constexpr size_t kHeaderEndMarkAt = 60;
constexpr size_t kMinImage = 16;  // the loader reads nothing shorter

const LangText kNotProgramFile{{u"不是有效的节目文件。", u"不是有效的節目檔案。", u"This is not a valid program file."}};
const LangText kFileTooLarge{{u"文件太大，不是节目文件。", u"檔案太大，不是節目檔案。",
                              u"The file is too large to be a program file."}};
const LangText kFileDamaged{{u"节目文件已损坏。", u"節目檔案已損壞。", u"The program file is damaged."}};
const LangText kCrcWarning{{u"节目文件的校验和不符，节目可能已损坏。", u"節目檔案的校驗和不符，節目可能已損壞。",
                            u"The program file's checksum does not match; its programs may be damaged."}};

// Bytes may follow the image: a USB-disk export with the sounds in the card's flash puts
// them behind it. The image itself must be whole.
ProgramFileError CheckImage(std::span<const uint8_t> image, bool& crcMismatch) {
    const uint32_t length = LoadU32(image.data());
    if (length < kMinImage || length > image.size() || length > kImageLimit) return ProgramFileError::ImageLength;
    if (LoadU16(image.data() + length - 4) != kImageEndMark) return ProgramFileError::ImageEndMark;
    crcMismatch = LoadU16(image.data() + length - 2) != Crc16Modbus(length - 2, image.data());
    return ProgramFileError::None;
}

}  // namespace

ProgramFileCheck CheckProgramFile(std::span<const uint8_t> file) {
    ProgramFileCheck check;
    if (file.size() < kScreenHeaderSize) {
        check.error = ProgramFileError::TooShort;
    } else if (file.size() > kMaxProgramFileSize) {
        // As large as the USB-disk build writes (header, image and the sounds behind it).
        check.error = ProgramFileError::TooLarge;
    } else if (LoadU32(file.data()) != kScreenHeaderSize) {
        check.error = ProgramFileError::HeaderLength;
    } else if (LoadU16(file.data() + kHeaderEndMarkAt) != kImageEndMark) {
        check.error = ProgramFileError::HeaderEndMark;
    } else if (file.size() >= kProgramFileMinImageFile) {
        check.hasImage = true;
        check.error = CheckImage(file.subspan(kProgramFileHeaderSize), check.crcMismatch);
        if (check.error == ProgramFileError::None) check.imageLength = LoadU32(file.data() + kProgramFileHeaderSize);
    }
    return check;
}

std::u16string ProgramFileErrorText(ProgramFileError error) {
    switch (error) {
        case ProgramFileError::None: return {};
        case ProgramFileError::TooLarge: return kFileTooLarge();
        case ProgramFileError::ImageLength:
        case ProgramFileError::ImageEndMark: return kFileDamaged();
        default: return kNotProgramFile();
    }
}

std::u16string ProgramFileCrcWarning() { return kCrcWarning(); }

}  // namespace ledsuite
