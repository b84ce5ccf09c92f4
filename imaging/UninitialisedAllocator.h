#pragma once

#include <cstddef>
#include <memory>
#include <new>
#include <utility>

// Allocates as std::allocator does, but a vector that grows leaves its new bytes uninitialised,
// so bytes about to be overwritten by a file or a write are not zeroed first.
template <class T> struct UninitialisedAllocator {
    using value_type = T;
    UninitialisedAllocator() = default;
    template <class U> UninitialisedAllocator(const UninitialisedAllocator<U>&) noexcept {}
    T* allocate(std::size_t n) { return std::allocator<T>{}.allocate(n); }
    void deallocate(T* p, std::size_t n) noexcept { std::allocator<T>{}.deallocate(p, n); }
    template <class U> void construct(U* p) noexcept { ::new (static_cast<void*>(p)) U; }
    template <class U, class... A> void construct(U* p, A&&... a)
    {
        ::new (static_cast<void*>(p)) U(std::forward<A>(a)...);
    }
    friend bool operator==(const UninitialisedAllocator&, const UninitialisedAllocator&)
    {
        return true;
    }
};
