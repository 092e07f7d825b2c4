// Program images and screen headers read from ".lcs" files and from the card.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "content/card/program_loader.h"
#include "content/card/screen_header.h"

namespace {

using namespace ledsuite;

// An object cell holds the object its code stands for.
bool CellsSound(std::span<const TextCell> cells) {
    for (const TextCell& c : cells.first(size_t(CountCells(cells)))) {
        if (!c.obj) continue;
        bool ok = false;
        switch (c.code) {
        case FC_PICTURE: ok = CellObjectAs<PictureObject>(c) != nullptr; break;
        case FC_ADC: ok = CellObjectAs<AdcField>(c) != nullptr; break;
        case FC_TIMER: ok = CellObjectAs<TimerField>(c) != nullptr; break;
        case FC_COUNTER: ok = CellObjectAs<CounterField>(c) != nullptr; break;
        case FC_CLOCK: ok = CellObjectAs<ClockObject>(c) != nullptr; break;
        case FC_TABLE: {
            const auto* g = CellObjectAs<GridObject>(c);
            ok = g && CellsSound(g->cells);
            break;
        }
        default: break;
        }
        if (!ok) return false;
    }
    return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    HardwareParams hw;
    ParseProgramHeader({data, size}, hw);
    if (size < 4) return 0;
    // The length word is made to match so that every input walks the set table.
    std::vector<uint8_t> image(data, data + size);
    StoreU32(image.data(), uint32_t(size));
    ProgramTree tree;
    LoadProgramImage(tree, image);
    for (const ProgramSetNode& set : tree.sets())
        for (const ProgramNode& p : set.programs)
            if (!CellsSound(p.record->content.cells)) __builtin_trap();
    return 0;
}
