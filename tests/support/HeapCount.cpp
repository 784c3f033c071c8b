#include "tests/support/HeapCount.h"

#include <malloc.h>

#include <atomic>
#include <cstdlib>
#include <new>

namespace mechanon::testing {
namespace {

std::atomic<std::size_t> inUse{0};
std::atomic<std::size_t> peak{0};

void* Counted(void* p) {
    if (!p) return p;
    const std::size_t size = malloc_usable_size(p);
    const std::size_t now = inUse.fetch_add(size) + size;
    std::size_t seen = peak.load();
    while (now > seen && !peak.compare_exchange_weak(seen, now)) {
    }
    return p;
}

void* Allocate(std::size_t size) {
    void* p = Counted(std::malloc(size == 0 ? 1 : size));
    if (!p) throw std::bad_alloc();
    return p;
}

void* AllocateAligned(std::size_t size, std::align_val_t align) {
    const auto a = static_cast<std::size_t>(align);
    void* p = Counted(std::aligned_alloc(a, (size + a - 1) / a * a));
    if (!p) throw std::bad_alloc();
    return p;
}

void Release(void* p) noexcept {
    if (!p) return;
    inUse.fetch_sub(malloc_usable_size(p));
    std::free(p);
}

}  // namespace

std::size_t HeapInUse() {
    return inUse.load();
}

std::size_t HeapPeak() {
    return peak.load();
}

void ResetHeapPeak() {
    peak.store(inUse.load());
}

}  // namespace mechanon::testing

using mechanon::testing::Allocate;
using mechanon::testing::AllocateAligned;
using mechanon::testing::Release;

void* operator new(std::size_t size) {
    return Allocate(size);
}
void* operator new[](std::size_t size) {
    return Allocate(size);
}
void* operator new(std::size_t size, const std::nothrow_t&) noexcept {
    try {
        return Allocate(size);
    } catch (const std::bad_alloc&) {
        return nullptr;
    }
}
void* operator new[](std::size_t size, const std::nothrow_t& tag) noexcept {
    return operator new(size, tag);
}
void* operator new(std::size_t size, std::align_val_t align) {
    return AllocateAligned(size, align);
}
void* operator new[](std::size_t size, std::align_val_t align) {
    return AllocateAligned(size, align);
}
void operator delete(void* p) noexcept {
    Release(p);
}
void operator delete[](void* p) noexcept {
    Release(p);
}
void operator delete(void* p, std::size_t) noexcept {
    Release(p);
}
void operator delete[](void* p, std::size_t) noexcept {
    Release(p);
}
void operator delete(void* p, std::align_val_t) noexcept {
    Release(p);
}
void operator delete[](void* p, std::align_val_t) noexcept {
    Release(p);
}
void operator delete(void* p, std::size_t, std::align_val_t) noexcept {
    Release(p);
}
void operator delete[](void* p, std::size_t, std::align_val_t) noexcept {
    Release(p);
}
