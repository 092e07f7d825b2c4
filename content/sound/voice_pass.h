#pragma once
// The encoder's voice pass of a USB-disk build: every voice program's speech is
// rendered (kipvoice), cut into pieces, framed by the program's prefix and suffix
// sounds from "zu_soundfix" and written as "<drive>/ZIZodo/Sound/%03d.ssf"; with the
// in-image flag the sound files also follow the image behind a "pde" block. Hand
// MakeVoicePass's result to BuildProgramImage through EncodeHooks::voicePass.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "content/imc_codes.h"
#include "content/card/program_encoder.h"
#include "content/sound/sound_clip.h"

namespace ledsuite {

// The drive of a USB-disk build with voice.
struct DriveRecord {
    std::string root;        // the drive's folder (its mount point)
    uint16_t fileCount = 0;  // programs whose sound the pass handled (counted up by it)
    bool inImage = false;    // the sound files also go into the buffer behind the image
    size_t placedEnd = 0;    // set by the pass: where what it placed behind the image ends (0: nothing placed)
    // Set by the pass: the prefix and suffix sounds that were chosen but could not be read
    // (their paths, each once); the sounds were built without them.
    std::vector<std::string> unreadSounds{};
};

// At most this many characters go to the speech engine at once.
constexpr size_t kSpeechPieceChars = 512;
// The sound index of a program without a sound.
constexpr uint16_t kNoSoundIndex = 0xFFFF;

// Speaks `text` (at most kSpeechPieceChars characters of it) with voice `voice` at
// `rate` into WAV bytes; empty when nothing was produced.
std::vector<uint8_t> SpeakToWavBytes(std::u16string_view text, int voice, int rate);

// A program's text cut for speech: at punctuation (ListPunctuationBreaks) when
// `atPunctuation`, else one piece per laid-out page; pieces longer than
// kSpeechPieceChars are cut again, empty ones dropped.
std::vector<std::u16string> SpeechPieces(const ProgramRecord& program, bool atPunctuation);
// Whether the program's speech is cut at punctuation: no secondary action and a main
// effect that moves continuously (30, 31) or moves (1 to 4) without pause.
bool SplitsAtPunctuation(const ProgramRecord& program);

// The speech engine's voice index of a program kind byte (2 + the index).
int SpeechVoice(uint8_t kind);
// Whether an image of `length` bytes leaves room up to `limit` for the sound block and the
// index words of `programs` voice programs.
bool VoiceBlockFits(size_t limit, size_t length, size_t programs);

// The voice pass over `drive` (its fileCount is counted up as programs are done).
VoicePass MakeVoicePass(DriveRecord& drive);

// The progress record that IMC_BUILD_PROGRESS carries (by pointer) to the sound-build
// dialog: voice programs, programs done, fraction of the current one, the text shown
// and the receiver's own value.
struct BuildProgressReport {
    uint32_t programs = 0;
    uint32_t done = 0;
    float fraction = 0;
    const char16_t* text = kVoiceProgressText();
    intptr_t extra = 0;
};
// Progress sent synchronously on `channel` as IMC_BUILD_PROGRESS.
EncodeProgressFn ProgressToChannel(InternalChannel& channel, intptr_t extra = 0);

}  // namespace ledsuite
