// Finding the package inside a host file (a setup executable): the stub, the archive,
// the 4-byte trailer holding the archive's base offset, and, once the setup has been
// signed, the signature behind them.
//
// Authenticode signing pads the file with 0-7 zero bytes to an 8-byte boundary,
// appends a table of WIN_CERTIFICATE records, points the PE security directory (data
// directory 4) at it and rewrites the PE checksum. Removing the signature drops the
// table and clears the directory but leaves the padding.
//
// Which bytes a setup trusts: the signature covers every byte of the file but the
// checksum field, the security directory entry and the certificate table, so only the
// bytes in front of the table are the vendor's. Windows does not check that the table
// is what the directory claims: anyone can grow the directory over bytes appended to
// a signed file, or append bytes behind the table, and the signature still verifies.
// So a file with a security directory is read strictly, and anything not exactly as a
// signer leaves it is a damaged setup, never an unsigned one.
//
// The rule every trailer-mode reader uses (LocatePackage; the stub, kftool verify,
// list and the others):
//  1. A PE image whose security directory is set (offset or size not 0) must have a
//     well-formed table: offset a multiple of 8 and not inside the image, offset +
//     size the file's size, records (length >= 8, revision 1.0 or 2.0, each on an
//     8-byte boundary, zero bytes up to the next boundary) that end exactly there.
//     The logical end E is the table's start. Otherwise E is the file's size.
//  2. Trailer candidates end at E, or after p = 1..7 zero bytes before an 8-byte
//     aligned E. A candidate is accepted only when its value equals the end of the PE
//     image in front of it (the largest end of a section's raw data, or the size of
//     the headers) and lies before the candidate: the builder writes the package
//     straight behind a stub without overlay, and a trailer read from the wrong place
//     (a shifted little-endian value) cannot equal that number by accident.
//  3. A file with a security directory that fails 1 or 2 has a Problem and no
//     package. Any other file (no PE image, or no security directory: an unsigned
//     setup, or one whose signature was removed) reads the 4 bytes before E as the
//     trailer, unchecked, when no candidate fits: for an unsigned file that is exactly
//     the reading of old (the last 4 bytes), so a sound unsigned setup and every
//     damaged one read as before; the chain check then tells the damage.
#pragma once

#include "platform/File.h"

#include <cstdint>

namespace kf {

struct TPackageLocation
{
    int32_t BaseOffset = 0;    // the trailer's value: where the first header begins
    int64_t TrailerOffset = 0; // where the trailer begins; the archive ends here
    int64_t LogicalEnd = 0;    // the certificate table's start, else the file's size
    bool Signed = false;       // a well-formed certificate table ends the file
    // Not null when the file has a security directory the rule refuses: why, in a few
    // words. Such a file is damaged and the other fields mean nothing.
    const char* Problem = nullptr;
};

// Applies the rule above to file; the one reader of the security directory. Raises the I/O error of the trailer's read when the
// file is shorter than 4 bytes (a move to a negative position).
TPackageLocation LocatePackage(TFile& file);

// True when file is a PE image whose checksum field is not 0 and matches the file's
// checksum (the one IMAGEHLP computes: 16-bit one's-complement sum over the whole file
// with the field taken as 0, plus the file's length). Signing tools set it over the
// finished file, so a changed byte anywhere, the package included, shows without
// verifying the signature. Reads the whole file; raises the I/O error of a read.
bool PeChecksumMatches(TFile& file);

} // namespace kf
