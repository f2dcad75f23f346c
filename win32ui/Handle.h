// Owners of Win32 handles, one release per kind. An owner is non-copyable, movable,
// releases what it holds in its destructor, and can Attach/Detach; a borrowed handle
// (a plain HWND of a control the window owns) needs no wrapper.
#pragma once

#include <windows.h>

#include <utility>

namespace kf::ui {

// Kind: Type, Invalid() and Release(Type) of one sort of handle.
template <class Kind> class TOwned
{
public:
    using T = typename Kind::Type;

    TOwned() = default;
    explicit TOwned(T value) : FValue(value) {}
    ~TOwned() { Reset(); }
    TOwned(const TOwned&) = delete;
    TOwned& operator=(const TOwned&) = delete;
    TOwned(TOwned&& other) noexcept : FValue(other.Detach()) {}
    TOwned& operator=(TOwned&& other) noexcept
    {
        if (this != &other)
            Reset(other.Detach());
        return *this;
    }

    T Get() const { return FValue; }
    bool Valid() const { return FValue != Kind::Invalid(); }
    explicit operator bool() const { return Valid(); }
    void Reset(T value = Kind::Invalid())
    {
        if (FValue != Kind::Invalid())
            Kind::Release(FValue);
        FValue = value;
    }
    void Attach(T value) { Reset(value); }
    T Detach() { return std::exchange(FValue, Kind::Invalid()); }
    // For out parameters (RegOpenKeyExA and the like); releases what was held first.
    T* Receive()
    {
        Reset();
        return &FValue;
    }

private:
    T FValue = Kind::Invalid();
};

// Processes, threads, events: a null handle means none.
struct TKernelKind
{
    using Type = HANDLE;
    static Type Invalid() { return nullptr; }
    static void Release(Type handle) { CloseHandle(handle); }
};

// CreateFile signals failure with INVALID_HANDLE_VALUE, not with a null handle.
struct TFileKind
{
    using Type = HANDLE;
    static Type Invalid() { return INVALID_HANDLE_VALUE; }
    static void Release(Type handle) { CloseHandle(handle); }
};

struct TRegKeyKind
{
    using Type = HKEY;
    static Type Invalid() { return nullptr; }
    static void Release(Type key) { RegCloseKey(key); }
};

using THandle = TOwned<TKernelKind>;
using TFileHandle = TOwned<TFileKind>;
using TRegKey = TOwned<TRegKeyKind>;

} // namespace kf::ui
