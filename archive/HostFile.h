// Finding the package inside a host file (a setup executable): the stub, the archive,
// the 4-byte trailer holding the archive's base offset, and, once the setup has been
// signed, the signature behind them.
//
// Authenticode signing pads the file with 0-7 zero bytes to an 8-byte boundary,
// appends a table of WIN_CERTIFICATE records, points the PE security directory (data
// directory 4) at it and rewrites the PE checksum. Removing the signature drops the
// table and clears the directory but leaves the padding. Windows treats bytes inside
// or after the table as unsigned, so nothing is ever read from there.
//
// The rule every trailer-mode reader uses (LocatePackage):
//  1. The logical end E is the start of the certificate table when the security
//     directory is well-formed: the file is a PE image, the directory's size is not
//     0, its offset is a multiple of 8 and not inside the image, offset + size is
//     the file's size, and the table's records (length >= 8, revision 1.0 or 2.0,
//     each starting on an 8-byte boundary) fill it. Otherwise E is the file's size.
//  2. Trailer candidates end at E, or after p = 1..7 zero bytes before an 8-byte
//     aligned E. A candidate is accepted only when its value equals the end of the PE
//     image in front of it (the largest end of a section's raw data, or the size of
//     the headers) and lies before the candidate: the builder writes the package
//     straight behind a stub without overlay, and a trailer read from the wrong place
//     (a shifted little-endian value) cannot equal that number by accident.
//  3. When no candidate fits, the 4 bytes before E are the trailer, unchecked. For an
//     unsigned file that is exactly the reading of old (the last 4 bytes), so a sound
//     unsigned setup and every damaged one read as before; the chain check then
//     tells the damage.
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
};

// Applies the rule above to file. Raises the I/O error of the trailer's read when the
// file is shorter than 4 bytes (a move to a negative position).
TPackageLocation LocatePackage(TFile& file);

// True when file is a PE image whose checksum field is not 0 and matches the file's
// checksum (the one IMAGEHLP computes: 16-bit one's-complement sum over the whole file
// with the field taken as 0, plus the file's length). Signing tools set it over the
// finished file, so a changed byte anywhere, the package included, shows without
// verifying the signature. Reads the whole file; raises the I/O error of a read.
bool PeChecksumMatches(TFile& file);

} // namespace kf
