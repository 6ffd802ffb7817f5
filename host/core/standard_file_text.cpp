#include "standard_file_text.h"

#include <filesystem>

#include "store/standard_table.h"

namespace stdhost {

std::string StandardFileDamage(const std::string &path, const store::StandardFileReport &r) {
    std::error_code ec;
    if (!r.readable) {
        // Too short for its header: a regular file that serves nothing.
        const auto size = std::filesystem::file_size(path, ec);
        if (ec || !std::filesystem::is_regular_file(path, ec)) return "";
        return path + " is damaged: it holds " + std::to_string(size) +
               " bytes, less than the 8-byte header, and serves no limits";
    }
    if (!r.Damaged()) {
        if (r.announcedRecords > 0) return "";
        return path + " is damaged: its header announces no records and the file serves no limits";
    }
    std::string text = path + " is damaged: its header announces " +
                       std::to_string(r.announcedRecords) + " records (" +
                       std::to_string(r.announcedBytes) + " bytes) and the file holds " +
                       std::to_string(r.fileBytes) + " bytes; " + std::to_string(r.readRecords) +
                       " whole records were read";
    if (r.refusedRecords > 0)
        text += ", " + std::to_string(r.refusedRecords) + " refused (device id outside 1..200)";
    return text;
}

std::string StandardFileSummary(const std::string &path) {
    std::error_code ec;
    if (!std::filesystem::exists(path, ec)) return "no standard file";
    store::StandardTable table;
    store::StandardFileReport report;
    const int loaded = table.LoadFromFile(path, &report);
    const bool damaged = !StandardFileDamage(path, report).empty();
    if (loaded != 1)
        return damaged ? "a damaged standard file that serves no limits"
                       : "a standard file that cannot be loaded";
    return std::to_string(table.RecordCount()) + " limits in the standard file" +
           (damaged ? " (damaged)" : "");
}

std::string StandardFileDamage(const std::string &path) {
    store::StandardTable table;
    store::StandardFileReport report;
    table.LoadFromFile(path, &report);
    return StandardFileDamage(path, report);
}

}  // namespace stdhost
