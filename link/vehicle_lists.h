#pragma once
// The rules of the vehicle and program lists, apart from their windows: sorting by a
// column's texts, the search column, text search, and which program rows may be checked.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace ledsuite {

// Character-by-character comparison of UTF-16 units (ordinal, case-sensitive): <0, 0, >0.
int CompareOrdinal(std::u16string_view a, std::u16string_view b);
// The row order after sorting by `texts` (one text per row): ascending or descending,
// equal texts keeping their order. Entry i is the old index of the row now at i.
std::vector<int> SortRowOrder(const std::vector<std::u16string>& texts, bool ascending);

// The column the vehicle list's search looks in for a search-field index: index + 1
// (1 "GPRS ID", 2 "Driver", 3 "License Plate"); anything outside gives 1.
int SearchColumn(int fieldIndex);
// The first row whose text contains `needle`, or -1.
int FindFirstContaining(const std::vector<std::u16string>& texts, std::u16string_view needle);
// One flag per row: its text contains `needle`.
std::vector<bool> RowsContaining(const std::vector<std::u16string>& texts, std::u16string_view needle);

// A row of a program list: its cell texts and its publishing status.
struct ProgramRow {
    std::vector<std::u16string> cells;
    uint8_t status = 0;
};
// A row of the vehicle list: "GPRS ID", "Driver", "License Plate", state texts.
struct VehicleRow {
    std::u16string gprsId, driver, plate, state, finishState;
};

// A local program row may be checked in statuses 3, 5, 6 and 7; 5 to 7 await audit.
bool LocalProgramCheckable(uint8_t status);
bool AwaitingAudit(uint8_t status);

// The counts the local program list keeps: checked rows, and those awaiting audit.
struct CheckCounts {
    int checked = 0;
    int awaitingAudit = 0;
};
// Applies one check change of a row of `status`; false (counts unchanged) when a check
// is refused for that status.
bool ApplyLocalCheck(CheckCounts& counts, uint8_t status, bool checked);

// What the server program list records of its one checked row.
struct ServerCheckFlags {
    bool statusOne = false;  // the checked row has status 1
    bool other = false;      // the checked row has another status
    bool any = false;        // a row is checked
};
ServerCheckFlags ServerFlagsFor(bool anyChecked, uint8_t status);

}  // namespace ledsuite
