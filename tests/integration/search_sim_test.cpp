// The bus search against buses of simulated instruments (kr7m-sim --bus) on a pseudo-terminal:
// which addresses are probed, in which order and how often, what the list of known instruments
// becomes, stopping part way, and a port that cannot be opened.
#include <gtest/gtest.h>
#include <sstream>
#include <string>
#include <vector>

#include "link/linksettings.h"
#include "link/report_console.h"
#include "link/search.h"
#include "platform/serial/portmap.h"
#include "sim_process.h"

namespace {

std::string AddressList(int from, int to) {
    std::string s;
    for (int a = from; a <= to; ++a) s += (s.empty() ? "" : ",") + std::to_string(a);
    return s;
}

std::vector<int> Known() {
    std::vector<int> v;
    for (int slot : DevSearch)
        if (slot) v.push_back(slot);
    return v;
}

// Echo probes the simulator received, as the addresses they went to, in order.
std::vector<int> ProbedAddresses(const simtest::Sim &sim) {
    std::istringstream in(sim.Log());
    std::string line;
    std::vector<int> out;
    while (std::getline(in, line)) {
        size_t at = line.find(" RX ");
        if (at == std::string::npos) continue; // "RX garbage" fails the scan below
        unsigned address = 0, function = 0;
        if (std::sscanf(line.c_str() + at + 4, "%x %x", &address, &function) == 2 && function == 8)
            out.push_back(static_cast<int>(address));
    }
    return out;
}

class SearchTest : public ::testing::Test {
  protected:
    void SetUp() override {
        Console_SetOutput(nullptr);
        Console_ResetCounts();
        CommType = 1;
        Baudrate = 4; // the shortest answer time-out keeps the runs short
        Parity = 3;
        RTSFlow = 1;
        DeviceAddr = 77;
    }
    void TearDown() override {
        ResetComPortDevices();
        CommType = 0;
        Baudrate = 3;
        Parity = 0;
        DeviceAddr = 247;
        for (int &slot : DevSearch) slot = 0;
        Search_Result = 0;
    }
};

struct SearchCase {
    const char *name;
    std::string bus;
    int last;
    std::vector<int> expected;
};

class SearchFinds : public SearchTest, public ::testing::WithParamInterface<SearchCase> {};

TEST_P(SearchFinds, ExactlyTheInstrumentsOnTheBusInAddressOrder) {
    const SearchCase &c = GetParam();
    simtest::Sim sim({"--bus", c.bus});
    ASSERT_TRUE(sim.Ready());
    ASSERT_EQ(SetComPortDevice(2, sim.Link().c_str()), 0);
    DevSearch[0] = 99; // a list from an earlier search is replaced, not extended
    DevSearch[31] = 98;
    ASSERT_EQ(SearchDevices(2, c.last, nullptr, nullptr), 1);
    EXPECT_EQ(Known(), c.expected);
    EXPECT_EQ(Search_Result, c.expected.empty() ? 0 : 1);
    EXPECT_EQ(DeviceAddr, 77) << "a search never changes the address talked to";
    EXPECT_EQ(CommPortOpen, 0) << "the port is closed after the search";
    EXPECT_EQ(Console_Report().errors, 0) << "silent addresses are not errors";

    // Every address of the range once, in order; address 1 twice when it stayed silent; and
    // after 32 finds nothing more.
    std::vector<int> probes = ProbedAddresses(sim), want;
    int finds = 0;
    for (int a = 1; a <= c.last && finds < kMaxFoundDevices; ++a) {
        want.push_back(a);
        bool there = false;
        for (int e : c.expected) there = there || e == a;
        if (a == 1 && !there) want.push_back(1);
        if (there) ++finds;
    }
    EXPECT_EQ(probes, want);
}

INSTANTIATE_TEST_SUITE_P(
    Buses, SearchFinds,
    ::testing::Values(SearchCase{"ThreeOfThirtyTwo", "3,17,30", 32, {3, 17, 30}},
                      SearchCase{"AddressOneAnswersFirstTime", "1,32", 32, {1, 32}},
                      SearchCase{"OutsideTheSmallRange", "33,200", 32, {}},
                      SearchCase{"FullRange", "2,33,200,247", 247, {2, 33, 200, 247}},
                      SearchCase{"MoreThanThirtyTwoKeepsTheLowest", AddressList(1, 40), 247,
                                 [] {
                                     std::vector<int> v;
                                     for (int a = 1; a <= 32; ++a) v.push_back(a);
                                     return v;
                                 }()},
                      SearchCase{"EmptyBusEmptiesTheList", "200", 32, {}}),
    [](const ::testing::TestParamInfo<SearchCase> &info) { return std::string(info.param.name); });

struct StopAt {
    int address;
    std::vector<int> seen;
};

int StopWhenReached(int address, void *data) {
    auto *stop = static_cast<StopAt *>(data);
    stop->seen.push_back(address);
    return address == stop->address;
}

TEST_F(SearchTest, StoppingKeepsTheFindsSoFarAndProbesNoFurther) {
    simtest::Sim sim({"--bus", "3,17,30"});
    ASSERT_TRUE(sim.Ready());
    ASSERT_EQ(SetComPortDevice(1, sim.Link().c_str()), 0);
    StopAt stop{20, {}};
    ASSERT_EQ(SearchDevices(1, 32, StopWhenReached, &stop), 1);
    EXPECT_EQ(Known(), (std::vector<int>{3, 17}));
    EXPECT_EQ(Search_Result, 1);
    ASSERT_EQ(stop.seen.size(), 20u) << "progress is told of each address before its probe";
    EXPECT_EQ(stop.seen.front(), 1);
    EXPECT_EQ(stop.seen.back(), 20);
    std::vector<int> probes = ProbedAddresses(sim);
    ASSERT_FALSE(probes.empty());
    EXPECT_EQ(probes.back(), 19) << "the address the stop came at is not probed";
    EXPECT_EQ(CommPortOpen, 0);
}

TEST_F(SearchTest, PortThatCannotOpenLeavesTheListAsItWas) {
    simtest::TempDir dir;
    ASSERT_EQ(SetComPortDevice(3, dir.File("unplugged").c_str()), 0);
    DevSearch[0] = 5;
    DevSearch[1] = 9;
    Search_Result = 1;
    int calls = 0;
    auto count = [](int, void *data) {
        ++*static_cast<int *>(data);
        return 0;
    };
    EXPECT_EQ(SearchDevices(3, 32, count, &calls), 0);
    EXPECT_EQ(Known(), (std::vector<int>{5, 9}));
    EXPECT_EQ(Search_Result, 1);
    EXPECT_EQ(calls, 0) << "nothing is probed";
    EXPECT_EQ(Console_Report().errors, 1) << "the open failure is reported once";
    EXPECT_EQ(CommPortOpen, 0);
}

} // namespace
