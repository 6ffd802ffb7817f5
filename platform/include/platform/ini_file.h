#pragma once
// INI files with the semantics of the Windows profile functions: sections and
// keys compared ignoring ASCII case, the first match wins, values trimmed of
// blanks and of one pair of enclosing quotes, the default returned when the
// file, section or key is missing. Values are bytes: nothing is converted.
#include <cstddef>
#include <string>
#include <utility>
#include <vector>

namespace platform {

// Readers take at most this many bytes of a file (a trace line says when they
// stop), so a huge file cannot stall them; writers refuse a longer file, whose
// tail they would lose. A FIFO or device is never read (see ReadFileAtMost),
// and writers refuse to replace one.
inline constexpr std::size_t kProfileReadLimit = 4u << 20;

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

using ProfileSection = std::vector<std::pair<std::string, std::string>>;

// Every key and value of `section` (the first section of that name), in file
// order, read like GetProfileString reads one value. Empty when the file or
// the section is missing.
ProfileSection GetProfileSection(const std::string &path, const std::string &section);

// Replaces `section` as a whole: every section of that name is dropped and
// one with `entries` ("key = value" lines) is appended; every other line is
// kept byte for byte, and the file is replaced atomically. Refuses (false,
// nothing written) a section name with brackets or line breaks, an empty key
// or one with '=', '[' or line breaks, and a value with line breaks.
bool WriteProfileSection(const std::string &path, const std::string &section,
                         const ProfileSection &entries);

}  // namespace platform
