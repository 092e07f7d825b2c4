// Every text the suite shows exists in all three languages. The sources are read as a
// reader of C++ reads them (comments, character and raw literals skipped, adjacent string
// literals joined), and three rules hold over every library folder:
//  - a text table row {Simplified, Traditional, English} has all three texts, and its
//    English one holds no Chinese characters;
//  - Chinese characters appear only inside such rows, apart from data that is no text of
//    the window (face names, sheet columns, the card's weekday characters; listed below);
//  - a message box, a question, a window title, a label, a button, a list entry or an
//    action is never given a literal text of one language: it takes a row.
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <set>
#include <sstream>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;

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

bool IsIdentChar(char c) { return std::isalnum(static_cast<unsigned char>(c)) || c == '_'; }

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
std::u32string CodePoints(const std::string& text) {
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

bool HasChinese(const std::string& text) {
    for (char32_t c : CodePoints(text))
        if ((c >= 0x3400 && c <= 0x9FFF) || (c >= 0x3000 && c <= 0x303F) || (c >= 0xFF00 && c <= 0xFFEF)) return true;
    return false;
}

// Two Latin letters in a row outside markup tags, or Chinese.
bool HasWord(const std::string& text) {
    std::u32string cps;
    bool inTag = false;
    for (char32_t c : CodePoints(text)) {
        if (c == '<') inTag = true;
        if (!inTag) cps.push_back(c);
        if (c == '>') inTag = false;
    }
    for (size_t i = 0; i + 1 < cps.size(); ++i)
        if (std::isalpha(int(cps[i] < 0x80 ? cps[i] : 0)) && std::isalpha(int(cps[i + 1] < 0x80 ? cps[i + 1] : 0)))
            return true;
    return HasChinese(text);
}

// Marks the literals of every {text, text, text} row and reports rows that lack a language.
void CheckRows(const std::string& file, SourceReader& r, std::vector<std::string>& faults) {
    const auto& t = r.tokens;
    for (size_t k = 0; k + 6 < t.size(); ++k) {
        if (t[k].kind != Token::kOpenBrace || t[k + 1].kind != Token::kLiteral || t[k + 2].kind != Token::kComma ||
            t[k + 3].kind != Token::kLiteral || t[k + 4].kind != Token::kComma || t[k + 5].kind != Token::kLiteral ||
            t[k + 6].kind != Token::kCloseBrace)
            continue;
        Literal* row[3] = {&r.literals[t[k + 1].literal], &r.literals[t[k + 3].literal], &r.literals[t[k + 5].literal]};
        for (Literal* l : row) l->inRow = true;
        const bool empty = row[0]->text.empty() && row[1]->text.empty() && row[2]->text.empty();
        if (!empty && (row[0]->text.empty() || row[1]->text.empty() || row[2]->text.empty()))
            faults.push_back(file + ":" + std::to_string(row[0]->line) + ": a language is empty in the row of \"" +
                             row[0]->text + "\"");
        if (HasChinese(row[2]->text))
            faults.push_back(file + ":" + std::to_string(row[0]->line) + ": no English text: \"" + row[2]->text + "\"");
    }
}

// Chinese literals outside rows that are data, not a text of the window: face names the card
// and the fonts know, the columns an imported sheet is read by, the weekday characters drawn
// onto the card by its own rule, the font-name test for Traditional faces, a button glyph.
const std::set<std::pair<std::string, std::string>> kChineseData = {
    {"content/model/excel_import.h", "节目集"},     {"content/model/excel_import.h", "内容"},
    {"content/model/excel_import.cpp", "默认"},     {"content/card/program_image.cpp", "天"},
    {"content/card/program_image.cpp", "一"},       {"content/card/program_image.cpp", "二"},
    {"content/card/program_image.cpp", "三"},       {"content/card/program_image.cpp", "四"},
    {"content/card/program_image.cpp", "五"},       {"content/card/program_image.cpp", "六"},
    {"content/render/text_layout.cpp", "天"},       {"content/render/text_layout.cpp", "一"},
    {"content/render/text_layout.cpp", "二"},       {"content/render/text_layout.cpp", "三"},
    {"content/render/text_layout.cpp", "四"},       {"content/render/text_layout.cpp", "五"},
    {"content/render/text_layout.cpp", "六"},       {"content/card/bitmap_image.cpp", "宋体"},
    {"content/render/font_tables.cpp", "宋体"},     {"content/render/font_tables.cpp", "黑体"},
    {"content/render/font_tables.cpp", "楷体"},     {"content/render/font_tables.cpp", "准圆"},
    {"content/render/font_tables.cpp", "繁体"},     {"editors/ui/edit_ctrl.cpp", "宋体"},
    {"editors/ui/edit_ctrl.cpp", "\\u5B57"},
    // The date, time and weekday fields the editor inserts: Chinese forms beside the English ones.
    {"editors/edit_rules.cpp", "\\uE013\\u65F6\\uE014\\u5206\\uE015\\u79D2"},
    {"editors/edit_rules.cpp", "\\uE010\\u5E74\\uE011\\u6708\\uE012\\u65E5"},
    {"editors/edit_rules.cpp", "\\u661F\\u671F\\uE020"},
};

// Calls whose literal arguments reach the user as they stand.
const std::set<std::string> kShowingCalls = {
    "MessageBoxFx", "AskYesNo", "Tell", "message_", "ShowMessage", "QMessageBox", "information", "warning",
    "critical", "question", "setText", "setWindowTitle", "setTitle", "SetTitle", "addItem", "addItems",
    "insertItem", "addAction", "addMenu", "setToolTip", "setStatusTip", "setTabText", "addTab", "setPlaceholderText",
    "setHeaderLabels", "setHorizontalHeaderLabels", "QLabel", "QCheckBox", "QPushButton", "QRadioButton",
    "QGroupBox", "QAction", "QMenu", "setLabelText",
};
// Literals those calls take that are the same in every language: protocol and channel names.
const std::set<std::string> kNames = {"KIP", "GPS", "ADC_Channel_%1", "CHL_%1"};

// Calls that pass their text on as it stands (conversions, formatting).
const std::set<std::string> kWrappers = {"ToQString", "QStringLiteral", "QString", "fromUtf16", "fromUtf8",
                                         "QLatin1String", "arg", "FillText", "u16string", "c_str"};

// The showing call a literal reaches through wrappers only, or "" (a property name, a key).
std::string ShowingCall(const std::vector<std::string>& callers) {
    for (auto it = callers.rbegin(); it != callers.rend(); ++it) {
        if (kShowingCalls.count(*it)) return *it;
        if (!kWrappers.count(*it)) return {};
    }
    return {};
}

std::vector<std::string> Faults() {
    const char* root = std::getenv("LEDSUITE_SOURCE_DIR");
    if (!root) return {"LEDSUITE_SOURCE_DIR is not set"};
    std::vector<std::string> faults;
    for (const char* folder : {"content", "editors", "link", "music", "shell", "toolkit"}) {
        for (const auto& entry : fs::recursive_directory_iterator(fs::path(root) / folder)) {
            const std::string ext = entry.path().extension().string();
            if (ext != ".cpp" && ext != ".h") continue;
            std::ifstream in(entry.path(), std::ios::binary);
            std::stringstream text;
            text << in.rdbuf();
            const std::string source = text.str();
            const std::string file = fs::relative(entry.path(), root).generic_string();
            SourceReader r(source);
            CheckRows(file, r, faults);
            for (const Literal& l : r.literals) {
                const std::string where = file + ":" + std::to_string(l.line) + ": ";
                if (l.inRow) continue;
                if (HasChinese(l.text) && !kChineseData.count({file, l.text}))
                    faults.push_back(where + "Chinese only: \"" + l.text + "\"");
                else if (HasWord(l.text) && !kNames.count(l.text))
                    if (const std::string call = ShowingCall(l.callers); !call.empty())
                        faults.push_back(where + "one language only, shown by " + call + ": \"" + l.text + "\"");
            }
        }
    }
    return faults;
}

TEST(UiTexts, EveryShownTextHasAllThreeLanguages) {
    const std::vector<std::string> faults = Faults();
    std::string all;
    for (const std::string& f : faults) all += f + "\n";
    EXPECT_TRUE(faults.empty()) << faults.size() << " texts lack a language:\n" << all;
}

TEST(UiTexts, TheReaderSeesRowsCallsAndComments) {
    // The reader itself: a row, a literal in a message call, one in a comment, a joined one.
    const std::string source = "const LangText k{{u\"甲\", u\"乙\", u\"A\"}};\n"
                               "// MessageBoxFx(this, u\"注释\");\n"
                               "void f() { MessageBoxFx(this, ToQString(u\"Only \" u\"English\"), nullptr); }\n"
                               "const char c = '\"'; auto s = R\"(\"中\")\";\n";
    SourceReader r(source);
    ASSERT_EQ(r.literals.size(), 4u);
    EXPECT_TRUE(r.literals[0].inRow == false);  // marked by CheckRows
    std::vector<std::string> faults;
    CheckRows("x.cpp", r, faults);
    EXPECT_TRUE(faults.empty());
    EXPECT_TRUE(r.literals[2].inRow);
    EXPECT_EQ(r.literals[3].text, "Only English");
    EXPECT_EQ(r.literals[3].line, 3);
    EXPECT_EQ(r.literals[3].callers, (std::vector<std::string>{"MessageBoxFx", "ToQString"}));
    SourceReader bad("const LangText k{{u\"甲\", u\"乙\", u\"甲\"}};");
    CheckRows("y.cpp", bad, faults);
    ASSERT_EQ(faults.size(), 1u);
    EXPECT_NE(faults[0].find("no English text"), std::string::npos);
}

}  // namespace
