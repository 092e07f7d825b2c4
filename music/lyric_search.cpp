#include "music/lyric_search.h"

#include <curl/curl.h>
#include <glib.h>

#include <algorithm>
#include <mutex>

#include "content/bytes.h"
#include "content/model/file_names.h"
#include "content/model/paths.h"
#include "content/model/text_codec.h"

namespace ledsuite {

namespace {

constexpr size_t kMaxCodeTextBytes = 10239;  // of artist + title in UTF-8
constexpr char kAgentName[] = "Microsoft Internet Explorer";
constexpr long kMaxRedirects = 5;  // a server that moved answers with a redirect or two; more is a loop

struct BodySink {
    explicit BodySink(size_t capBytes) : cap(capBytes) {}
    std::string body;
    size_t cap;
};

size_t WriteBody(char* data, size_t size, size_t count, void* user) {
    auto* sink = static_cast<BodySink*>(user);
    const size_t n = size * count;
    if (sink->body.size() + n > sink->cap) return CURL_WRITEFUNC_ERROR;  // the transfer fails
    sink->body.append(data, n);
    return n;
}

int StopCheck(void* user, curl_off_t, curl_off_t, curl_off_t, curl_off_t) {
    auto* stop = static_cast<const std::atomic<bool>*>(user);
    return stop && stop->load() ? 1 : 0;
}

void InitCurlOnce() {
    static std::once_flag once;
    std::call_once(once, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
}

void AppendUtf16(std::u16string& out, char32_t c) {
    if (c < 0x10000) {
        out.push_back(char16_t(c));
        return;
    }
    c -= 0x10000;
    out.push_back(char16_t(0xD800 + (c >> 10)));
    out.push_back(char16_t(0xDC00 + (c & 0x3FF)));
}

bool IsBlankOrComma(char32_t c) { return c == u' ' || c == u'\t' || c == u',' || c == 0x3000; }

// Every script's capitals made small, one character for one (the simple case mapping),
// leaving out the characters `drop` names.
template <class Drop>
std::u16string LowerCased(std::u16string_view text, Drop drop) {
    std::u16string out;
    for (size_t i = 0; i < text.size();) {
        const char32_t c = NextCodePoint(text, i);
        if (!drop(c)) AppendUtf16(out, char32_t(g_unichar_tolower(gunichar(c))));
    }
    return out;
}

std::u16string LowerCased(std::u16string_view text) {
    return LowerCased(text, [](char32_t) { return false; });
}

// The value after `marker` and its opening quote, up to the next quote, within `element`.
std::optional<std::u16string> QuotedValue(std::u16string_view element, std::u16string_view marker) {
    size_t at = element.find(marker);
    if (at == std::u16string_view::npos) return std::nullopt;
    // What follows the marker (the marker lies inside the element, so this is in range).
    std::u16string_view rest = element.substr(at + marker.size());
    if (!rest.starts_with(u'"')) return std::nullopt;
    size_t close = rest.find(u'"', 1);
    if (close == std::u16string_view::npos) return std::nullopt;
    return std::u16string(rest.substr(1, close - 1));
}

std::optional<int32_t> DecimalId(std::u16string_view id) {
    if (id.empty()) return std::nullopt;
    int64_t v = 0;
    for (char16_t c : id) {
        if (c < u'0' || c > u'9') return std::nullopt;
        v = v * 10 + (c - u'0');
        if (v > INT32_MAX) return std::nullopt;  // checked on every digit, so v never grows further
    }
    return int32_t(v);
}

std::string ServerUrl(const LyricServerConfig& server, const std::string& path) {
    return "http://" + server.host() + path;
}

}  // namespace

std::u16string HexEncodeUtf16(std::u16string_view text) {
    static constexpr char16_t kHex[] = u"0123456789ABCDEF";
    std::u16string out;
    for (char16_t c : text) {
        for (uint8_t b : {uint8_t(c & 0xFF), uint8_t(c >> 8)}) {
            out.push_back(kHex[b >> 4]);
            out.push_back(kHex[b & 15]);
        }
    }
    return out;
}

uint32_t LyricCheckValue(std::string_view utf8, uint32_t id) {
    utf8 = utf8.substr(0, kMaxCodeTextBytes);
    const size_t n = utf8.size();
    // Each byte counts as a signed value; adding it to an unsigned word wraps the same way.
    auto b = [&](size_t i) { return uint32_t(int32_t(static_cast<signed char>(utf8[i]))); };
    const uint32_t t1 = (id >> 8) & 0xFF;
    const uint32_t t2 = (id & 0x00FF0000) ? (id >> 16) & 0xFF : ~t1 & 0xFF;
    const uint32_t t3 = (id & 0xFF000000) ? id >> 24 : ~id & 0xFF;
    const uint32_t k = (id & 0xFF) << 24 | t2 << 16 | t1 << 8 | t3;
    uint32_t s1 = 0;
    for (size_t i = n; i-- > 0;) s1 = s1 + (s1 << (4 + (i & 1))) + b(i);
    uint32_t s2 = 0;
    for (size_t i = 0; i < n; ++i) s2 = (s2 << (3 + (i & 1))) + b(i) + s2;
    const uint32_t a = k ^ s1;
    const uint32_t bb = (s2 | id) + a;
    const uint32_t m = (k | s2) * bb;
    return (s1 ^ id) * m;
}

std::u16string LyricRequestCode(std::u16string_view artist, std::u16string_view title, int32_t id) {
    std::u16string text = std::u16string(artist) + std::u16string(title);
    return U16FromAscii(std::to_string(int32_t(LyricCheckValue(WideToUtf8(text), uint32_t(id)))));
}

std::u16string HttpGetText(const std::string& url, const HttpOptions& options) {
    InitCurlOnce();
    CURL* curl = curl_easy_init();
    if (!curl) return {};
    BodySink sink(options.maxBodyBytes);
    curl_easy_setopt(curl, CURLOPT_URL, url.c_str());
    curl_easy_setopt(curl, CURLOPT_PROTOCOLS_STR, "http,https");
    // A server that moved sends the request on; the answer at the end of the redirects counts.
    curl_easy_setopt(curl, CURLOPT_FOLLOWLOCATION, 1L);
    curl_easy_setopt(curl, CURLOPT_MAXREDIRS, kMaxRedirects);
    curl_easy_setopt(curl, CURLOPT_REDIR_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(curl, CURLOPT_USERAGENT, kAgentName);
    curl_easy_setopt(curl, CURLOPT_CONNECTTIMEOUT_MS, options.connectTimeoutMs);
    curl_easy_setopt(curl, CURLOPT_TIMEOUT_MS, options.totalTimeoutMs);
    curl_easy_setopt(curl, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(curl, CURLOPT_WRITEFUNCTION, WriteBody);
    curl_easy_setopt(curl, CURLOPT_WRITEDATA, &sink);
    curl_easy_setopt(curl, CURLOPT_XFERINFOFUNCTION, StopCheck);
    curl_easy_setopt(curl, CURLOPT_XFERINFODATA, const_cast<std::atomic<bool>*>(options.stop));
    curl_easy_setopt(curl, CURLOPT_NOPROGRESS, 0L);
    const CURLcode rc = curl_easy_perform(curl);
    long status = 0;
    curl_easy_getinfo(curl, CURLINFO_RESPONSE_CODE, &status);
    curl_easy_cleanup(curl);
    if (rc != CURLE_OK || status < 200 || status > 299) return {};
    return LyricBodyText(sink.body);
}

std::u16string LyricBodyText(std::string_view body) { return Utf8ToWide(body); }

std::vector<uint8_t> LyricFileBytes(std::u16string_view text) {
    ByteWriter w;
    w.put_u8(0xFF);
    w.put_u8(0xFE);
    for (char16_t c : text) w.put_u16(uint16_t(c));
    return w.take();
}

std::u16string NormalizeSearchText(std::u16string_view text) { return LowerCased(text, IsBlankOrComma); }

std::string SearchRequestPath(std::u16string_view artist, std::u16string_view title) {
    return "/dll/lyricsvr.dll?sh?Artist=" + WideToUtf8(HexEncodeUtf16(NormalizeSearchText(artist))) +
           "&Title=" + WideToUtf8(HexEncodeUtf16(NormalizeSearchText(title))) + "&Flags=0";
}

std::optional<std::string> DownloadRequestPath(const LyricMatch& match) {
    auto id = DecimalId(match.id);
    if (!id) return std::nullopt;
    return "/dll/lyricsvr.dll?dl?Id=" + std::to_string(*id) +
           "&Code=" + WideToUtf8(LyricRequestCode(match.artist, match.title, *id));
}

int ParseLyricList(std::u16string_view answer, std::vector<LyricMatch>& matches) {
    static constexpr std::u16string_view kOpen = u"<lrc id=", kEnd = u"></lrc>";
    matches.clear();
    size_t pos = 0;
    for (;;) {
        size_t start = answer.find(kOpen, pos);
        if (start == std::u16string_view::npos) break;
        size_t end = answer.find(kEnd, start + kOpen.size());
        if (end == std::u16string_view::npos) break;
        std::u16string_view element = answer.substr(start, end - start);
        auto id = QuotedValue(element, kOpen);
        auto artist = QuotedValue(element, u"artist=");
        auto title = QuotedValue(element, u"title=");
        if (!id || !artist || !title) break;
        matches.push_back({*id, *artist, *title});
        pos = end;  // the end marker cannot hold the start of the next element
    }
    return int(matches.size());
}

int SearchLyrics(const LyricServerConfig& server, std::u16string_view artist, std::u16string_view title,
                 std::vector<LyricMatch>& matches) {
    matches.clear();
    if (server.host().empty()) return 0;
    return ParseLyricList(HttpGetText(ServerUrl(server, SearchRequestPath(artist, title)), server.http), matches);
}

std::u16string DownloadLyric(const LyricServerConfig& server, const LyricMatch& match) {
    auto path = DownloadRequestPath(match);
    if (!path || server.host().empty()) return {};
    return HttpGetText(ServerUrl(server, *path), server.http);
}

std::optional<std::string> FindLyricFile(const std::string& stem) {
    const std::u16string name = Utf8ToWide(stem) + u".lrc";
    const std::array<std::string, 2> folders = {ResourcePath("zu_lyric"), UserDataPath("zu_lyric")};
    for (const std::string& folder : folders)
        if (auto path = FindFileNamed(folder, name)) return path;
    // Lyric files often come from Windows, whose names ignore letter case: "Song.mp3" has "song.LRC".
    const std::u16string folded = LowerCased(name);
    for (const std::string& folder : folders)
        for (FolderFile& file : FilesIn(folder))
            if (LowerCased(file.name) == folded) return std::move(file.path);
    return std::nullopt;
}

std::string DownloadedLyricPath(const std::string& stem) { return UserDataPath("zu_lyric") + "/" + stem + ".lrc"; }

bool SaveLyricFile(const std::string& path, std::u16string_view text) {
    if (text.empty()) return false;
    const std::vector<uint8_t> bytes = LyricFileBytes(text);
    return WriteFileAtomic(path, bytes.data(), bytes.size());
}

}  // namespace ledsuite
