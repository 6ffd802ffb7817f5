// Reading and writing StandarFile.sfd; the layout is in standard_file_format.h.
#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstring>
#include <exception>
#include <limits>
#include <memory>
#include <new>
#include <optional>

#include "gbk_texts.h"
#include "platform/atomic_file.h"
#include "platform/coding.h"
#include "platform/regular_file.h"
#include "platform/trace.h"
#include "store/item_set.h"
#include "store/standard_file_format.h"
#include "store/standard_table.h"

namespace store {
namespace {

// Records read at a time (about 170 KiB).
constexpr std::size_t kChunkRecords = 1024;

// Decodes the fixed-width fields of the record at `r` (kRecordSize bytes);
// the condition is left empty.
StdRecord DecodeFixedFields(const char *r) {
    StdRecord record;
    record.devid = platform::DecodeSigned32(r + sfd::kDevid);
    record.itemid = platform::DecodeSigned32(r + sfd::kItemid);
    record.paramid = platform::DecodeSigned32(r + sfd::kParamid);
    record.hvalue = platform::DecodeFloat(r + sfd::kHvalue);
    record.lvalue = platform::DecodeFloat(r + sfd::kLvalue);
    return record;
}

// The condition of the record at `r`: the text up to the first NUL of its
// field, or the first kConditionSize - 1 bytes.
std::string_view DecodeCondition(const char *r) {
    const char *text = r + sfd::kCondition;
    const void *nul = std::memchr(text, '\0', sfd::kConditionSize);
    return std::string_view(
        text, nul != nullptr ? static_cast<std::size_t>(static_cast<const char *>(nul) - text)
                             : sfd::kConditionSize - 1);
}

void EncodeRecord(char *r, int32_t devid, int32_t itemid, const std::string &condition,
                  const StdParam &param) {
    platform::EncodeFixed32(r + sfd::kDevid, static_cast<uint32_t>(devid));
    platform::EncodeFixed32(r + sfd::kItemid, static_cast<uint32_t>(itemid));
    // The table keeps at most kConditionSize - 1 bytes; the rest of the field
    // is already zero.
    // NOLINTNEXTLINE(bugprone-not-null-terminated-result): a fixed field, zero-filled
    std::memcpy(r + sfd::kCondition, condition.data(),
                std::min(condition.size(), sfd::kConditionSize - 1));
    platform::EncodeFixed32(r + sfd::kParamid, static_cast<uint32_t>(param.paramid));
    platform::EncodeFloat(r + sfd::kHvalue, param.hvalue);
    platform::EncodeFloat(r + sfd::kLvalue, param.lvalue);
}

// Reads the header of the open standard file into `found`; the number of
// whole records that both the header announces and the file holds, or none
// when the load ends here (no header, no bytes announced, no size).
std::optional<std::size_t> ReadHeader(platform::RegularFile &file, StandardFileReport &found) {
    found.fileBytes = file.Size();
    char header[sfd::kHeaderSize];
    if (file.ReadAt(header, sizeof header, 0) != static_cast<long long>(sizeof header))
        return std::nullopt;
    const int32_t recordCount = platform::DecodeSigned32(header + sfd::kHeaderRecordCount);
    const int32_t byteCount = platform::DecodeSigned32(header + sfd::kHeaderByteCount);
    found.readable = true;
    found.announcedRecords = recordCount;
    found.announcedBytes = byteCount;
    if (byteCount <= 0) return std::nullopt;

    // The header is not trusted: only records that the file holds count.
    if (file.Size() < 0) return std::nullopt;
    const std::size_t admitted = std::min(static_cast<std::size_t>(file.Size()),
                                          sfd::kHeaderSize + static_cast<std::size_t>(byteCount));
    const std::size_t whole =
        admitted > sfd::kHeaderSize ? (admitted - sfd::kHeaderSize) / sfd::kRecordSize : 0;
    return recordCount > 0 ? std::min(whole, static_cast<std::size_t>(recordCount)) : 0;
}

}  // namespace

bool StandardFileReport::Damaged() const {
    if (!readable) return false;
    const long long announced = announcedRecords > 0 ? announcedRecords : 0;
    return static_cast<long long>(announcedBytes) != static_cast<long long>(announcedRecords) *
                                                         static_cast<long long>(sfd::kRecordSize) ||
           fileBytes != static_cast<long long>(sfd::kHeaderSize) + announcedBytes ||
           static_cast<long long>(readRecords) != announced || refusedRecords != 0;
}

int StandardTable::LoadFromFile(const std::string &path, StandardFileReport *report) {
    StandardFileReport local;
    StandardFileReport &found = report != nullptr ? *report : local;
    found = StandardFileReport();
    // Whatever ends the load, a damaged file says so.
    struct DamageTrace {
        const std::string &path;
        const StandardFileReport &found;
        ~DamageTrace() {
            if (found.Damaged())
                platform::TraceF(texts::kStandardFileDamaged, path.c_str(), found.announcedRecords,
                                 found.announcedBytes, found.fileBytes, found.readRecords,
                                 found.refusedRecords);
        }
    } damageTrace{path, found};
    ResetCounts();
    try {
        // Opening never blocks (a FIFO without a writer), and what is not a
        // regular file is refused with a trace line.
        platform::RegularFile file;
        if (file.Open(path) != platform::ReadResult::kOk) return 0;
        const std::optional<std::size_t> held = ReadHeader(file, found);
        if (!held) return 0;
        const std::size_t count = *held;

        // The records of one condition follow each other in a file: a record
        // whose device, item and condition bytes (up to the NUL) equal those
        // of the previous record taken only adds its parameter there.
        char previous[sfd::kCondition + sfd::kConditionSize];
        std::size_t previousKeyBytes = 0;  // 0: no previous record to compare with
        int lastFlaggedItem = 0;           // a known item's flag needs setting once per run
        auto take = [&](const char *r) {
            StdRecord record = DecodeFixedFields(r);
            ++found.readRecords;
            if (record.devid <= 0 || record.devid > kMaxDeviceId) {
                ++found.refusedRecords;
                return;
            }
            if (previousKeyBytes != 0 && std::memcmp(r, previous, previousKeyBytes) == 0) {
                MergeIntoLastCondition(record);
            } else {
                record.condition = DecodeCondition(r);
                InsertRecord(record);
                const std::size_t length = record.condition.size();
                previousKeyBytes =
                    length < sfd::kConditionSize - 1 ? sfd::kCondition + length + 1 : 0;
                std::memcpy(previous, r, previousKeyBytes);
            }
            if (lastFlaggedItem == 0 || record.itemid != lastFlaggedItem) {
                presentItems_.SetItemFlag(record.itemid, 1);
                lastFlaggedItem = store::ItemSlot(record.itemid) >= 0 ? record.itemid : 0;
            }
        };

        // Whole records, in chunks that stay in cache; a short read (the
        // file shrank meanwhile) ends the records taken.
        const std::size_t chunkRecords = std::min(count, kChunkRecords);
        auto chunk = std::make_unique_for_overwrite<char[]>(chunkRecords * sfd::kRecordSize + 1);
        for (std::size_t done = 0; done < count;) {
            const std::size_t wanted = std::min(chunkRecords, count - done);
            const long long got = file.ReadAt(
                chunk.get(), wanted * sfd::kRecordSize,
                static_cast<long long>(sfd::kHeaderSize) +
                    static_cast<long long>(done) * static_cast<long long>(sfd::kRecordSize));
            if (got < 0) return 0;
            const std::size_t records = static_cast<std::size_t>(got) / sfd::kRecordSize;
            for (std::size_t i = 0; i < records; ++i) take(chunk.get() + i * sfd::kRecordSize);
            if (records < wanted) break;
            done += records;
        }
        return 1;
    } catch (const std::bad_alloc &) {
        return 0;  // partially filled, as a failed load may be
    }
}

int StandardTable::WriteFile(const std::string &path) const {
    if (devices_.empty()) {
        platform::Notice(texts::kNoStandardFound);
        return 0;
    }
    const std::size_t count = RecordCount();
    if (count == 0) {
        platform::Notice(texts::kNoStandardFound2);
        return -5;
    }
    // The header holds the byte count as a signed 32-bit number.
    const std::size_t maxRecords =
        static_cast<std::size_t>(std::numeric_limits<int32_t>::max()) / sfd::kRecordSize;
    std::string image;
    try {
        if (count > maxRecords) throw std::bad_alloc();
        image.assign(sfd::kHeaderSize + sfd::kRecordSize * count, '\0');
    } catch (const std::bad_alloc &) {
        platform::Notice(texts::kNotEnoughSpace);
        return -6;
    }

    platform::EncodeFixed32(image.data() + sfd::kHeaderRecordCount, static_cast<uint32_t>(count));
    platform::EncodeFixed32(image.data() + sfd::kHeaderByteCount,
                            static_cast<uint32_t>(count * sfd::kRecordSize));
    char *r = image.data() + sfd::kHeaderSize;
    for (const StdDevice &device : devices_) {
        for (const StdItem &item : device.items) {
            for (const StdCondition &condition : item.conditions) {
                for (const StdParam &param : condition.params) {
                    EncodeRecord(r, device.devid, item.itemid, condition.condition, param);
                    r += sfd::kRecordSize;
                }
            }
        }
    }

    platform::AtomicWriteResult result;
    try {
        result = platform::WriteFileAtomically(path, image);
    } catch (const std::exception &) {
        result = platform::AtomicWriteResult::kWriteFailed;
    }
    switch (result) {
        case platform::AtomicWriteResult::kOk:
            return 1;
        case platform::AtomicWriteResult::kCannotCreate:
            return -8;
        case platform::AtomicWriteResult::kNotRegular:
            // A directory or socket in the file's place: never written over.
            platform::TraceF("%s: not a regular file, the standard file is not written\n",
                             path.c_str());
            return -8;
        case platform::AtomicWriteResult::kWriteFailed:
            break;
    }
    platform::Notice(texts::kException);
    return -7;
}

}  // namespace store
