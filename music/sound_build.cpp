#include "music/sound_build.h"

#include <algorithm>
#include <cmath>
#include <filesystem>

#include "content/model/lang.h"
#include "content/model/text_codec.h"
#include "content/sound/sound_clip.h"
#include "content/sound/ssf_file.h"

namespace ledsuite {

namespace {

// Each of these is followed by the file's path, except the one on the lists.
const LangText kFileMissing{{u"文件不存在: ", u"文件不存在: ", u"The file does not exist: "}};
const LangText kLoadingMusic{{u"载入音乐文件: ", u"載入音樂文件: ", u"Loading the music file: "}};
const LangText kNotWavOrMp3{{u"不是WAV,也不是MP3文件: ", u"不是WAV,也不是MP3文件: ", u"Neither a WAV nor an MP3 file: "}};
const LangText kSavingMusic{{u"保存音乐文件: ", u"保存音樂文件: ", u"Saving the music file: "}};
const LangText kWriteFailed{{u"保存失败: ", u"保存失敗: ", u"Saving failed: "}};
const LangText kListsDiffer{{u"源文件与目标文件数目不同", u"源文件與目標文件數目不同",
                             u"The numbers of source and target files differ"}};
const LangText kSaved{{u"保存成功", u"保存成功", u"Save"}};
const LangText kTooLong{{u"音乐文件太长, 控制卡无法播放: ", u"音樂檔案太長, 控制卡無法播放: ",
                         u"The music file is too long for the card: "}};

constexpr int kMusicSsfMode = 0;  // samples behind the two headers, no mark table

std::u16string WithPath(std::u16string_view text, const std::string& path) {
    return std::u16string(text) + Utf8ToWide(path);
}

// The result of one file (the caller counts what was written).
MusicBuildResult Failed(MusicBuildStatus status, const std::string& path, std::u16string error = {}) {
    MusicBuildResult r;
    r.status = status;
    r.path = path;
    r.error = std::move(error);
    return r;
}

MusicBuildResult BuildOne(const std::string& source, const std::string& target, const MusicBuildCallbacks& cb) {
    auto show = [&](const std::u16string& text) { if (cb.show) cb.show(text); };
    std::error_code ec;
    if (!std::filesystem::is_regular_file(source, ec)) return Failed(MusicBuildStatus::SourceMissing, source);
    show(WithPath(kLoadingMusic(), source));
    SoundClip clip;
    if (!LoadSoundFile({}, clip, source) || !PrepareClipForCard(clip)) return Failed(MusicBuildStatus::NotSound, source);
    if (!FitsMusicSsf(clip.data.size())) return Failed(MusicBuildStatus::TooLong, source);
    show(WithPath(kSavingMusic(), target));
    auto progress = [&](uint32_t total, uint32_t done) {
        if (cb.current && total) cb.current(int(uint64_t(done) * 100 / total));
    };
    // Titled by the music's own name, not the slot's number. For a file the writer answers
    // the capacity it was given (1) on success.
    const int64_t written = WriteSsfFile(progress, &clip, nullptr, target, 1, kMusicSsfMode, source);
    if (written != 1) return Failed(MusicBuildStatus::WriteFailed, target, u"(" + Utf8ToWide(std::to_string(written)) + u")");
    return Failed(MusicBuildStatus::Saved, target);
}

}  // namespace

int OverallPercent(const BuildProgressReport& p) {
    return p.programs == 0 ? 0 : int(std::min<uint64_t>(uint64_t(p.done) * 100 / p.programs, 100));
}

int CurrentPercent(const BuildProgressReport& p) {
    return std::isnan(p.fraction) ? 0 : int(std::clamp(p.fraction, 0.0f, 1.0f) * 100);
}

MusicBuildResult BuildMusicFiles(const std::vector<std::string>& sources, const std::vector<std::string>& targets,
                                 const MusicBuildCallbacks& cb) {
    if (sources.size() != targets.size()) return Failed(MusicBuildStatus::ListsDiffer, {});
    const size_t n = sources.size();
    for (size_t i = 0; i < n; ++i) {
        if (cb.stop && *cb.stop) return {MusicBuildStatus::Stopped, sources[i], {}, i};
        MusicBuildResult one = BuildOne(sources[i], targets[i], cb);
        if (one.status != MusicBuildStatus::Saved) {
            one.written = i;  // the files before this one
            return one;
        }
        if (cb.overall) cb.overall(int((i + 1) * 100 / n));
    }
    return {MusicBuildStatus::Saved, {}, {}, n};
}

std::u16string MusicBuildMessage(const MusicBuildResult& r) {
    switch (r.status) {
        case MusicBuildStatus::Saved: return kSaved();
        case MusicBuildStatus::ListsDiffer: return kListsDiffer();
        case MusicBuildStatus::SourceMissing: return WithPath(kFileMissing(), r.path);
        case MusicBuildStatus::NotSound: return WithPath(kNotWavOrMp3(), r.path);
        case MusicBuildStatus::TooLong: return WithPath(kTooLong(), r.path);
        case MusicBuildStatus::WriteFailed: return WithPath(kWriteFailed(), r.path) + r.error;
        case MusicBuildStatus::Stopped: return {};
    }
    return {};
}

}  // namespace ledsuite
