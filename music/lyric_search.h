#pragma once
// Lyric search and download over plain HTTP: the search request built from artist and
// title, its answer parsed into matches, the download of one match with its check value,
// and the store of downloaded lyrics as UTF-16LE files.
#include <array>
#include <atomic>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace ledsuite {

struct LyricMatch {
    std::u16string id;
    std::u16string artist;
    std::u16string title;
    bool operator==(const LyricMatch&) const = default;
};

// How a request is made: the server (host or host:port) and its limits.
struct HttpOptions {
    long connectTimeoutMs = 5000;
    long totalTimeoutMs = 15000;
    size_t maxBodyBytes = size_t(1) << 20;     // a longer answer counts as a failure
    const std::atomic<bool>* stop = nullptr;   // set: the transfer is aborted
};

// The two servers the "Server" choice picks between; an empty host finds nothing.
struct LyricServerConfig {
    std::array<std::string, 2> hosts;
    int choice = 0;
    HttpOptions http;
    const std::string& host() const { return hosts[choice == 1 ? 1 : 0]; }
};

// A choice among the matches of a search, as the user made it: the list and the server
// it was made from (the user may search again or switch server before choosing), and the
// row chosen (-1 none). The download goes to that server for that row.
struct LyricChoice {
    std::vector<LyricMatch> matches;
    LyricServerConfig server;
    int chosen = -1;
    const LyricMatch* Chosen() const {
        return chosen >= 0 && size_t(chosen) < matches.size() ? &matches[size_t(chosen)] : nullptr;
    }
};

// The text's UTF-16LE bytes in memory order as upper-case hex ("xyz" -> "780079007A00").
std::u16string HexEncodeUtf16(std::u16string_view text);
// The request's check value as signed decimal text, from artist + title and the lyric id.
std::u16string LyricRequestCode(std::u16string_view artist, std::u16string_view title, int32_t id);
// The same value as a number (32-bit arithmetic with wrap-around).
uint32_t LyricCheckValue(std::string_view utf8, uint32_t id);

// The body of a GET as text (UTF-8 to UTF-16), sent with the agent name "Microsoft
// Internet Explorer"; empty on any failure, a status other than 2xx, a time-out, a stop
// or a body past the cap. Only http and https URLs are fetched; redirects to them are
// followed, up to five.
std::u16string HttpGetText(const std::string& url, const HttpOptions& options = {});

// The text of an answer's body: its bytes taken as UTF-8.
std::u16string LyricBodyText(std::string_view body);
// A downloaded lyric as it is stored: FF FE and the text in UTF-16LE.
std::vector<uint8_t> LyricFileBytes(std::u16string_view text);

// Artist and title as the search sends them: lower-cased, blanks and commas removed.
std::u16string NormalizeSearchText(std::u16string_view text);
// "/dll/lyricsvr.dll?sh?Artist=%s&Title=%s&Flags=0" with the two encodings.
std::string SearchRequestPath(std::u16string_view artist, std::u16string_view title);
// "/dll/lyricsvr.dll?dl?Id=%s&Code=%s"; none when the id is not a decimal number.
std::optional<std::string> DownloadRequestPath(const LyricMatch& match);

// Parses the "<lrc id=...></lrc>" elements of a search answer into `matches` (replaced);
// stops at the first element that lacks a part. The number of matches.
int ParseLyricList(std::u16string_view answer, std::vector<LyricMatch>& matches);
// Searches on the configured server; the matches replace the previous ones. Their number.
int SearchLyrics(const LyricServerConfig& server, std::u16string_view artist, std::u16string_view title,
                 std::vector<LyricMatch>& matches);
// The LRC text of one match; empty when the id is not a number or the download failed.
std::u16string DownloadLyric(const LyricServerConfig& server, const LyricMatch& match);

// Where lyric files are looked up: "zu_lyric" among the resources, then the user's own
// "zu_lyric" (where downloads go). The path of `stem`.lrc; when neither folder has that
// name, of the first file named so but for letter case (resources first); or none.
std::optional<std::string> FindLyricFile(const std::string& stem);
std::string DownloadedLyricPath(const std::string& stem);
// Writes the text as UTF-16LE with FF FE (through a temporary file); false when the
// text is empty or the write failed.
bool SaveLyricFile(const std::string& path, std::u16string_view text);

}  // namespace ledsuite
