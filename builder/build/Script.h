// Installation scripts (".kfs"): a standalone package archive with one entry per
// setting key, in key order, each value stored as text.
#pragma once

#include "builder/build/InstallSettings.h"
#include "platform/Text.h"

#include <string>

namespace kf {

// Writes all 24 settings, truncating any existing file. Errors are not caught: a failed
// create or write raises TIOError and leaves the entries written so far.
void SaveScript(const std::string& fileName, const TInstallSettings& settings);

// Why a load stopped early, for callers that want to tell (the wizard does not).
struct TLoadReport
{
    bool Complete = true;
    std::string StoppedAt; // key whose decoding failed, or "" when the open failed
    std::string Reason;
};

// Reads a script key by key, assigning each value into target the moment it is decoded.
// Tolerant by design: a missing key reads as the empty text; the seven strict flag keys
// ("LAUNCH", "ADDFILES", "ADDDIR", "ICONUNINSTALL", "ICONWEBSITE", "DESKTOP",
// "BROWSEDISABLE") must hold an integer, else the load ends there, keeping what was
// assigned; "INCLUDEMAINEXE", "COLORTOP", "COLORBOTTOM" and "BASEDIR" fall back to 1, 4, 0
// and 0. A flag is on when the integer's lowest 8 bits are not all zero. Indices outside
// the colour grid (0..15) or the base-directory list (0..6) take the same fallback, so no
// target ever sees an index outside its list. Returns true in every case.
bool LoadScript(const std::string& fileName, TSettingsTarget& target, TLoadReport* report = nullptr);

// Decimal integer conversion with the strictness of the script's flag keys: optional
// blanks in front, an optional sign, digits, nothing after, within 32 bits. False when
// the text is no such integer.
bool TryParseInteger(const std::string& text, int32_t& value);

} // namespace kf
