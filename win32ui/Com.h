// COM interfaces and the apartment of the calling thread.
#pragma once

#include "win32ui/Handle.h"

#include <objbase.h>

namespace kf::ui {

template <class T> struct TComKind
{
    using Type = T*;
    static Type Invalid() { return nullptr; }
    static void Release(Type object) { object->Release(); }
};

template <class T> class TComPtr : public TOwned<TComKind<T>>
{
public:
    T* operator->() const { return this->Get(); }
    // For CoCreateInstance / QueryInterface out parameters.
    void** ReceiveVoid() { return reinterpret_cast<void**>(this->Receive()); }
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

} // namespace kf::ui
