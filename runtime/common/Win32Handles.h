// Owning wrappers for the Win32 objects the runtime programs acquire: kernel handles,
// registry keys, GDI objects, COM interfaces and the COM apartment. Each is
// non-copyable, movable, and releases what it holds in its destructor; Detach hands
// ownership back to the caller. Windows-only by nature.
#pragma once

#include <windows.h>
#include <objbase.h>

#include <utility>

namespace kf {

// Releases a value of type T with Close when it differs from Invalid.
template <typename T, T Invalid, BOOL(WINAPI* Close)(T)>
class TOwned
{
public:
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
    bool Valid() const { return FValue != Invalid; }
    void Reset(T value = Invalid)
    {
        if (FValue != Invalid)
            Close(FValue);
        FValue = value;
    }
    T Detach() { return std::exchange(FValue, Invalid); }

private:
    T FValue = Invalid;
};

// CreateFile and friends signal failure with INVALID_HANDLE_VALUE, processes and
// threads with a null handle; one wrapper each keeps the test honest.
using THandle = TOwned<HANDLE, nullptr, CloseHandle>;

class TFileHandle
{
public:
    TFileHandle() = default;
    explicit TFileHandle(HANDLE handle) : FHandle(handle) {}
    ~TFileHandle() { Reset(); }
    TFileHandle(const TFileHandle&) = delete;
    TFileHandle& operator=(const TFileHandle&) = delete;
    HANDLE Get() const { return FHandle; }
    bool Valid() const { return FHandle != INVALID_HANDLE_VALUE; }
    void Reset(HANDLE handle = INVALID_HANDLE_VALUE)
    {
        if (FHandle != INVALID_HANDLE_VALUE)
            CloseHandle(FHandle);
        FHandle = handle;
    }

private:
    HANDLE FHandle = INVALID_HANDLE_VALUE;
};

class TRegKey
{
public:
    TRegKey() = default;
    ~TRegKey() { Reset(); }
    TRegKey(const TRegKey&) = delete;
    TRegKey& operator=(const TRegKey&) = delete;

    HKEY Get() const { return FKey; }
    bool Valid() const { return FKey != nullptr; }
    // For Reg*Ex out parameters; closes what was held first.
    HKEY* Receive()
    {
        Reset();
        return &FKey;
    }
    void Reset()
    {
        if (FKey)
            RegCloseKey(FKey);
        FKey = nullptr;
    }

private:
    HKEY FKey = nullptr;
};

// Fonts, brushes, bitmaps: anything DeleteObject frees.
template <typename T>
class TGdiObject
{
public:
    TGdiObject() = default;
    explicit TGdiObject(T object) : FObject(object) {}
    ~TGdiObject() { Reset(); }
    TGdiObject(const TGdiObject&) = delete;
    TGdiObject& operator=(const TGdiObject&) = delete;
    T Get() const { return FObject; }
    void Reset(T object = nullptr)
    {
        if (FObject)
            DeleteObject(FObject);
        FObject = object;
    }

private:
    T FObject = nullptr;
};

template <typename T>
class TComPtr
{
public:
    TComPtr() = default;
    ~TComPtr() { Reset(); }
    TComPtr(const TComPtr&) = delete;
    TComPtr& operator=(const TComPtr&) = delete;

    T* Get() const { return FPtr; }
    T* operator->() const { return FPtr; }
    explicit operator bool() const { return FPtr != nullptr; }
    // For CoCreateInstance / QueryInterface out parameters.
    void** ReceiveVoid()
    {
        Reset();
        return reinterpret_cast<void**>(&FPtr);
    }
    void Reset()
    {
        if (FPtr)
            FPtr->Release();
        FPtr = nullptr;
    }

private:
    T* FPtr = nullptr;
};

// CoInitialize for the lifetime of the object. A thread that is already initialised
// gets S_FALSE, which must be balanced by CoUninitialize all the same.
class TComApartment
{
public:
    TComApartment() : FResult(CoInitialize(nullptr)) {}
    ~TComApartment()
    {
        if (SUCCEEDED(FResult))
            CoUninitialize();
    }
    TComApartment(const TComApartment&) = delete;
    TComApartment& operator=(const TComApartment&) = delete;
    bool Ok() const { return SUCCEEDED(FResult); }

private:
    HRESULT FResult;
};

} // namespace kf
