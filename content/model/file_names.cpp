#include "content/model/file_names.h"

#include <algorithm>
#include <filesystem>

#include "content/model/text_codec.h"

namespace ledsuite {

namespace fs = std::filesystem;

std::u16string FileNameText(std::string_view bytes) {
    std::u16string text = Utf8ToWide(bytes);
    // Bytes that are not UTF-8 do not come back the same way; Latin-1 takes every byte.
    if (WideToUtf8(text) != bytes) text = U16FromAscii(bytes);
    return text;
}

std::vector<FolderFile> FilesIn(const std::string& folder) {
    std::vector<FolderFile> files;
    std::error_code ec;
    for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
        std::error_code typeError;
        if (!it->is_regular_file(typeError)) continue;
        files.push_back({it->path().string(), FileNameText(it->path().filename().string())});
    }
    std::sort(files.begin(), files.end(), [](const FolderFile& a, const FolderFile& b) { return a.path < b.path; });
    return files;
}

std::optional<std::string> FindFileNamed(const std::string& folder, std::u16string_view name) {
    static constexpr std::u16string_view kNoPart(u"/\\\0", 3);  // separators, and a NUL that would end the path
    if (name.empty() || name.find_first_of(kNoPart) != std::u16string_view::npos) return std::nullopt;
    const std::string exact = folder + "/" + WideToUtf8(name);
    std::error_code ec;
    if (fs::is_regular_file(exact, ec)) return exact;
    for (FolderFile& file : FilesIn(folder))
        if (file.name == name) return std::move(file.path);
    return std::nullopt;
}

}  // namespace ledsuite
