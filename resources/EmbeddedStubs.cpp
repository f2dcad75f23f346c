#include "resources/EmbeddedStubs.h"

#ifndef _WIN32
#include "platform/Error.h"
#endif

namespace kf {

#ifdef _WIN32

TStubSource& EmbeddedStubs()
{
    static TResourceStubSource source;
    return source;
}

#else

// The files are pulled in by the assembler, so no generated source holds them as text.
// The build passes their paths and rebuilds this file when they change.
#define KF_INCBIN(symbol, path)                                                                \
    __asm__(".section .rodata\n"                                                               \
            ".balign 16\n"                                                                     \
            ".globl " #symbol "_begin\n" #symbol "_begin:\n"                                   \
            ".incbin \"" path "\"\n"                                                           \
            ".globl " #symbol "_end\n" #symbol "_end:\n"                                       \
            ".previous\n")

KF_INCBIN(kf_installer_stub, KF_INSTALLER_STUB_PATH);
KF_INCBIN(kf_uninstaller_stub, KF_UNINSTALLER_STUB_PATH);

extern "C" const char kf_installer_stub_begin[], kf_installer_stub_end[];
extern "C" const char kf_uninstaller_stub_begin[], kf_uninstaller_stub_end[];

namespace {

class TLinkedStubSource : public TStubSource
{
public:
    std::string_view Stub(TStubKind kind) override
    {
        const char* begin = kind == TStubKind::Installer ? kf_installer_stub_begin : kf_uninstaller_stub_begin;
        const char* end = kind == TStubKind::Installer ? kf_installer_stub_end : kf_uninstaller_stub_end;
        if (end <= begin)
            throw TError(std::string("Resource ") + StubResourceName(kind) + " not found");
        return std::string_view(begin, static_cast<size_t>(end - begin));
    }
};

} // namespace

TStubSource& EmbeddedStubs()
{
    static TLinkedStubSource source;
    return source;
}

#endif

} // namespace kf
