// The simulator's protocol side: request framing, addressing, answers and exceptions, and fault
// injection, on byte buffers.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "link/crc.h"
#include "sim/fault.h"
#include "sim/slave.h"

namespace {

using Bytes = std::vector<unsigned char>;

Bytes Frame(Bytes body) {
    body.resize(body.size() + 2);
    AppendCrc(body.data(), static_cast<int>(body.size()) - 2);
    return body;
}

Bytes ReadRequest(int address, int start, int count) {
    return Frame({static_cast<unsigned char>(address), 3, static_cast<unsigned char>(start >> 8),
                  static_cast<unsigned char>(start), static_cast<unsigned char>(count >> 8),
                  static_cast<unsigned char>(count)});
}

Bytes WriteRequest(int address, int start, const std::vector<int> &values) {
    Bytes b = {static_cast<unsigned char>(address),
               16,
               static_cast<unsigned char>(start >> 8),
               static_cast<unsigned char>(start),
               0,
               static_cast<unsigned char>(values.size()),
               static_cast<unsigned char>(2 * values.size())};
    for (int v : values) b.push_back(static_cast<unsigned char>(v >> 8)), b.push_back(v & 0xFF);
    return Frame(b);
}

SimBus MakeBus(std::vector<int> addresses) {
    SimBus bus;
    bus.direct = addresses.empty();
    if (bus.direct) addresses.push_back(kDirectAddress);
    for (int a : addresses) {
        SimInstrument inst;
        SimInit(inst, SimIdentity(), a);
        bus.units.push_back(inst);
    }
    return bus;
}

Bytes Handle(SimBus &bus, const Bytes &request) {
    unsigned char answer[kMaxFrame];
    int n = SimHandleFrame(bus, request.data(), static_cast<int>(request.size()), answer);
    return Bytes(answer, answer + n);
}

TEST(SimSlave, AnswersAndExceptions) {
    SimBus bus = MakeBus({});
    struct Case {
        const char *name;
        Bytes request;
        int length;       // expected answer length, 0 for none
        int exceptionFor; // function code of an exception answer, 0 for a normal answer
        int code;
    };
    const Case cases[] = {
        {"measurands", ReadRequest(255, 99, 66), 137, 0, 0},
        {"configuration", ReadRequest(255, 499, 41), 87, 0, 0},
        {"logger block", ReadRequest(255, 999, 120), 245, 0, 0},
        {"write display", WriteRequest(255, 536, {0x0804}), 8, 0, 0},
        {"echo", Frame({255, 8, 0, 0, 0xAA, 0x55}), 8, 0, 0},
        {"unknown register", ReadRequest(255, 405, 4), 5, 3, kExIllegalAddress},
        {"read-only register", WriteRequest(255, 401, {1}), 5, 16, kExIllegalAddress},
        {"bad command", WriteRequest(255, 969, {7}), 5, 16, kExIllegalValue},
        {"too many registers", ReadRequest(255, 999, 126), 5, 3, kExIllegalValue},
        {"no registers", ReadRequest(255, 499, 0), 5, 3, kExIllegalValue},
        {"unknown function", Frame({255, 4, 0, 99, 0, 2}), 5, 4, kExIllegalFunction},
        {"other diagnostic", Frame({255, 8, 0, 1, 0, 0}), 5, 8, kExIllegalFunction},
        {"byte count mismatch", Frame({255, 16, 0x02, 0x18, 0, 1, 4, 0, 1, 0, 2}), 5, 16,
         kExIllegalValue},
        {"another address", ReadRequest(1, 99, 66), 0, 0, 0},
    };
    for (const Case &c : cases) {
        Bytes a = Handle(bus, c.request);
        ASSERT_EQ(static_cast<int>(a.size()), c.length) << c.name;
        if (a.empty()) continue;
        EXPECT_TRUE(CrcMatches(a.data(), static_cast<int>(a.size()))) << c.name;
        EXPECT_EQ(a[0], c.request[0]) << c.name;
        if (c.exceptionFor) {
            EXPECT_EQ(a[1], c.exceptionFor | 0x80) << c.name;
            EXPECT_EQ(a[2], c.code) << c.name;
        } else {
            EXPECT_EQ(a[1], c.request[1]) << c.name;
        }
    }
    // The echo is the request itself; a write answer repeats its header.
    Bytes echo = Frame({255, 8, 0, 0, 0xAA, 0x55});
    EXPECT_EQ(Handle(bus, echo), echo);
    Bytes w = WriteRequest(255, 536, {0x0504});
    Bytes wa = Handle(bus, w);
    EXPECT_EQ(Bytes(wa.begin(), wa.begin() + 6), Bytes(w.begin(), w.begin() + 6));
}

TEST(SimSlave, BusAddressingAndBroadcast) {
    SimBus bus = MakeBus({3, 7, 200});
    EXPECT_EQ(Handle(bus, ReadRequest(7, 401, 4)).size(), 13u);
    EXPECT_EQ(Handle(bus, ReadRequest(200, 401, 4)).size(), 13u);
    EXPECT_TRUE(Handle(bus, ReadRequest(8, 401, 4)).empty());
    EXPECT_TRUE(Handle(bus, ReadRequest(255, 401, 4)).empty()); // no direct address on a bus

    // A broadcast write reaches every instrument and is not answered; a broadcast read is
    // neither answered nor applied anywhere.
    EXPECT_TRUE(Handle(bus, WriteRequest(0, 536, {0x0304})).empty());
    EXPECT_TRUE(Handle(bus, ReadRequest(0, 536, 1)).empty());
    for (int address : {3, 7, 200}) {
        Bytes a = Handle(bus, ReadRequest(address, 536, 1));
        ASSERT_EQ(a.size(), 7u);
        EXPECT_EQ(a[3], 3) << address;
        EXPECT_EQ(a[4], 4) << address;
    }
    // Each instrument on the bus reports its own address in its block.
    Bytes a = Handle(bus, ReadRequest(200, 507, 1));
    EXPECT_EQ(a[3], 200);

    SimBus direct = MakeBus({});
    EXPECT_TRUE(Handle(direct, WriteRequest(0, 536, {0x0104})).empty());
    EXPECT_EQ(Handle(direct, ReadRequest(255, 536, 1))[3], 1);
}

// Feeds the chunks one after the other and collects the frames found; "|" in the script stands
// for a silence on the line.
std::vector<Bytes> RunFramer(const std::vector<Bytes> &chunks, long *discarded = nullptr) {
    RequestFramer f;
    std::vector<Bytes> frames;
    unsigned char frame[kMaxFrame];
    for (const Bytes &c : chunks) {
        bool silence = c.empty();
        if (!silence) f.Push(c.data(), static_cast<int>(c.size()));
        int n;
        while ((n = f.Next(silence, frame)) > 0) frames.emplace_back(frame, frame + n);
    }
    if (discarded) *discarded = f.discarded;
    return frames;
}

Bytes Cat(std::initializer_list<Bytes> parts) {
    Bytes out;
    for (const Bytes &p : parts) out.insert(out.end(), p.begin(), p.end());
    return out;
}

TEST(SimFramer, FindsRequestsInTheStream) {
    const Bytes r1 = ReadRequest(255, 99, 66), r2 = WriteRequest(5, 499, {1, 2, 3});
    const Bytes odd = Frame({9, 0x2B, 0x0E, 1, 0}); // a function whose length is not known
    Bytes damaged = r1;
    damaged[3] ^= 1;
    struct Case {
        const char *name;
        std::vector<Bytes> chunks;
        std::vector<Bytes> frames;
        long discarded;
    };
    const Case cases[] = {
        {"one request", {r1}, {r1}, 0},
        {"two at once", {Cat({r1, r2})}, {r1, r2}, 0},
        {"split into bytes",
         {Bytes(r2.begin(), r2.begin() + 3), Bytes(r2.begin() + 3, r2.end())},
         {r2},
         0},
        {"garbage before", {Cat({{0x00, 0xFF, 0x17}, r1})}, {r1}, 3},
        {"damaged then good", {Cat({damaged, r2})}, {r2}, 8},
        {"partial given up after silence", {Bytes(r1.begin(), r1.begin() + 5), {}, r2}, {r2}, 5},
        {"partial waits without silence",
         {Bytes(r1.begin(), r1.begin() + 5), Bytes(r1.begin() + 5, r1.end())},
         {r1},
         0},
        {"long garbage claim given up", {Cat({{7, 16, 0, 0, 0, 1, 200}, r1}), {}}, {r1}, 7},
        {"unknown function", {odd}, {odd}, 0},
        {"lone bytes then silence", {{1, 3}, {}}, {}, 2},
    };
    for (const Case &c : cases) {
        long discarded = -1;
        EXPECT_EQ(RunFramer(c.chunks, &discarded), c.frames) << c.name;
        EXPECT_EQ(discarded, c.discarded) << c.name;
    }
}

// Random bytes, including ones that happen to form requests for arbitrary registers, never
// break the instrument or the framer, and a request after a silence is always found.
TEST(SimFramer, RandomStreamsThenARealRequest) {
    SimBus bus = MakeBus({1, 2});
    uint32_t state = 12345;
    auto next = [&state] { return state = state * 1103515245u + 12345u, (state >> 16) & 0xFF; };
    const Bytes request = ReadRequest(2, 401, 4);
    unsigned char frame[kMaxFrame], answer[kMaxFrame];
    for (int round = 0; round < 3000; ++round) {
        RequestFramer f;
        Bytes junk(next() + next() % 3 * 256 / 2);
        for (auto &b : junk) b = static_cast<unsigned char>(next());
        if (round % 3 == 0 && junk.size() >= 12) {
            // A well-formed request for random registers in the middle of the noise.
            junk[4] = static_cast<unsigned char>(1 + round % 2);
            junk[5] = static_cast<unsigned char>(round % 4 == 0 ? 16 : 3);
            AppendCrc(junk.data() + 4, 6);
        }
        f.Push(junk.data(), static_cast<int>(junk.size()));
        int n;
        while ((n = f.Next(round % 2 == 0, frame)) > 0) {
            int a = SimHandleFrame(bus, frame, n, answer);
            ASSERT_LE(a, kMaxFrame);
            if (a > 0) {
                EXPECT_TRUE(CrcMatches(answer, a));
            }
        }
        while (f.Next(true, frame) > 0) {
        }
        f.Push(request.data(), static_cast<int>(request.size()));
        n = f.Next(false, frame);
        ASSERT_EQ(Bytes(frame, frame + n), request) << "round " << round;
    }
}

TEST(SimFault, ParsesFaultRules) {
    struct Case {
        const char *text;
        bool ok;
        size_t count;
    };
    const Case cases[] = {
        {"drop", true, 1},
        {"crc:every=3", true, 1},
        {"short:first=2,late=250:p=0.5", true, 2},
        {"", false, 0},
        {"explode", false, 0},
        {"drop:every=0", false, 0},
        {"crc=5", false, 0},
        {"late=0", false, 0},
        {"drop:p=1.5", false, 0},
        {"drop:every=2:first=1", false, 0},
        {"drop,,crc", false, 0},
    };
    for (const Case &c : cases) {
        FaultPlan plan;
        std::string error;
        EXPECT_EQ(ParseFaultRules(c.text, plan, error), c.ok) << c.text;
        EXPECT_EQ(plan.rules.size(), c.count) << c.text;
        EXPECT_EQ(error.empty(), c.ok) << c.text;
    }
}

TEST(SimFault, CountsWhichAnswersAreSpoilt) {
    struct Case {
        const char *rules;
        std::string pattern; // per request: . none, d drop, c crc, s short, l late
    };
    const Case cases[] = {
        {"drop:every=3", "..d..d..d"},
        {"crc:first=2", "cc......."},
        {"crc:first=2,drop:every=2", "cc.d.d.d."},
        {"short:p=0", "........."},
        {"late=100:p=1", "lllllllll"},
        {"drop:every=4,crc:every=2", ".c.d.c.d."},
    };
    for (const Case &c : cases) {
        FaultPlan plan;
        std::string error;
        ASSERT_TRUE(ParseFaultRules(c.rules, plan, error)) << c.rules;
        std::string got;
        for (size_t i = 0; i < c.pattern.size(); ++i) {
            int delay = 0;
            FaultKind k = NextFault(plan, &delay);
            got += ".dcsl"[static_cast<int>(k)];
            if (k == FaultKind::Late) {
                EXPECT_EQ(delay, 100);
            }
        }
        EXPECT_EQ(got, c.pattern) << c.rules;
    }
    // Random faults follow their probability and the seed.
    FaultPlan a, b;
    std::string error;
    ASSERT_TRUE(ParseFaultRules("drop:p=0.25", a, error));
    b = a;
    int drops = 0;
    for (int i = 0; i < 4000; ++i) {
        FaultKind k = NextFault(a, nullptr);
        EXPECT_EQ(k, NextFault(b, nullptr));
        drops += k == FaultKind::Drop;
    }
    EXPECT_NEAR(drops, 1000, 120);
    EXPECT_EQ(a.injected[static_cast<int>(FaultKind::Drop)], drops);
}

} // namespace
