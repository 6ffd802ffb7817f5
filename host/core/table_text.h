#pragma once
// Fields of the tab-separated UTF-8 tables stdhost reads and writes, and the
// reading of the text files a user names.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace stdhost {

// The largest table a user hands to stdhost (an import file, a readable
// standard table): far above a full station's, far below what a stray file
// or /dev/zero would feed.
inline constexpr std::size_t kTableFileBytes = std::size_t{512} * 1024 * 1024;

// The text of a file a user names ("-": the standard input): a regular file
// (a FIFO, a device or a directory is refused at once) of at most `bound`
// bytes, a leading UTF-8 byte order mark dropped. False with the reason in
// `why`, naming the file as `kind` ("the import file").
bool ReadTextInput(const std::string &path, std::size_t bound, const std::string &kind,
                   std::string &text, std::string &why);

// The fields of one line, split at every tab (k tabs make k + 1 fields).
std::vector<std::string> SplitTabs(const std::string &line);
// A whole field as a decimal int32; false for anything else.
bool ParseInt(const std::string &text, int32_t &out);
// A whole field as a finite float; false for anything else.
bool ParseFloat(const std::string &text, float &out);

}  // namespace stdhost
