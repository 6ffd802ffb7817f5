#pragma once
// INI files with the semantics of the Windows profile functions: sections and
// keys compared ignoring ASCII case, the first match wins, values trimmed of
// blanks and of one pair of enclosing quotes, the default returned when the
// file, section or key is missing. Values are bytes: nothing is converted.
#include <string>

namespace platform {

std::string GetProfileString(const std::string &path, const std::string &section,
                             const std::string &key, const std::string &defaultValue);

// Leading blanks, an optional sign and decimal digits (or 0x and hex digits),
// like GetPrivateProfileIntA; a value with no digits gives 0, a missing key
// the default.
int GetProfileInt(const std::string &path, const std::string &section, const std::string &key,
                  int defaultValue);

// Sets `key` in `section`, keeping every other line of the file byte for byte;
// creates the section or the file as needed. The new content goes to a
// temporary file in the same directory that is flushed and renamed over the
// old one, so a failed write leaves the old file whole. Returns false on failure.
bool WriteProfileString(const std::string &path, const std::string &section, const std::string &key,
                        const std::string &value);

}  // namespace platform
