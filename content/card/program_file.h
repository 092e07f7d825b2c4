#pragma once
// The ".lcs" program file: a 512-byte header area holding the screen header (the rest
// 0xFF), followed by the program image whose first word is its length L; 512 + L bytes.
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "content/model/program_tree.h"

namespace ledsuite {

constexpr size_t kProgramFileHeaderSize = 0x200;
// The image is loaded from files of at least this many bytes.
constexpr size_t kProgramFileMinImageFile = kProgramFileHeaderSize + 20;
// Larger files are not read (a program image has at most 0xFFFFF bytes).
constexpr size_t kMaxProgramFileSize = size_t(16) << 20;
// The file could not be written (an existing file is left as it was).
constexpr int kProgramFileNotWritten = -10;

// The file's bytes for a screen and its encoded image.
std::vector<uint8_t> BuildProgramFile(const HardwareParams& hw, std::span<const uint8_t> image);
// Writes BuildProgramFile's bytes through a temporary file and a rename. 0, or
// kProgramFileNotWritten.
int SaveProgramFile(const std::string& path, const HardwareParams& hw, std::span<const uint8_t> image);
// Encodes the tree (BuildProgramImage, at most 0xFFFFF bytes) and saves it with its
// screen's header. 0; the encoder's negative result, nothing written; or
// kProgramFileNotWritten.
int SaveProgramFile(const std::string& path, const ProgramTree& tree);

// Reads a file's bytes into the tree: the header area into the screen record, then, from
// 532 bytes on, the image behind the header area as new program sets (LoadProgramImage).
void LoadProgramFile(ProgramTree& tree, std::span<const uint8_t> file);
// Reads the file and loads it. 0, -1 when it cannot be read, -2 when it is larger than
// any program file.
int OpenProgramFile(const std::string& path, ProgramTree& tree);

}  // namespace ledsuite
