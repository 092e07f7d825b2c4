#include "link/vehicle_lists.h"

#include <algorithm>
#include <numeric>

namespace ledsuite {

int CompareOrdinal(std::u16string_view a, std::u16string_view b) {
    return a.compare(b);  // unit by unit as unsigned 16-bit values, then the shorter first
}

std::vector<int> SortRowOrder(const std::vector<std::u16string>& texts, bool ascending) {
    std::vector<int> order(texts.size());
    std::iota(order.begin(), order.end(), 0);
    std::stable_sort(order.begin(), order.end(), [&](int a, int b) {
        const int c = CompareOrdinal(texts[size_t(a)], texts[size_t(b)]);
        return ascending ? c < 0 : c > 0;
    });
    return order;
}

int SearchColumn(int fieldIndex) {
    const int column = fieldIndex + 1;
    return column < 1 || column > 3 ? 1 : column;
}

int FindFirstContaining(const std::vector<std::u16string>& texts, std::u16string_view needle) {
    for (size_t i = 0; i < texts.size(); ++i)
        if (texts[i].find(needle) != std::u16string::npos) return int(i);
    return -1;
}

std::vector<bool> RowsContaining(const std::vector<std::u16string>& texts, std::u16string_view needle) {
    std::vector<bool> hits(texts.size());
    for (size_t i = 0; i < texts.size(); ++i) hits[i] = texts[i].find(needle) != std::u16string::npos;
    return hits;
}

bool LocalProgramCheckable(uint8_t status) { return status == 3 || AwaitingAudit(status); }
bool AwaitingAudit(uint8_t status) { return status >= 5 && status <= 7; }

bool ApplyLocalCheck(CheckCounts& counts, uint8_t status, bool checked) {
    if (checked && !LocalProgramCheckable(status)) return false;
    const int step = checked ? 1 : -1;
    counts.checked = std::max(0, counts.checked + step);
    if (AwaitingAudit(status)) counts.awaitingAudit = std::max(0, counts.awaitingAudit + step);
    return true;
}

ServerCheckFlags ServerFlagsFor(bool anyChecked, uint8_t status) {
    if (!anyChecked) return {};
    return {status == 1, status != 1, true};
}

}  // namespace ledsuite
