#pragma once
// The sound build behind its progress dialog: the two bars of the progress the program
// encoder reports while it compiles speech, and the conversion of music files into
// numbered card sound files, one after another, stopping at the first that fails.
#include <atomic>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "content/sound/voice_pass.h"

namespace ledsuite {

// The two bars of an IMC_BUILD_PROGRESS report: steps done x 100 / total (0 while there
// is no step), fraction x 100 (held to 0..100).
int OverallPercent(const BuildProgressReport& p);
int CurrentPercent(const BuildProgressReport& p);

enum class MusicBuildStatus { Saved, ListsDiffer, SourceMissing, NotSound, TooLong, WriteFailed, Stopped };

struct MusicBuildResult {
    MusicBuildStatus status = MusicBuildStatus::Saved;
    std::string path;      // the file the build stopped at
    std::u16string error;  // the sound writer's own text for WriteFailed
    size_t written = 0;    // target files written
};

struct MusicBuildCallbacks {
    std::function<void(const std::u16string&)> show;  // the text of the step
    std::function<void(int)> overall;                 // 0..100 after each file
    std::function<void(int)> current;                 // 0..100 while a file is written
    const std::atomic<bool>* stop = nullptr;          // set: the build ends before the next file
};

// Converts sources[i] into targets[i] for every i (WAV or MP3 in; 16-bit mono at no more
// than 22,050 Hz out, as the card plays it). Lists of unequal length convert nothing.
// Stops at the first failure; files written stay. Music whose file would be larger than
// the slot list and the card read back (kMaxMusicSsfBytes) is refused (TooLong), not cut.
MusicBuildResult BuildMusicFiles(const std::vector<std::string>& sources, const std::vector<std::string>& targets,
                                 const MusicBuildCallbacks& callbacks);
// The message that ends a build ("保存成功" / "Save" when all were written).
std::u16string MusicBuildMessage(const MusicBuildResult& result);

}  // namespace ledsuite
