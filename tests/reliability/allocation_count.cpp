// Counts every heap allocation made while an exported function runs: the
// library must make none. malloc, calloc, realloc and
// operator new are interposed in this program and forward to the C library.
#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>

#include "exercise.h"

extern "C" void *__libc_malloc(size_t);
extern "C" void *__libc_calloc(size_t, size_t);
extern "C" void *__libc_realloc(void *, size_t);
extern "C" void __libc_free(void *);

namespace {

thread_local bool counting = false;
std::atomic<size_t> allocations{0};

void noteAllocation() {
    if (counting) allocations.fetch_add(1, std::memory_order_relaxed);
}

}  // namespace

extern "C" {
void *malloc(size_t size) { return noteAllocation(), __libc_malloc(size); }
void *calloc(size_t n, size_t size) { return noteAllocation(), __libc_calloc(n, size); }
void *realloc(void *p, size_t size) { return noteAllocation(), __libc_realloc(p, size); }
void free(void *p) { __libc_free(p); }
}

// The array and nothrow forms of new and delete call these.
void *operator new(size_t size) {
    void *p = malloc(size == 0 ? 1 : size);
    if (p == nullptr) std::abort();
    return p;
}
void operator delete(void *p) noexcept { __libc_free(p); }
void operator delete(void *p, size_t) noexcept { __libc_free(p); }

namespace {

TEST(ZeroAllocation, CounterSeesAllocations) {
    counting = true;
    void *p = std::malloc(16);
    int *q = new int(3);
    counting = false;
    std::free(p);
    delete q;
    EXPECT_EQ(allocations.exchange(0), 2u);
}

TEST(ZeroAllocation, NoExportedFunctionAllocates) {
    reliability::Hooks hooks;
    hooks.before = [] { counting = true; };
    hooks.after = [] { counting = false; };
    const size_t calls = reliability::exerciseLibrary(hooks);
    std::printf("%zu library calls, %zu allocations\n", calls, allocations.load());
    EXPECT_GT(calls, 1000u);
    EXPECT_EQ(allocations.load(), 0u);
}

}  // namespace
