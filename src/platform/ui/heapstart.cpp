// The heap the main window is built in, made ready in one step.
//
// Building the window fills about two megabytes of fresh heap. Each page of it is first
// touched by a fault of its own, and on virtual machines such a fault costs several
// microseconds: faults were a good part of the whole start-up. Asking the kernel for the pages
// at once costs a fraction of that.
#include "platform/ui/uiqt.h"

#include <malloc.h>
#include <sys/mman.h>
#include <unistd.h>

#include <cstdint>
#include <cstdlib>

namespace uiq {

bool PrepareHeap(size_t bytes) {
    // Blocks up to this size come from the heap, so the one below grows it; freed memory at its
    // top is kept for what follows instead of being handed back and faulted in anew.
    if (mallopt(M_MMAP_THRESHOLD, static_cast<int>(bytes + (1u << 20))) != 1 ||
        mallopt(M_TRIM_THRESHOLD, static_cast<int>(4 * bytes)) != 1)
        return false;
    auto *before = static_cast<char *>(sbrk(0));
    void *block = std::malloc(bytes);
    auto *after = static_cast<char *>(sbrk(0));
    std::free(block);
    // Only a heap that grew by the whole block is known to be the allocator's own memory: an
    // allocator of a memory checker, or one that could not grow the heap, leaves it as it is.
    if (!block || before == reinterpret_cast<char *>(-1) ||
        after - before < static_cast<long>(bytes))
        return false;
    const long page = sysconf(_SC_PAGESIZE);
    auto from = (reinterpret_cast<uintptr_t>(after) - bytes) & ~static_cast<uintptr_t>(page - 1);
    auto *start = reinterpret_cast<char *>(from);
    // Kernels before 5.14 do not know the request; the pages are then faulted in as they are used.
    return madvise(start, static_cast<size_t>(after - start), MADV_POPULATE_WRITE) == 0;
}

} // namespace uiq
