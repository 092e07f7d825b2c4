#pragma once
// Reads C++ sources as a reader of C++ does (comments, character and raw literals skipped,
// adjacent string literals joined) and finds the text table rows in them: every
// {text, text, text} of three string literals, Simplified, Traditional, English.
#include <algorithm>
#include <cctype>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>
#include <string>
#include <vector>

namespace ledsuite::testing {

struct Literal {
    std::string text;                  // the bytes between the quotes (escapes kept as written)
    std::vector<std::string> callers;  // the calls the literal is an argument of, innermost last
    int line;
    bool inRow = false;
};

struct Token {
    enum Kind { kOpenBrace, kCloseBrace, kComma, kLiteral, kOther } kind;
    size_t literal = 0;  // index into the literals for kLiteral
};

inline bool IsIdentChar(char c) { return std::isalnum(static_cast<unsigned char>(c)) || c == '_'; }

// The literals of one source with the calls around them, and its token stream.
class SourceReader {
public:
    explicit SourceReader(const std::string& source) : s_(source) { Read(); }
    std::vector<Literal> literals;
    std::vector<Token> tokens;

private:
    void Read() {
        std::vector<std::string> calls;  // one entry per open parenthesis: the callee, or ""
        std::string lastIdent;
        bool lastWasLiteral = false;
        while (i_ < s_.size()) {
            const char c = s_[i_];
            if (c == '\n') ++line_, atLineStart_ = true, ++i_;
            else if (std::isspace(static_cast<unsigned char>(c))) ++i_;
            else if (c == '#' && atLineStart_) SkipLine();  // includes and other directives
            else if (s_.compare(i_, 2, "//") == 0) SkipLine();
            else if (s_.compare(i_, 2, "/*") == 0) SkipBlockComment();
            else if (c == '\'') SkipQuoted('\''), lastIdent.clear(), lastWasLiteral = false, Push(Token::kOther);
            else if (c == '"' || StartsRawOrPrefixed()) {
                const bool raw = IsRaw();
                std::string text = raw ? ReadRaw() : ReadString();
                if (lastWasLiteral && !raw) {
                    literals.back().text += text;  // adjacent literals are one text
                } else if (!raw) {
                    literals.push_back({std::move(text), Callers(calls), line_});
                    tokens.push_back({Token::kLiteral, literals.size() - 1});
                }
                lastWasLiteral = !raw;
                lastIdent.clear();
                atLineStart_ = false;
                continue;
            } else if (IsIdentChar(c)) {
                const size_t start = i_;
                while (i_ < s_.size() && IsIdentChar(s_[i_])) ++i_;
                lastIdent = s_.substr(start, i_ - start);
                lastWasLiteral = false;
                Push(Token::kOther);
            } else {
                if (c == '(') calls.push_back(lastIdent);
                else if (c == ')' && !calls.empty()) calls.pop_back();
                Push(c == '{' ? Token::kOpenBrace : c == '}' ? Token::kCloseBrace : c == ',' ? Token::kComma
                                                                                            : Token::kOther);
                lastIdent.clear();
                lastWasLiteral = false;
                ++i_;
            }
            if (c != '\n' && !std::isspace(static_cast<unsigned char>(c))) atLineStart_ = false;
        }
    }
    static std::vector<std::string> Callers(const std::vector<std::string>& calls) {
        std::vector<std::string> out;
        for (const std::string& c : calls)
            if (!c.empty()) out.push_back(c);
        return out;
    }
    void Push(Token::Kind kind) {
        if (kind != Token::kOther || tokens.empty() || tokens.back().kind != Token::kOther) tokens.push_back({kind});
    }
    void SkipLine() {
        while (i_ < s_.size() && s_[i_] != '\n') {
            if (s_[i_] == '\\' && i_ + 1 < s_.size() && s_[i_ + 1] == '\n') ++line_, ++i_;  // continued directive
            ++i_;
        }
    }
    void SkipBlockComment() {
        const size_t end = s_.find("*/", i_ + 2);
        for (size_t k = i_; k < std::min(end, s_.size()); ++k) line_ += s_[k] == '\n';
        i_ = end == std::string::npos ? s_.size() : end + 2;
    }
    void SkipQuoted(char quote) {
        for (++i_; i_ < s_.size() && s_[i_] != quote; ++i_)
            if (s_[i_] == '\\') ++i_;
        ++i_;
    }
    // u8"", u"", U"", L"" and the raw forms; the prefix must not end a longer identifier.
    bool StartsRawOrPrefixed() const {
        if (i_ > 0 && IsIdentChar(s_[i_ - 1])) return false;
        for (const char* p : {"u8R\"", "uR\"", "UR\"", "LR\"", "R\"", "u8\"", "u\"", "U\"", "L\""})
            if (s_.compare(i_, std::strlen(p), p) == 0) return true;
        return false;
    }
    bool IsRaw() const {
        size_t k = i_;
        while (k < s_.size() && s_[k] != '"') ++k;
        return k > i_ && s_[k - 1] == 'R';
    }
    std::string ReadString() {
        while (s_[i_] != '"') ++i_;
        const size_t start = ++i_;
        while (i_ < s_.size() && s_[i_] != '"') i_ += s_[i_] == '\\' ? 2 : 1;
        return s_.substr(start, i_++ - start);
    }
    std::string ReadRaw() {
        while (s_[i_] != '"') ++i_;
        const size_t open = s_.find('(', i_);
        const std::string close = ")" + s_.substr(i_ + 1, open - i_ - 1) + "\"";
        const size_t end = s_.find(close, open);
        for (size_t k = i_; k < std::min(end, s_.size()); ++k) line_ += s_[k] == '\n';
        i_ = end == std::string::npos ? s_.size() : end + close.size();
        return {};
    }

    const std::string& s_;
    size_t i_ = 0;
    int line_ = 1;
    bool atLineStart_ = true;
};

// Code points of a literal's text: UTF-8 bytes and \uXXXX escapes.
inline std::u32string CodePoints(const std::string& text) {
    std::u32string out;
    for (size_t i = 0; i < text.size();) {
        const unsigned char c = static_cast<unsigned char>(text[i]);
        if (c == '\\' && i + 5 < text.size() && text[i + 1] == 'u') {
            out.push_back(char32_t(std::stoul(text.substr(i + 2, 4), nullptr, 16)));
            i += 6;
        } else if (c == '\\') {
            i += 2;
        } else if (c < 0x80) {
            out.push_back(c), ++i;
        } else {
            const int extra = c >= 0xF0 ? 3 : c >= 0xE0 ? 2 : 1;
            char32_t cp = c & (0x3F >> extra);
            for (int k = 1; k <= extra && i + size_t(k) < text.size(); ++k) cp = cp << 6 | (text[i + k] & 0x3F);
            out.push_back(cp);
            i += size_t(extra) + 1;
        }
    }
    return out;
}

inline bool HasChinese(const std::string& text) {
    for (char32_t c : CodePoints(text))
        if ((c >= 0x3400 && c <= 0x9FFF) || (c >= 0x3000 && c <= 0x303F) || (c >= 0xFF00 && c <= 0xFFEF)) return true;
    return false;
}

// Calls `row` with the three literals of every {text, text, text} of a source.
inline void ForEachRow(SourceReader& r, const std::function<void(Literal* row[3])>& row) {
    const auto& t = r.tokens;
    for (size_t k = 0; k + 6 < t.size(); ++k) {
        if (t[k].kind != Token::kOpenBrace || t[k + 1].kind != Token::kLiteral || t[k + 2].kind != Token::kComma ||
            t[k + 3].kind != Token::kLiteral || t[k + 4].kind != Token::kComma || t[k + 5].kind != Token::kLiteral ||
            t[k + 6].kind != Token::kCloseBrace)
            continue;
        Literal* texts[3] = {&r.literals[t[k + 1].literal], &r.literals[t[k + 3].literal],
                             &r.literals[t[k + 5].literal]};
        row(texts);
    }
}

// Calls `source` with the relative name and the text of every .cpp and .h under the library
// folders of the sources' root.
inline void ForEachLibrarySource(const std::string& root,
                                 const std::function<void(const std::string&, const std::string&)>& source) {
    namespace fs = std::filesystem;
    for (const char* folder : {"content", "editors", "link", "music", "shell", "toolkit"}) {
        for (const auto& entry : fs::recursive_directory_iterator(fs::path(root) / folder)) {
            const std::string ext = entry.path().extension().string();
            if (ext != ".cpp" && ext != ".h") continue;
            std::ifstream in(entry.path(), std::ios::binary);
            std::stringstream text;
            text << in.rdbuf();
            source(fs::relative(entry.path(), root).generic_string(), text.str());
        }
    }
}

}  // namespace ledsuite::testing
