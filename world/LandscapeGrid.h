// The landscape's large grids (4 to 12 MB each, made anew for every race):
// a resize leaves new elements unset, since the map load writes every one
// and filling 36 MB first only to overwrite it costs the load as much as
// computing the normals; whoever wants zeroes says so (assign).
#pragma once

#include <cstddef>
#include <memory>
#include <new>
#include <utility>
#include <vector>

template <class T> struct LandscapeGridAllocator
{
    using value_type = T;
    LandscapeGridAllocator() = default;
    template <class U> LandscapeGridAllocator(const LandscapeGridAllocator<U>&) noexcept {}

    T* allocate(size_t count) { return std::allocator<T>().allocate(count); }
    void deallocate(T* memory, size_t count) noexcept { std::allocator<T>().deallocate(memory, count); }

    template <class U> void construct(U* at) noexcept { ::new (static_cast<void*>(at)) U; }
    template <class U, class... Args> void construct(U* at, Args&&... args)
    {
        ::new (static_cast<void*>(at)) U(std::forward<Args>(args)...);
    }

    template <class U> bool operator==(const LandscapeGridAllocator<U>&) const noexcept { return true; }
    template <class U> bool operator!=(const LandscapeGridAllocator<U>&) const noexcept { return false; }
};

template <class T> using LandscapeGrid = std::vector<T, LandscapeGridAllocator<T>>;
