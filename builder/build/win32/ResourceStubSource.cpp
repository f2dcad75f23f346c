#include "builder/build/StubSource.h"

#include "platform/Error.h"

#include <windows.h>

namespace kf {

std::string_view TResourceStubSource::Stub(TStubKind kind)
{
    const char* name = StubResourceName(kind);
    HMODULE module = static_cast<HMODULE>(FModule);
    // MAKEINTRESOURCEA(10) is RT_RCDATA in its single-byte form.
    HRSRC info = FindResourceA(module, name, MAKEINTRESOURCEA(10));
    HGLOBAL handle = info ? LoadResource(module, info) : nullptr;
    const void* data = handle ? LockResource(handle) : nullptr;
    if (!data)
        throw TError(std::string("Resource ") + name + " not found");
    return std::string_view(static_cast<const char*>(data), SizeofResource(module, info));
}

} // namespace kf
