#include "content/card/program_file.h"

#include <algorithm>

#include "content/model/paths.h"
#include "content/card/program_encoder.h"
#include "content/card/program_loader.h"
#include "content/card/screen_header.h"

namespace ledsuite {

std::vector<uint8_t> BuildProgramFile(const HardwareParams& hw, std::span<const uint8_t> image) {
    std::vector<uint8_t> file(kProgramFileHeaderSize + image.size());
    BuildProgramHeader(hw, std::span(file).first(kProgramFileHeaderSize));
    std::copy(image.begin(), image.end(), file.begin() + kProgramFileHeaderSize);
    return file;
}

int SaveProgramFile(const std::string& path, const HardwareParams& hw, std::span<const uint8_t> image) {
    const std::vector<uint8_t> file = BuildProgramFile(hw, image);
    return WriteFileAtomic(path, file.data(), file.size()) ? 0 : kProgramFileNotWritten;
}

int SaveProgramFile(const std::string& path, const ProgramTree& tree) {
    std::vector<uint8_t> file(kProgramFileHeaderSize + kImageLimit, 0xFF);
    BuildProgramHeader(tree.screen(), std::span(file).first(kProgramFileHeaderSize));
    uint32_t position = 0;
    const int32_t length = BuildProgramImage(file.data() + kProgramFileHeaderSize, &position, tree, kImageLimit);
    if (length < 0) return length;
    return WriteFileAtomic(path, file.data(), kProgramFileHeaderSize + size_t(length)) ? 0 : kProgramFileNotWritten;
}

void LoadProgramFile(ProgramTree& tree, std::span<const uint8_t> file) {
    LoadScreenHeader(tree, file.first(std::min(file.size(), kProgramFileHeaderSize)));
    if (file.size() >= kProgramFileMinImageFile) LoadProgramImage(tree, file.subspan(kProgramFileHeaderSize));
}

int OpenProgramFile(const std::string& path, ProgramTree& tree) {
    std::vector<uint8_t> file;
    switch (ReadFileBytes(path, kMaxProgramFileSize, file)) {
        case ReadFileResult::Failed: return -1;
        case ReadFileResult::TooLarge: return -2;
        case ReadFileResult::Ok: break;
    }
    LoadProgramFile(tree, file);
    return 0;
}

}  // namespace ledsuite
