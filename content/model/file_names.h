#pragma once
// File names as the suite shows and finds them. A name on disk is a string of bytes, and
// names made on other systems (copied from Windows, unpacked from archives) are often not
// UTF-8; such a name is still listed, shown and opened.
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace ledsuite {

// The text of a name: its bytes read as UTF-8 when they are UTF-8, else each byte as the
// Latin-1 character of its value, so that every name shows as text that leads back to it.
std::u16string FileNameText(std::string_view bytes);

// A file of a folder: its path and the text of its name.
struct FolderFile {
    std::string path;
    std::u16string name;
};
// The files of `folder` (links to files included, folders not), in byte order of their
// names. Empty for a missing folder.
std::vector<FolderFile> FilesIn(const std::string& folder);

// The file of `folder` whose name reads as `name`: the one named by the name's UTF-8 bytes
// when it exists, else the first of FilesIn whose text is `name`. None for an empty name, for one
// with a separator, which would reach outside the folder, and for one with a NUL.
std::optional<std::string> FindFileNamed(const std::string& folder, std::u16string_view name);

}  // namespace ledsuite
