// Linked as an object into each stub (kf_add_stub), not through an archive, so that
// its definitions replace the library's. Each keeps a piece of libstdc++ or of the C
// runtime out of every setup executable; the stubs catch std::exception at the window
// procedure and in WinMain and have no console to print to.
#include "platform/Error.h"

#include <unwind.h>
#include <windows.h>

#include <cstdlib>
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

} // namespace

extern "C" {

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
