#include "content/sound/voice_pass.h"

#include <algorithm>
#include <filesystem>
#include <iterator>

#include "content/render/font_renderer.h"
#include "content/render/font_tables.h"
#include "content/sound/kipvoice/kipvoice.h"
#include "content/render/plain_text.h"
#include "content/render/render_context.h"
#include "content/sound/ssf_file.h"
#include "content/model/text_codec.h"

namespace ledsuite {

namespace {

namespace fs = std::filesystem;

constexpr uint8_t kKindMusic = 1;
constexpr uint8_t kKindFirstVoice = 2;
constexpr uint8_t kKindLyric = 0xFF;

// Cuts a text into parts of at most kSpeechPieceChars units, never inside a surrogate pair.
void AddPiece(std::vector<std::u16string>& out, std::u16string_view text) {
    while (!text.empty()) {
        size_t n = std::min(text.size(), kSpeechPieceChars);
        if (n < text.size() && text[n - 1] >= 0xD800 && text[n - 1] < 0xDC00) --n;
        const std::u16string_view part = text.substr(0, n);
        if (part.find_first_not_of(u" \t\r\n") != std::u16string_view::npos) out.emplace_back(part);
        text.remove_prefix(n);
    }
}

// One piece per page of the laid-out text (pages are area-high bands of the layout).
std::vector<std::u16string> PagePieces(const ProgramRecord& program) {
    FontRenderer fonts;
    const FontTables faces = MakeFaceLists<FontTables>();
    RenderContext rc(fonts, faces);
    const TextView text(program.content);
    CardLayout layout;
    std::vector<std::u16string> out;
    LayoutCardText(rc, text, program.mainAction.effect, program.width(), program.height(), false, layout);
    const int64_t pageHeight = std::max<int64_t>(program.height(), 1);
    for (size_t begin = 0; begin != layout.lines.size();) {
        const int64_t page = layout.placements[begin].y / pageHeight;
        size_t end = begin + 1;
        while (end != layout.lines.size() && layout.placements[end].y / pageHeight == page) ++end;
        const int first = layout.lines[begin].first, last = layout.lines[end - 1].last;
        AddPiece(out, PlainTextOf(TextView(text.header, text.cells.subspan(size_t(first), size_t(last - first + 1)))));
        begin = end;
    }
    return out;
}

// A prefix or suffix sound of "zu_soundfix" as a 16-bit mono clip; empty when unset or
// unreadable. A sound that is set but cannot be read (missing, or no sound the suite reads)
// has its path added to `unread`, once, for the caller's message.
SoundClip FixedSound(const std::array<char16_t, 128>& name, std::vector<std::string>& unread) {
    SoundClip clip;
    const std::u16string n(name.data(), std::find(name.begin(), name.end(), u'\0'));
    if (n.empty()) return clip;
    const std::string path = SoundFixPath(n);
    if (!path.empty() && LoadSoundFile({}, clip, path)) MakeMono16(clip);
    if (!clip.data.empty() && IsMono16(clip)) return clip;
    ResetSoundClip(clip);
    const std::string shown = path.empty() ? WideToUtf8(n) : path;
    if (std::find(unread.begin(), unread.end(), shown) == unread.end()) unread.push_back(shown);
    return clip;
}

// The clip at `rateCode` (a copy; an empty clip stays empty).
SoundClip AtRate(SoundClip clip, uint8_t rateCode) {
    if (!clip.data.empty() && RateCodeOf(clip.format) != rateCode) ResampleClip(rateCode, clip);
    return clip;
}

void Frame(SoundClip& clip, const SoundClip& prefix, const SoundClip& suffix) {
    const uint8_t rate = RateCodeOf(clip.format);
    SoundClip before = AtRate(prefix, rate), after = AtRate(suffix, rate);
    if (!before.data.empty()) AppendClip(clip, before, true);
    if (!after.data.empty()) AppendClip(clip, after, false);
}

// The program's sound: the pieces spoken and joined (with marks when cut by pages),
// framed by the fixed sounds. Reports progress after each piece.
SoundClip BuildSpeech(const ProgramRecord& program, const std::function<void(float)>& report, int& mode,
                      std::vector<std::string>& unread) {
    const bool punctuation = SplitsAtPunctuation(program);
    mode = punctuation ? 1 : 2;
    const int voice = SpeechVoice(program.content.header.kind);
    const std::vector<std::u16string> pieces = SpeechPieces(program, punctuation);
    std::vector<SoundClip> clips;
    for (size_t i = 0; i < pieces.size(); ++i) {
        const std::vector<uint8_t> wav = SpeakToWavBytes(pieces[i], voice, program.rate);
        SoundClip clip;
        if (!wav.empty() && ParseWaveMemory(clip, wav.data(), wav.size()) && PrepareClipForCard(clip))
            clips.push_back(std::move(clip));
        report(float(i + 1) / float(pieces.size()));
    }
    const SoundClip prefix = FixedSound(program.prefixSound, unread), suffix = FixedSound(program.suffixSound, unread);
    SoundClip joined;
    if (clips.empty()) return joined;
    if (!punctuation)
        for (SoundClip& c : clips) Frame(c, prefix, suffix);
    if (!JoinClipList(joined, clips, !punctuation)) return SoundClip{};
    if (punctuation) Frame(joined, prefix, suffix);
    return joined;
}

// One run of the pass: the image, its limit and what is placed behind it.
class VoiceRun {
public:
    VoiceRun(DriveRecord& drive, ProgramImage& image, size_t length, size_t programs)
        : drive_(drive), image_(image), length_(length), programs_(programs) {}

    void Run(std::span<const VoiceProgram> programs, const EncodeProgressFn& progress);

private:
    bool PlaceInImage(const SoundClip& clip, int mode);
    void WriteFile(const SoundClip& clip, int mode, size_t index);

    DriveRecord& drive_;
    ProgramImage& image_;
    size_t length_;
    size_t programs_;
    bool inImage_{};  // set when the run starts
};

void VoiceRun::Run(std::span<const VoiceProgram> programs, const EncodeProgressFn& progress) {
    inImage_ = drive_.inImage && VoiceBlockFits(image_.writer().limit(), length_, programs_) &&
               WriteVoiceBlockHead(image_);
    if (inImage_) drive_.placedEnd = image_.writer().size();
    auto report = [&](size_t v, float fraction) {
        if (progress) progress({uint32_t(programs_), uint32_t(v), fraction});
    };
    for (size_t v = 0; v < programs.size(); ++v) {
        const ProgramRecord& program = *programs[v].program;
        const uint8_t kind = program.content.header.kind;
        StoreSoundIndex(image_, programs[v].soundPlace, uint16_t(v), kind);
        report(v, 0);
        ++drive_.fileCount;
        if (kind == kKindLyric || kind < kKindMusic) continue;
        if (kind == kKindMusic) {
            const std::u16string path(program.musicPath.data(),
                                      std::find(program.musicPath.begin(), program.musicPath.end(), u'\0'));
            std::error_code ec;
            if (path.empty() || !fs::exists(WideToUtf8(path), ec))
                StoreSoundIndex(image_, programs[v].soundPlace, kNoSoundIndex, kind);
            continue;
        }
        int mode{};  // set by the speech: 1 at punctuation, 2 by pages
        const SoundClip clip = BuildSpeech(program, [&](float f) { report(v, f); }, mode, drive_.unreadSounds);
        if (clip.data.empty()) {  // nothing to say: no file, and the card is told so
            StoreSoundIndex(image_, programs[v].soundPlace, kNoSoundIndex, kind);
            continue;
        }
        if (inImage_) inImage_ = PlaceInImage(clip, mode);
        WriteFile(clip, mode, v);
    }
}

// The sound file behind what is already placed; false when the room runs out.
bool VoiceRun::PlaceInImage(const SoundClip& clip, int mode) {
    ByteWriter& w = image_.writer();
    std::vector<uint8_t> bytes(w.remaining());  // up to the limit, less what is placed (none: refused)
    const int64_t left = WriteSsfFile({}, &clip, bytes.data(), "", bytes.size(), mode);
    if (left < 0 || !w.put_bytes(bytes.data(), bytes.size() - size_t(left))) return false;
    drive_.placedEnd = w.size();  // the file writes everything placed so far
    return true;
}

// A file that cannot be written leaves the card without that sound; the image is complete.
void VoiceRun::WriteFile(const SoundClip& clip, int mode, size_t index) {
    const fs::path folder = fs::path(drive_.root) / "ZIZodo" / "Sound";
    std::error_code ec;
    fs::create_directories(folder, ec);
    const std::string number = std::to_string(index);
    const std::string name = std::string(std::max<size_t>(number.size(), 3) - number.size(), '0') + number + ".ssf";
    WriteSsfFile({}, &clip, nullptr, (folder / name).string(), size_t{}, mode);
}

}  // namespace

std::vector<uint8_t> SpeakToWavBytes(std::u16string_view text, int voice, int rate) {
    const std::u16string copy(text.substr(0, kSpeechPieceChars));  // terminated for the facade
    uint8_t* buffer = nullptr;
    // The facade stores a buffer exactly when it answers a count (none for no text).
    const int size = kipvoice_towavstream(copy.c_str(), voice, rate, &buffer);
    std::vector<uint8_t> out(buffer, buffer + std::max(size, 0));
    kipvoice_delete(buffer);
    return out;
}

int SpeechVoice(uint8_t kind) { return kind - kKindFirstVoice; }

bool VoiceBlockFits(size_t limit, size_t length, size_t programs) {
    // The block and one index word per program behind the image.
    return limit >= length + kVoiceBlockSize + 4 * programs;
}

bool SplitsAtPunctuation(const ProgramRecord& program) {
    if (program.secondaryAction.effect != kEffectNone) return false;
    const uint8_t e = program.mainAction.effect;
    if (e == kEffectMoveLeftContinue || e == kEffectMoveRightContinue) return true;
    return e >= kEffectMoveLeft && e <= kEffectMoveDown && program.mainAction.pause == 0;
}

std::vector<std::u16string> SpeechPieces(const ProgramRecord& program, bool atPunctuation) {
    if (!atPunctuation) return PagePieces(program);
    const std::u16string text = PlainTextOf(TextView(program.content));
    std::vector<int> breaks = ListPunctuationBreaks(text);
    breaks.push_back(int(text.size()));
    std::vector<std::u16string> out;
    for (auto at = breaks.begin(); std::next(at) != breaks.end(); ++at)
        AddPiece(out, std::u16string_view(text).substr(size_t(at[0]), size_t(at[1] - at[0])));
    return out;
}

VoicePass MakeVoicePass(DriveRecord& drive) {
    return [&drive](ProgramImage& image, size_t length, std::span<const VoiceProgram> programs,
                    const EncodeProgressFn& progress) {
        VoiceRun(drive, image, length, programs.size()).Run(programs, progress);
    };
}

EncodeProgressFn ProgressToChannel(InternalChannel& channel, intptr_t extra) {
    return [&channel, extra](const EncodeProgress& p) {
        BuildProgressReport report{p.programs, p.done, p.fraction, kVoiceProgressText(), extra};
        channel.send(IMC_BUILD_PROGRESS, reinterpret_cast<intptr_t>(&report));
    };
}

}  // namespace ledsuite
