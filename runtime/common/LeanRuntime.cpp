// Linked as an object into each stub (kf_add_stub), not through an archive, so that
// its definitions replace the library's. Each keeps a large piece of libstdc++ out of
// every setup executable; the stubs catch std::exception at the window procedure and
// in WinMain and have no console to print to.
#include "platform/Error.h"

#include <cstdlib>
#include <new>

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
