// Counts every heap allocation made while an exported function runs: the
// library must make none. malloc, calloc, realloc and operator new are
// interposed in this program and forward to the C library.
#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <new>

#include "exercise.h"

extern "C" void *__libc_malloc(size_t);
extern "C" void *__libc_calloc(size_t, size_t);
extern "C" void *__libc_realloc(void *, size_t);
extern "C" void *__libc_memalign(size_t, size_t);
extern "C" void __libc_free(void *);

namespace {

thread_local bool counting = false;
std::atomic<size_t> allocations{0};

void noteAllocation() {
    if (counting) allocations.fetch_add(1, std::memory_order_relaxed);
}

void *allocate(size_t size) {
    noteAllocation();
    void *p = __libc_malloc(size == 0 ? 1 : size);
    if (p == nullptr) std::abort();
    return p;
}

void *allocateAligned(size_t size, std::align_val_t alignment) {
    noteAllocation();
    void *p = __libc_memalign(static_cast<size_t>(alignment), size == 0 ? 1 : size);
    if (p == nullptr) std::abort();
    return p;
}

}  // namespace

extern "C" {
void *malloc(size_t size) {
    noteAllocation();
    return __libc_malloc(size);
}
void *calloc(size_t n, size_t size) {
    noteAllocation();
    return __libc_calloc(n, size);
}
void *realloc(void *p, size_t size) {
    noteAllocation();
    return __libc_realloc(p, size);
}
void free(void *p) { __libc_free(p); }
}

void *operator new(size_t size) { return allocate(size); }
void *operator new[](size_t size) { return allocate(size); }
void *operator new(size_t size, const std::nothrow_t &) noexcept { return allocate(size); }
void *operator new[](size_t size, const std::nothrow_t &) noexcept { return allocate(size); }
void *operator new(size_t size, std::align_val_t a) { return allocateAligned(size, a); }
void *operator new[](size_t size, std::align_val_t a) { return allocateAligned(size, a); }
void operator delete(void *p) noexcept { __libc_free(p); }
void operator delete[](void *p) noexcept { __libc_free(p); }
void operator delete(void *p, size_t) noexcept { __libc_free(p); }
void operator delete[](void *p, size_t) noexcept { __libc_free(p); }
void operator delete(void *p, std::align_val_t) noexcept { __libc_free(p); }
void operator delete[](void *p, std::align_val_t) noexcept { __libc_free(p); }
void operator delete(void *p, size_t, std::align_val_t) noexcept { __libc_free(p); }
void operator delete[](void *p, size_t, std::align_val_t) noexcept { __libc_free(p); }

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
