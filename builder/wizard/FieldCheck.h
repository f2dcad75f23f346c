// The field checks of the wizard pages: each checked edit field is tested by one rule,
// and its label turns red while the rule fails.
#pragma once

#include <cstdint>
#include <string>

namespace kf {

enum TCheckRule : int32_t
{
    ckRequired = 0,          // some text
    ckExistingDirectory = 1, // names a directory that exists
    ckExistingFile = 2,      // names a file that exists (a directory does not count)
    ckOptionalFile = 3,      // empty, or names a file that exists
    ckFullPath = 4,          // "X:\..." without the seven forbidden characters
    ckRelativePath = 5,      // empty, or text without the eight forbidden characters
};

// The text a check looks at: codes 0 to 32 removed at both ends.
std::string CheckedText(const std::string& text);

// Whether text holds a character the rule forbids: for ckRelativePath the double quote
// and * / : < > ? |, for ckFullPath the same without the colon. The backslash is always
// allowed, and only codes 32 to 127 are ever refused. Other rules forbid nothing.
bool HasForbiddenCharacter(const std::string& text, int32_t rule);

// The whole check of one field's text (trimmed first). Existence is asked of the file
// system at the moment of the call. A rule outside 0..5 is never valid.
bool CheckFieldText(const std::string& text, int32_t rule);

} // namespace kf
