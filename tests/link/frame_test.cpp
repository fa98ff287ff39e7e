// Frame building, address rules and the block conversions, without any I/O.
#include <cstdint>
#include <cstring>
#include <gtest/gtest.h>
#include <vector>

#include "link/frame.h"
#include "link/linksettings.h"

namespace {

std::vector<unsigned char> Bytes(const unsigned char *p, int n) {
    return {p, p + n};
}

TEST(Frame, ReadRequestMatchesTheWorkedBytes) {
    unsigned char f[8];
    ASSERT_EQ(BuildReadFrame(f, 1, 99, 66), 8);
    EXPECT_EQ(Bytes(f, 8),
              (std::vector<unsigned char>{0x01, 0x03, 0x00, 0x63, 0x00, 0x42, 0x35, 0xE5}));
    // The textbook request "read one register from 0 at unit 1".
    BuildReadFrame(f, 1, 0, 1);
    EXPECT_EQ(f[6], 0x84);
    EXPECT_EQ(f[7], 0x0A);
}

TEST(Frame, ProbeAndWriteRequests) {
    unsigned char f[32];
    ASSERT_EQ(BuildDiagnoseFrame(f, 255), 8);
    EXPECT_EQ(Bytes(f, 8),
              (std::vector<unsigned char>{0xFF, 0x08, 0x00, 0x00, 0xAA, 0x55, 0x4B, 0x4A}));

    const unsigned char data[4] = {0x12, 0x34, 0x56, 0x78};
    ASSERT_EQ(BuildWriteFrame(f, 17, 537, 2, data, 4), 13);
    EXPECT_EQ(Bytes(f, 11), (std::vector<unsigned char>{17, 16, 0x02, 0x19, 0x00, 0x02, 4, 0x12,
                                                        0x34, 0x56, 0x78}));
}

TEST(Frame, AddressByteFollowsTheConnectionType) {
    struct Case {
        int commType, deviceAddr, broadcast, expected;
    } cases[] = {
        {0, 17, 0, 255},  {0, 17, 1, 255},     // direct: always 255, broadcasts included
        {1, 17, 0, 17},   {1, 17, 1, 0},       // bus: the instrument, or everyone
        {1, 247, 0, 247}, {1, 0x1F7, 0, 0xF7}, // only the low byte travels
    };
    int savedType = CommType, savedAddr = DeviceAddr;
    for (const Case &c : cases) {
        CommType = c.commType;
        DeviceAddr = c.deviceAddr;
        EXPECT_EQ(RequestAddress(c.broadcast), c.expected)
            << "type " << c.commType << " addr " << c.deviceAddr << " bc " << c.broadcast;
    }
    CommType = savedType;
    DeviceAddr = savedAddr;
}

TEST(Conversion, ThirtyTwoBitValuesTravelLowHalfFirst) {
    struct Case {
        uint32_t value;
        unsigned char wire[4];
    } cases[] = {
        {0x11223344u, {0x33, 0x44, 0x11, 0x22}},
        {0x3F800000u, {0x00, 0x00, 0x3F, 0x80}}, // 1.0f
        {0x0000FFFFu, {0xFF, 0xFF, 0x00, 0x00}},
    };
    for (const Case &c : cases) {
        unsigned char b[4];
        std::memcpy(b, &c.value, 4);
        ConvertBlock(b, 4, kConvLongs);
        EXPECT_EQ(Bytes(b, 4), Bytes(c.wire, 4)) << std::hex << c.value;
        ConvertBlock(b, 4, kConvLongs);
        uint32_t back;
        std::memcpy(&back, b, 4);
        EXPECT_EQ(back, c.value);
    }
}

} // namespace
