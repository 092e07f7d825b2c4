#pragma once
// The program tree of one screen: the screen record, its program sets and their
// programs. The tree owns every record; each record lives on the heap, so its
// address stays the same while the tree is edited (windows keep record pointers).
// Copies of a tree, a set or a program are deep.
#include <memory>
#include <string>
#include <vector>

#include "content/model/lang.h"
#include "content/model/records.h"

namespace ledsuite {

// Default item texts of the tree.
extern const LangText kScreenTitle;      // "LED Screen"
extern const LangText kProgramSetTitle;  // "Programs"
extern const LangText kProgramTitle;     // "Program"
extern const LangText kLyricShowTitle;   // "Lyric Show"

struct ProgramNode {
    std::unique_ptr<ProgramRecord> record;  // never null

    ProgramNode() : record(std::make_unique<ProgramRecord>()) {}
    ProgramNode(const ProgramNode& o) : record(std::make_unique<ProgramRecord>(*o.record)) {}
    // Keeps this node's record address; a node whose record was moved away gets a new one.
    ProgramNode& operator=(const ProgramNode& o) {
        if (this == &o) return *this;
        if (record) *record = *o.record;
        else record = std::make_unique<ProgramRecord>(*o.record);
        return *this;
    }
    ProgramNode(ProgramNode&&) noexcept = default;
    ProgramNode& operator=(ProgramNode&&) noexcept = default;

    // The content header's kind byte: 0 no voice, 1 music, 2+ voice, 255 lyric show.
    uint8_t kind() const { return record->content.header.kind; }
    // "Lyric Show" for kind 255, else "Program", in the current language.
    std::u16string title() const;
};

struct ProgramSetNode {
    std::u16string title;                      // renamable
    std::unique_ptr<ProgramSetRecord> record;  // never null
    std::vector<ProgramNode> programs;

    ProgramSetNode() : record(std::make_unique<ProgramSetRecord>()) {}
    ProgramSetNode(const ProgramSetNode& o)
        : title(o.title), record(std::make_unique<ProgramSetRecord>(*o.record)), programs(o.programs) {}
    ProgramSetNode& operator=(const ProgramSetNode& o) {
        if (this != &o) {
            title = o.title;
            if (record) *record = *o.record;
            else record = std::make_unique<ProgramSetRecord>(*o.record);
            programs = o.programs;
        }
        return *this;
    }
    ProgramSetNode(ProgramSetNode&&) noexcept = default;
    ProgramSetNode& operator=(ProgramSetNode&&) noexcept = default;
};

class ProgramTree {
public:
    ProgramTree() = default;  // a screen with the default settings, no program sets
    explicit ProgramTree(const HardwareParams& screen) : screen_(screen) {}

    HardwareParams& screen() { return screen_; }
    const HardwareParams& screen() const { return screen_; }
    // "LED Screen" in the current language.
    static std::u16string screenTitle();

    std::vector<ProgramSetNode>& sets() { return sets_; }
    const std::vector<ProgramSetNode>& sets() const { return sets_; }
    // Null when an index is out of range.
    ProgramSetNode* set(size_t index);
    ProgramNode* program(size_t setIndex, size_t index);

    // A new set ("Programs", InitProgramSetRecord) at `index` (0..size) or at the end.
    ProgramSetNode* InsertProgramSet(size_t index);
    ProgramSetNode* AddProgramSet() { return InsertProgramSet(sets_.size()); }
    // A new program over the whole screen (InitProgramRecord) in set `setIndex`;
    // its font-set mode is the font chip's low byte when the file system is 1.
    ProgramNode* InsertProgram(size_t setIndex, size_t index);
    ProgramNode* AddProgram(size_t setIndex);

    bool RemoveProgramSet(size_t index);
    bool RemoveProgram(size_t setIndex, size_t index);
    // Swaps an item with its previous (step -1) or next (step +1) sibling.
    bool MoveProgramSet(size_t index, int step);
    bool MoveProgram(size_t setIndex, size_t index, int step);

    // Gives a program a kind: 0 makes it a normal program; another kind is given
    // to it unless it has it already, and every other program of its set with a
    // non-zero kind goes back to 0, so a set holds at most one such program.
    // 0, or -1 when the program does not exist.
    int SetProgramKind(size_t setIndex, size_t index, uint8_t kind);

    // After a language change: sets still named by one of the default texts take
    // the current one; names the user gave stay.
    void RelabelSets();

private:
    HardwareParams screen_;
    std::vector<ProgramSetNode> sets_;
};

}  // namespace ledsuite
