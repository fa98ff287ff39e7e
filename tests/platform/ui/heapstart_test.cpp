// The heap made ready ahead of the window: what is built in it afterwards finds its pages
// there, without a fault for each, and the memory is the allocator's to use as usual.
#include "platform/ui/uiqt.h"

#include <gtest/gtest.h>

#include <sys/resource.h>

#include <cstring>
#include <vector>

namespace {

long MinorFaults() {
    struct rusage u {};
    getrusage(RUSAGE_SELF, &u);
    return u.ru_minflt;
}

TEST(HeapStart, WhatIsBuiltAfterwardsFindsItsPagesReady) {
#if defined(__SANITIZE_ADDRESS__)
    GTEST_SKIP() << "the memory checker's allocator has no heap of its own to prepare";
#endif
    const size_t prepared = 2u << 20;
    ASSERT_TRUE(uiq::PrepareHeap(prepared)) << "kernel or allocator refused: " << strerror(errno);

    // Much as a window is built: many small blocks, each written, a megabyte and a half.
    const long before = MinorFaults();
    std::vector<char *> blocks;
    blocks.reserve(3000);
    for (int i = 0; i < 3000; ++i) {
        char *b = new char[500];
        std::memset(b, i & 0xFF, 500);
        blocks.push_back(b);
    }
    const long faults = MinorFaults() - before;
    // Unprepared, these blocks take about 370 pages, each faulted in on its own.
    EXPECT_LT(faults, 40);
    for (int i = 0; i < 3000; ++i) {
        ASSERT_EQ(blocks[i][0], static_cast<char>(i & 0xFF));
        ASSERT_EQ(blocks[i][499], static_cast<char>(i & 0xFF));
        delete[] blocks[i];
    }
}

} // namespace
