// "playtime.dat" read from a USB disk, and the music slot files beside it: the head
// checks, the entries shown, and the two checked headers of a slot.
#include <cstddef>
#include <cstdint>

#include "link/music_slots.h"
#include "link/play_schedule.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace ledsuite;
    if (auto entries = ParsePlaytimeFile({data, size})) {
        const ScheduleTable table = ScheduleFromEntries(*entries);
        for (const ScheduleEntry& e : table) (void)VolumeChoiceText(VolumeChoiceOf(e.volume));
        (void)BuildPlaytimeFile(SavedEntries(table));
    }
    if (auto slot = ReadMusicSlot({data, size})) (void)MusicSlotTitle(*slot);
    return 0;
}
