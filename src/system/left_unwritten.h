#pragma once
#include <memory>
#include <new>
#include <utility>

namespace vellacor {

// An allocator under which a vector's resize leaves the new elements of a
// trivial type unwritten instead of zeroing them. A big array that several
// cores fill at once then has its fresh pages brought in by the core that
// first writes each part, not all by the one thread that resized it.
template <class T>
struct LeftUnwritten : std::allocator<T> {
    using value_type = T;
    LeftUnwritten() = default;
    template <class U>
    LeftUnwritten(const LeftUnwritten<U>&) noexcept {}
    template <class U>
    struct rebind {
        using other = LeftUnwritten<U>;
    };
    template <class U, class... Args>
    void construct(U* at, Args&&... args) {
        if constexpr (sizeof...(Args) == 0)
            ::new (static_cast<void*>(at)) U;
        else
            ::new (static_cast<void*>(at)) U(std::forward<Args>(args)...);
    }
};

}  // namespace vellacor
