#pragma once
// A standard file's state in words, as every command that shows one says it.
#include <string>

namespace store {
struct StandardFileReport;
}

namespace stdhost {

// "N limits in the standard file" (followed by " (damaged)" when
// StandardFileDamage names it), "no standard file", or that it is damaged
// and serves nothing or cannot be loaded.
std::string StandardFileSummary(const std::string &path);

// What is wrong with a standard file's bytes, in words, or "" when its
// header, its size and its records agree (store::StandardFileReport::Damaged)
// and it announces records. Says what the header announced and what was
// read; a regular file shorter than its header, or one announcing no
// records, is damaged too (it serves nothing). A file that cannot be read or
// is not a regular file gives "".
std::string StandardFileDamage(const std::string &path);

// StandardFileDamage for the file at `path` that was loaded with `report`.
std::string StandardFileDamage(const std::string &path, const store::StandardFileReport &report);

}  // namespace stdhost
