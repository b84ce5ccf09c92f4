#pragma once

#include <cstdint>
#include <utility>

namespace platform {

// Owns one system handle (a descriptor, or a HANDLE held as an integer; -1 is none): move-only,
// given to Close when it goes or is replaced.
template <bool (*Close)(std::intptr_t)> class UniqueHandle {
public:
    static constexpr std::intptr_t kInvalid = -1;

    UniqueHandle() = default;
    explicit UniqueHandle(std::intptr_t handle) : handle_(handle) {}
    UniqueHandle(UniqueHandle&& other) noexcept : handle_(other.Release()) {}
    UniqueHandle& operator=(UniqueHandle&& other) noexcept
    {
        if (this != &other) Reset(other.Release());
        return *this;
    }
    ~UniqueHandle() { Reset(); }

    bool IsValid() const { return handle_ != kInvalid; }
    std::intptr_t Get() const { return handle_; }
    // Gives the handle up unclosed (to close it oneself and see the system's result).
    std::intptr_t Release() { return std::exchange(handle_, kInvalid); }
    // Closes the handle held, if any, and holds handle instead.
    void Reset(std::intptr_t handle = kInvalid)
    {
        if (handle_ != kInvalid) Close(handle_);
        handle_ = handle;
    }

private:
    std::intptr_t handle_ = kInvalid;
};

// The system's close of a file, folder or lock handle; false when it reported a failure.
bool CloseSystemHandle(std::intptr_t handle);
using SystemHandle = UniqueHandle<CloseSystemHandle>;

} // namespace platform
