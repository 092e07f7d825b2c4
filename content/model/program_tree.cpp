#include "content/model/program_tree.h"

#include <utility>

namespace ledsuite {

const LangText kScreenTitle = {{u"LED屏", u"LED屏", u"LED Screen"}};
const LangText kProgramSetTitle = {{u"节目集", u"節目集", u"Programs"}};
const LangText kProgramTitle = {{u"节目", u"節目", u"Program"}};
const LangText kLyricShowTitle = {{u"歌词秀", u"歌詞秀", u"Lyric Show"}};

namespace {
template <class T>
bool SwapWithSibling(std::vector<T>& items, size_t index, int step) {
    if ((step != -1 && step != 1) || index >= items.size()) return false;
    if (step < 0 ? index == 0 : index + 1 >= items.size()) return false;
    std::swap(items[index], items[index + step]);
    return true;
}
}  // namespace

std::u16string ProgramNode::title() const {
    return kind() == kKindLyricShow ? kLyricShowTitle() : kProgramTitle();
}

std::u16string ProgramTree::screenTitle() { return kScreenTitle(); }

ProgramSetNode* ProgramTree::set(size_t index) { return index < sets_.size() ? &sets_[index] : nullptr; }

ProgramNode* ProgramTree::program(size_t setIndex, size_t index) {
    ProgramSetNode* s = set(setIndex);
    return s && index < s->programs.size() ? &s->programs[index] : nullptr;
}

ProgramSetNode* ProgramTree::InsertProgramSet(size_t index) {
    if (index > sets_.size()) return nullptr;
    ProgramSetNode node;
    node.title = kProgramSetTitle();
    InitProgramSetRecord(*node.record);
    return &*sets_.insert(sets_.begin() + std::ptrdiff_t(index), std::move(node));
}

ProgramNode* ProgramTree::InsertProgram(size_t setIndex, size_t index) {
    ProgramSetNode* s = set(setIndex);
    if (!s || index > s->programs.size()) return nullptr;
    ProgramNode node;
    ProgramRecord& p = *node.record;
    p.content.header.fontSet = screen_.fileSystem == 1 ? uint8_t(screen_.fontChip) : 0;
    InitProgramRecord(p, 0, 0, screen_.width, screen_.height);
    return &*s->programs.insert(s->programs.begin() + std::ptrdiff_t(index), std::move(node));
}

ProgramNode* ProgramTree::AddProgram(size_t setIndex) {
    ProgramSetNode* s = set(setIndex);
    return s ? InsertProgram(setIndex, s->programs.size()) : nullptr;
}

bool ProgramTree::RemoveProgramSet(size_t index) {
    if (index >= sets_.size()) return false;
    sets_.erase(sets_.begin() + std::ptrdiff_t(index));
    return true;
}

bool ProgramTree::RemoveProgram(size_t setIndex, size_t index) {
    if (!program(setIndex, index)) return false;
    auto& programs = sets_[setIndex].programs;
    programs.erase(programs.begin() + std::ptrdiff_t(index));
    return true;
}

bool ProgramTree::MoveProgramSet(size_t index, int step) { return SwapWithSibling(sets_, index, step); }

bool ProgramTree::MoveProgram(size_t setIndex, size_t index, int step) {
    ProgramSetNode* s = set(setIndex);
    return s && SwapWithSibling(s->programs, index, step);
}

int ProgramTree::SetProgramKind(size_t setIndex, size_t index, uint8_t kind) {
    ProgramNode* target = program(setIndex, index);
    if (!target) return -1;
    if (kind == 0) {
        target->record->content.header.kind = 0;
        return 0;
    }
    for (ProgramNode& p : sets_[setIndex].programs) {
        uint8_t& k = p.record->content.header.kind;
        if (&p == target) k = kind;
        else if (k != 0) k = 0;
    }
    return 0;
}

void ProgramTree::RelabelSets() {
    for (ProgramSetNode& s : sets_) {
        for (int i = 0; i < 3; ++i) {
            if (s.title == kProgramSetTitle.at(i)) {
                s.title = kProgramSetTitle();
                break;
            }
        }
    }
}

}  // namespace ledsuite
