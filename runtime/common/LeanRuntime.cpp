// Linked as an object into each stub (kf_add_stub), not through an archive, so that
// its definitions replace the library's. Each keeps a piece of libstdc++ or of the C
// runtime out of every setup executable; the stubs catch std::exception at the window
// procedure and in WinMain and have no console to print to.
#include "platform/Error.h"

#include <unwind.h>
#include <windows.h>

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <exception>
#include <new>

namespace {

// The C++ ABI's __cxa_eh_globals: a thread's stack of caught exceptions and its count
// of exceptions thrown but not yet caught.
struct TEhGlobals
{
    void* CaughtExceptions;
    unsigned int UncaughtExceptions;
};

// The thread's record in a Win32 TLS slot, made on first use. It outlives the thread;
// the stubs run their code on one thread.
TEhGlobals* ThreadEhGlobals() noexcept
{
    static volatile LONG slot = LONG(TLS_OUT_OF_INDEXES);
    if (slot == LONG(TLS_OUT_OF_INDEXES))
    {
        DWORD fresh = TlsAlloc();
        if (fresh == TLS_OUT_OF_INDEXES)
            std::abort();
        if (InterlockedCompareExchange(&slot, LONG(fresh), LONG(TLS_OUT_OF_INDEXES)) != LONG(TLS_OUT_OF_INDEXES))
            TlsFree(fresh); // another thread was first
    }
    // TlsGetValue resets the thread's last error; a throw or a catch must not (libgcc's
    // TLS code keeps it too).
    DWORD lastError = GetLastError();
    auto* globals = static_cast<TEhGlobals*>(TlsGetValue(DWORD(slot)));
    if (!globals)
    {
        globals = static_cast<TEhGlobals*>(HeapAlloc(GetProcessHeap(), HEAP_ZERO_MEMORY, sizeof(TEhGlobals)));
        if (!globals || !TlsSetValue(DWORD(slot), globals))
            std::abort();
    }
    SetLastError(lastError);
    return globals;
}

// The .eh_frame section that crtbegin.o registers at start-up. libgcc's registry keeps
// a locked list of such sections and sorts each into a search table on the first throw
// (about 10 KB); a stub has the one section and throws only on errors, so a walk
// through it finds a frame's FDE well enough.
const unsigned char* gEhFrame = nullptr;

// DW_EH_PE_* values of the pointer encodings in .eh_frame.
constexpr unsigned kEncodingOmit = 0xff;
constexpr unsigned kEncodingPcRel = 0x10;

uintptr_t ReadLeb128(const unsigned char*& p, bool isSigned) noexcept
{
    uintptr_t value = 0;
    unsigned shift = 0;
    unsigned char byte;
    do
    {
        byte = *p++;
        value |= uintptr_t(byte & 0x7f) << shift;
        shift += 7;
    } while (byte & 0x80);
    if (isSigned && shift < 8 * sizeof(value) && (byte & 0x40))
        value |= ~uintptr_t(0) << shift;
    return value;
}

// One value in the given encoding: its format in the low four bits, pc-relative or
// absolute above them (the text and data bases of a registered section are zero).
const unsigned char* ReadEncoded(const unsigned char* p, unsigned encoding, uintptr_t& value) noexcept
{
    const unsigned char* field = p;
    switch (encoding & 0x0f)
    {
    case 0x01: value = ReadLeb128(p, false); break; // uleb128
    case 0x09: value = ReadLeb128(p, true); break;  // sleb128
    case 0x02: // udata2
    case 0x0a: // sdata2
    {
        uint16_t half;
        std::memcpy(&half, p, 2);
        value = encoding & 0x08 ? uintptr_t(intptr_t(int16_t(half))) : half;
        p += 2;
        break;
    }
    case 0x04: // udata8
    case 0x0c: // sdata8: the address is the low half
        std::memcpy(&value, p, sizeof(value));
        p += 8;
        break;
    default: // absptr, udata4, sdata4
        std::memcpy(&value, p, sizeof(value));
        p += sizeof(value);
        break;
    }
    if (value && (encoding & 0x70) == kEncodingPcRel)
        value += uintptr_t(field);
    return p;
}

// The encoding of the addresses in the FDEs of a CIE: its augmentation's 'R', as
// libgcc reads it.
unsigned FdeEncoding(const unsigned char* cie) noexcept
{
    unsigned char version = cie[8];
    const char* augmentation = reinterpret_cast<const char*>(cie + 9);
    const unsigned char* p = cie + 9 + std::strlen(augmentation) + 1;
    if (version >= 4)
    {
        if (p[0] != sizeof(void*) || p[1] != 0)
            return kEncodingOmit;
        p += 2;
    }
    if (*augmentation != 'z')
        return 0;
    ReadLeb128(p, false); // code alignment
    ReadLeb128(p, true);  // data alignment
    if (version == 1)
        ++p; // return address column
    else
        ReadLeb128(p, false);
    ReadLeb128(p, false); // augmentation length
    uintptr_t skipped;
    for (++augmentation;; ++augmentation)
        if (*augmentation == 'R')
            return *p;
        else if (*augmentation == 'P') // personality: its encoding and pointer
            p = ReadEncoded(p + 1, *p & 0x7f, skipped);
        else if (*augmentation == 'L' || *augmentation == 'B')
            ++p;
        else
            return 0;
}

// What libstdc++ puts before each thrown object, laid out as __cxa_refcounted_exception
// in its unwind-cxx.h: a reference count, then __cxa_exception (the type, destructor,
// handlers and catch state in eleven words, the unwinder's header last). The header's
// 16-byte alignment places the inner record at 16; eh_alloc.o adds the same 96 bytes.
struct TCxaException
{
    void* State[11];
    _Unwind_Exception Unwind;
};
struct TThrownHeader
{
    int ReferenceCount;
    TCxaException Exception;
};
static_assert(sizeof(void*) != 4 || sizeof(TThrownHeader) == 96, "libstdc++'s header is 96 bytes on i686");

// Room for thrown objects when the heap has none left, so that std::bad_alloc still
// reaches its catch; the stubs hold at most a couple at a time.
constexpr int kReserveSlots = 4;
constexpr size_t kReserveSlotSize = 256;
alignas(16) unsigned char gReserve[kReserveSlots][kReserveSlotSize];
bool gReserveTaken[kReserveSlots];

} // namespace

extern "C" {

// These replace libstdc++'s eh_alloc.o, whose emergency pool takes a mutex and with it
// libgcc's Win32 thread support (about 3 KB); the stubs run one thread.
void* __cxa_allocate_exception(size_t thrownSize) noexcept
{
    size_t size = thrownSize + sizeof(TThrownHeader);
    void* block = std::malloc(size);
    for (int i = 0; !block && size <= kReserveSlotSize && i < kReserveSlots; ++i)
        if (!gReserveTaken[i])
        {
            gReserveTaken[i] = true;
            block = gReserve[i];
        }
    if (!block)
        std::terminate();
    std::memset(block, 0, sizeof(TThrownHeader));
    return static_cast<char*>(block) + sizeof(TThrownHeader);
}

void __cxa_free_exception(void* thrown) noexcept
{
    auto* block = static_cast<unsigned char*>(thrown) - sizeof(TThrownHeader);
    for (int i = 0; i < kReserveSlots; ++i)
        if (block == gReserve[i])
        {
            gReserveTaken[i] = false;
            return;
        }
    std::free(block);
}

// What libgcc's unwinder gets with an FDE (struct dwarf_eh_bases).
struct TEhBases
{
    void* TextBase;
    void* DataBase;
    void* Function;
};

// crtbegin.o registers the section through these (declared weak there) and libgcc's
// unwinder looks a return address up with _Unwind_Find_FDE; defining all three keeps
// libgcc's unwind-dw2-fde.o out.
__attribute__((used)) void __register_frame_info(const void* begin, void*) noexcept
{
    gEhFrame = static_cast<const unsigned char*>(begin);
}

__attribute__((used)) void* __deregister_frame_info(const void* begin) noexcept
{
    if (begin == gEhFrame)
        gEhFrame = nullptr;
    return nullptr;
}

__attribute__((used)) const void* _Unwind_Find_FDE(void* pc, TEhBases* bases) noexcept
{
    const unsigned char* record = gEhFrame;
    if (!record)
        return nullptr;
    // Records up to the zero length word crtend.o puts at the end: CIEs (an id of zero)
    // and FDEs, whose id is the distance back to their CIE.
    for (uint32_t length; std::memcpy(&length, record, 4), length != 0; record += 4 + length)
    {
        uint32_t cieDistance;
        std::memcpy(&cieDistance, record + 4, 4);
        if (cieDistance == 0)
            continue;
        unsigned encoding = FdeEncoding(record + 4 - cieDistance);
        if (encoding == kEncodingOmit)
            continue;
        uintptr_t begin, range;
        ReadEncoded(ReadEncoded(record + 8, encoding, begin), encoding & 0x0f, range);
        // A zero start marks the FDE of a function the linker dropped.
        if (begin && uintptr_t(pc) - begin < range)
        {
            bases->TextBase = nullptr;
            bases->DataBase = nullptr;
            bases->Function = reinterpret_cast<void*>(begin);
            return record;
        }
    }
    return nullptr;
}

// MinGW's start-up code applies the pseudo relocations that ld writes when code reads
// data a DLL exports without declaring it imported (auto-import). The stubs link with
// --disable-auto-import (kf_add_stub), so ld refuses such code and there are none to
// apply; the relocator and its error reporting (about 3 KB) stay out.
void _pei386_runtime_relocator() {}

_Unwind_Reason_Code __gxx_personality_v0(int version, _Unwind_Action actions, _Unwind_Exception_Class exceptionClass,
                                         _Unwind_Exception* exception, _Unwind_Context* context);

// With LTO, GCC gives the C personality routine to the functions that have no
// personality of their own from the compiler (here: functions holding only
// cleanups), and so links libgcc's C routine (about 1.5 KB) next to the C++ one. Both
// read the same tables; the C++ routine runs cleanups as the C one does, and catch
// clauses and noexcept boundaries correctly too. "used": the references appear
// only in LTO's output, after it would otherwise have dropped this definition.
__attribute__((used)) _Unwind_Reason_Code __gcc_personality_v0(int version, _Unwind_Action actions,
                                                               _Unwind_Exception_Class exceptionClass,
                                                               _Unwind_Exception* exception, _Unwind_Context* context)
{
    return __gxx_personality_v0(version, actions, exceptionClass, exception, context);
}

// crt2.o names MinGW's _matherr, which reports math errors with fprintf to stderr. The
// start-up code installs it only when _MINGW_INSTALL_DEBUG_MATHERR asks for it, which a
// stub never does; this one keeps the unused printing out.
struct _exception;
__attribute__((used)) int _matherr(struct _exception*) { return 0; }

// libstdc++ keeps the record in emulated thread-local storage, which brings libgcc's
// emutls (about 1.5 KB) along.
TEhGlobals* __cxa_get_globals() noexcept { return ThreadEhGlobals(); }
TEhGlobals* __cxa_get_globals_fast() noexcept { return ThreadEhGlobals(); }

} // extern "C"

namespace __gnu_cxx {

// GCC's default handler prints the type of the uncaught exception and with it pulls
// in the C++ demangler, about 46 KB.
void __verbose_terminate_handler() { std::abort(); }

} // namespace __gnu_cxx

// These replace libstdc++'s functexcept.o. It raises std::length_error and friends,
// whose constructors live with the old copy-on-write string and drag about 45 KB in
// (cow-stdexcept, cow-string-inst, random_device). A kf::TError with the same message
// serves a stub just as well.
namespace std {

void __throw_bad_alloc() { throw bad_alloc(); }
void __throw_bad_array_new_length() { throw bad_array_new_length(); }
void __throw_length_error(const char* what) { throw kf::TError(what); }
void __throw_logic_error(const char* what) { throw kf::TError(what); }
void __throw_out_of_range(const char* what) { throw kf::TError(what); }
void __throw_invalid_argument(const char* what) { throw kf::TError(what); }
void __throw_bad_function_call() { throw kf::TError("bad function call"); }
// The formatted variant only adds the offending index to the text.
void __throw_out_of_range_fmt(const char* what, ...) { throw kf::TError(what); }

} // namespace std
