#include "NetworkCore/IPAddressParser.h"

#include "FakeInterfaceList.h"
#include "NetworkCore/NetlinkLinkStats.h"

#include <algorithm>
#include <gtest/gtest.h>
#include <net/if.h>
#include <vector>

namespace velto {
namespace {

constexpr unsigned kUp = IFF_UP;
constexpr unsigned kLoopback = IFF_UP | IFF_LOOPBACK;
const LinkStats64Table kNoWideCounters;

const InterfaceCounters* named(const InterfaceState& state, const std::string& name) {
    const auto found = std::find_if(state.counters.begin(), state.counters.end(),
                                    [&](const InterfaceCounters& c) { return c.name == name; });
    return found == state.counters.end() ? nullptr : &*found;
}

TEST(IPAddressParserWalkTest, FirstUpNonLoopbackIPv4WinsAndLoopbackIsNeverChosen) {
    test::FakeInterfaceList list;
    list.inet("lo", kLoopback, 0x7f000001)
        .bare("tun0", kUp)
        .inet("eth1", 0, 0x0a000009) // down
        .inet("wlan0", kUp, 0xc0a8010a)
        .inet("eth0", kUp, 0x0a000002);
    EXPECT_EQ(IPAddressParser::walk(list.head(), kNoWideCounters).localIPv4, "192.168.1.10");

    test::FakeInterfaceList onlyLoopback;
    onlyLoopback.inet("lo", kLoopback, 0x7f000001).inet("eth0", 0, 0x0a000002);
    EXPECT_FALSE(IPAddressParser::walk(onlyLoopback.head(), kNoWideCounters).localIPv4);
}

TEST(IPAddressParserWalkTest, CountsEveryLinkButLoopbackUpOrDown) {
    test::FakeInterfaceList list;
    list.link("lo", kLoopback, 1, test::linkStats(900, 900))
        .link("eth0", kUp, 2, test::linkStats(100, 200))
        .link("wlan0", 0, 3, test::linkStats(5, 6))             // down: still counted
        .link("br0", kUp, 4, std::nullopt)                      // no statistics: left out
        .inet("eth0", kUp, 0x0a000002)                          // not a link entry
        .link("eth0", kUp, 2, test::linkStats(0xffffffffu, 7)); // a repeat replaces
    const InterfaceState state = IPAddressParser::walk(list.head(), kNoWideCounters);
    EXPECT_EQ(state.counters, (std::vector<InterfaceCounters>{{"eth0", 0xffffffffu, 7, false},
                                                              {"wlan0", 5, 6, false}}));
    EXPECT_EQ(state.localIPv4, "10.0.0.2");
}

TEST(IPAddressParserWalkTest, PrefersTheKernelsWideCountersForTheSameLink) {
    test::FakeInterfaceList list;
    list.link("eth0", kUp, 2, test::linkStats(5, 6)).link("eth1", kUp, 7, test::linkStats(8, 9));
    // 2^32 + 5: what the 32-bit counter shows as 5.
    const LinkStats64Table wide{{1, 1, 1}, {2, 0x100000005ull, 6}, {3, 3, 3}};
    const InterfaceState state = IPAddressParser::walk(list.head(), wide);
    EXPECT_EQ(*named(state, "eth0"), (InterfaceCounters{"eth0", 0x100000005ull, 6, true}));
    EXPECT_EQ(*named(state, "eth1"), (InterfaceCounters{"eth1", 8, 9, false}))
        << "a link the table lacks keeps its 32-bit counters";
}

int failingGetIfAddrs(ifaddrs** list) {
    *list = nullptr;
    return -1;
}
int emptyGetIfAddrs(ifaddrs** list) {
    *list = nullptr;
    return 0;
}
int frees = 0;
void countingFree(ifaddrs*) {
    ++frees;
}

TEST(IPAddressParserReadTest, FailingOrEmptyListGivesNothing) {
    for (auto* get : {&failingGetIfAddrs, &emptyGetIfAddrs}) {
        frees = 0;
        const InterfaceState state =
            IPAddressParser::readCurrentState({get, &countingFree, nullptr});
        EXPECT_EQ(state, InterfaceState{});
        EXPECT_EQ(frees, 0);
    }
}

test::FakeInterfaceList* fakeList = nullptr;
int fakeGetIfAddrs(ifaddrs** list) {
    *list = fakeList->head();
    return 0;
}
bool failingStats(LinkStats64Table& table) {
    table.push_back({2, 1, 1}); // half-filled, then refused: must not be used
    return false;
}

TEST(IPAddressParserReadTest, FreesTheListOnceAndFallsBackWhenTheKernelRefusesWideCounters) {
    test::FakeInterfaceList list;
    list.link("eth0", kUp, 2, test::linkStats(5, 6));
    fakeList = &list;
    frees = 0;
    const InterfaceState state =
        IPAddressParser::readCurrentState({&fakeGetIfAddrs, &countingFree, &failingStats});
    EXPECT_EQ(state.counters, (std::vector<InterfaceCounters>{{"eth0", 5, 6, false}}));
    EXPECT_EQ(frees, 1);
}

TEST(IPAddressParserReadTest, LiveSystemAgreesWithTheKernelsLinkTable) {
    LinkStats64Table table;
    ASSERT_TRUE(NetlinkLinkStats::read(table)) << "RTM_GETSTATS refused";
    EXPECT_TRUE(std::is_sorted(table.begin(), table.end(),
                               [](const auto& a, const auto& b) { return a.ifindex < b.ifindex; }));
    EXPECT_TRUE(findLinkStats(table, static_cast<int>(if_nametoindex("lo"))));

    const InterfaceState state = IPAddressParser::readCurrentState();
    EXPECT_FALSE(named(state, "lo")) << "loopback is never counted";
    for (const InterfaceCounters& c : state.counters) {
        EXPECT_TRUE(c.wide) << c.name;
        EXPECT_NE(if_nametoindex(c.name.c_str()), 0u) << c.name;
    }
}

} // namespace
} // namespace velto
