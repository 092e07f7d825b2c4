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

#include <cstdlib>
#include <set>
#include <string>
#include <vector>

#include "tests/source_texts.h"

namespace {

using namespace ledsuite::testing;

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
    ForEachRow(r, [&](Literal* row[3]) {
        for (int k = 0; k < 3; ++k) row[k]->inRow = true;
        const bool empty = row[0]->text.empty() && row[1]->text.empty() && row[2]->text.empty();
        if (!empty && (row[0]->text.empty() || row[1]->text.empty() || row[2]->text.empty()))
            faults.push_back(file + ":" + std::to_string(row[0]->line) + ": a language is empty in the row of \"" +
                             row[0]->text + "\"");
        if (HasChinese(row[2]->text))
            faults.push_back(file + ":" + std::to_string(row[0]->line) + ": no English text: \"" + row[2]->text + "\"");
    });
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
    ForEachLibrarySource(root, [&](const std::string& file, const std::string& source) {
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
    });
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
