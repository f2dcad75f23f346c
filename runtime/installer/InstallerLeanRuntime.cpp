// Linked as an object into the installer stub so that it replaces libstdc++'s
// functexcept.o. That object raises std::length_error and friends, whose constructors
// live with the old copy-on-write string and drag about 45 KB into every setup
// executable (cow-stdexcept, cow-string-inst, random_device). The stub catches
// std::exception only, so a kf::TError with the same message serves it just as well.
#include "platform/Error.h"

#include <new>

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

// The stub only ever reads packages, but the package code it shares with the builder
// also holds the compressor, and zlib's deflate, trees and their tables (about 33 KB)
// would follow it in. These stand-ins report that deflate cannot be initialised,
// which the package code already handles, and keep zlib's deflate.o out.
#include <zlib.h>

extern "C" {

int ZEXPORT deflateInit2_(z_streamp, int, int, int, int, int, const char*, int) { return Z_STREAM_ERROR; }
int ZEXPORT deflateInit_(z_streamp, int, const char*, int) { return Z_STREAM_ERROR; }
int ZEXPORT deflate(z_streamp, int) { return Z_STREAM_ERROR; }
int ZEXPORT deflateEnd(z_streamp) { return Z_STREAM_ERROR; }

} // extern "C"
