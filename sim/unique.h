// Owns one handle of the system and closes it exactly once, when the owner
// goes, on every path. Not copyable; movable.
#pragma once

template <typename Handle, auto Close, Handle Empty = Handle{}>
class Unique {
public:
    Unique() = default;
    explicit Unique(Handle handle) : handle_(handle) {}
    ~Unique() { Reset(); }
    Unique(const Unique&) = delete;
    Unique& operator=(const Unique&) = delete;
    Unique(Unique&& other) noexcept : handle_(other.Release()) {}
    Unique& operator=(Unique&& other) noexcept {
        if (this != &other) Reset(other.Release());
        return *this;
    }

    Handle Get() const { return handle_; }
    explicit operator bool() const { return handle_ != Empty; }
    Handle Release() {
        Handle handle = handle_;
        handle_ = Empty;
        return handle;
    }
    void Reset(Handle handle = Empty) {
        if (handle_ != Empty) Close(handle_);
        handle_ = handle;
    }

private:
    Handle handle_ = Empty;
};
