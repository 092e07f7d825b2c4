#include "link/vehicle_lists.h"

#include <gtest/gtest.h>

namespace ledsuite {
namespace {

TEST(ListRules, OrdinalSortBothWays) {
    EXPECT_LT(CompareOrdinal(u"B", u"a"), 0);  // case-sensitive: upper case first
    EXPECT_LT(CompareOrdinal(u"ab", u"abc"), 0);
    EXPECT_GT(CompareOrdinal(u"abc", u"ab"), 0);
    EXPECT_LT(CompareOrdinal(u"abc", u"abd"), 0);
    EXPECT_EQ(CompareOrdinal(u"", u""), 0);
    EXPECT_EQ(CompareOrdinal(u"x", u"x"), 0);
    EXPECT_GT(CompareOrdinal(u"车", u"z"), 0);
    EXPECT_GT(CompareOrdinal(u"\xFF01", u"\x7FFF"), 0);  // units compare unsigned
    const std::vector<std::u16string> texts = {u"b", u"A", u"c", u"a", u"b"};
    EXPECT_EQ(SortRowOrder(texts, false), (std::vector<int>{2, 0, 4, 3, 1}));
    EXPECT_EQ(SortRowOrder(texts, true), (std::vector<int>{1, 3, 0, 4, 2}));
    EXPECT_TRUE(SortRowOrder({}, true).empty());
}

TEST(ListRules, SearchColumnAndMatches) {
    for (auto [i, column] : {std::pair{0, 1}, {1, 2}, {2, 3}, {3, 1}, {-1, 1}}) EXPECT_EQ(SearchColumn(i), column) << i;
    const std::vector<std::u16string> texts = {u"A100", u"B200", u"A200"};
    EXPECT_EQ(FindFirstContaining(texts, u"200"), 1);
    EXPECT_EQ(FindFirstContaining(texts, u"A"), 0);
    EXPECT_EQ(FindFirstContaining(texts, u"a"), -1);
    EXPECT_EQ(RowsContaining(texts, u"A"), (std::vector<bool>{true, false, true}));
}

TEST(ListRules, LocalChecksAndCounters) {
    for (int s = 0; s < 10; ++s)
        EXPECT_EQ(LocalProgramCheckable(uint8_t(s)), s == 3 || s == 5 || s == 6 || s == 7) << s;
    CheckCounts c;
    EXPECT_FALSE(ApplyLocalCheck(c, 4, true));
    EXPECT_EQ(c.checked, 0);
    EXPECT_TRUE(ApplyLocalCheck(c, 3, true));
    EXPECT_TRUE(ApplyLocalCheck(c, 6, true));
    EXPECT_EQ(c.checked, 2);
    EXPECT_EQ(c.awaitingAudit, 1);
    EXPECT_TRUE(ApplyLocalCheck(c, 6, false));
    EXPECT_EQ(c.checked, 1);
    EXPECT_EQ(c.awaitingAudit, 0);
    EXPECT_TRUE(ApplyLocalCheck(c, 3, false));
    EXPECT_TRUE(ApplyLocalCheck(c, 7, false));  // an uncheck past zero stays at zero
    EXPECT_EQ(std::pair(c.checked, c.awaitingAudit), std::pair(0, 0));
    EXPECT_TRUE(ApplyLocalCheck(c, 4, false));  // unchecking is never refused
    const ServerCheckFlags one = ServerFlagsFor(true, 1);
    EXPECT_TRUE(one.statusOne && one.any && !one.other);
    const ServerCheckFlags other = ServerFlagsFor(true, 2);
    EXPECT_TRUE(!other.statusOne && other.any && other.other);
    const ServerCheckFlags none = ServerFlagsFor(false, 1);
    EXPECT_FALSE(none.any || none.statusOne || none.other);
}

}  // namespace
}  // namespace ledsuite
