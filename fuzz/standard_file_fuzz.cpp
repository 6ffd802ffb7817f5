// The standard file reader: StandardTable::LoadFromFile on a file made of the
// input. Checks what the report says against the bytes, and that a table the
// reader built is written and read back unchanged.
#include <algorithm>
#include <cstring>

#include "fuzz_support.h"
#include "platform/coding.h"
#include "store/standard_file_format.h"
#include "store/standard_table.h"

namespace {

namespace sfd = store::sfd;

bool SameParams(const std::vector<store::StdParam> &a, const std::vector<store::StdParam> &b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (a[i].paramid != b[i].paramid || std::memcmp(&a[i].hvalue, &b[i].hvalue, 4) != 0 ||
            std::memcmp(&a[i].lvalue, &b[i].lvalue, 4) != 0)
            return false;
    return true;
}

bool SameTable(const store::StandardTable &a, const store::StandardTable &b) {
    const auto &da = a.Devices();
    const auto &db = b.Devices();
    if (da.size() != db.size()) return false;
    for (std::size_t d = 0; d < da.size(); ++d) {
        if (da[d].devid != db[d].devid || da[d].items.size() != db[d].items.size()) return false;
        for (std::size_t i = 0; i < da[d].items.size(); ++i) {
            const store::StdItem &ia = da[d].items[i];
            const store::StdItem &ib = db[d].items[i];
            if (ia.itemid != ib.itemid || ia.conditions.size() != ib.conditions.size())
                return false;
            for (std::size_t c = 0; c < ia.conditions.size(); ++c)
                if (ia.conditions[c].condition != ib.conditions[c].condition ||
                    !SameParams(ia.conditions[c].params, ib.conditions[c].params))
                    return false;
        }
    }
    return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, std::size_t size) {
    const std::string path = fuzz::WriteScratch(sfd::kFileName, data, size);
    store::StandardTable table;
    store::StandardFileReport report;
    const int result = table.LoadFromFile(path, &report);

    // What the report says about the bytes.
    FUZZ_CHECK(report.readable == (size >= sfd::kHeaderSize));
    if (!report.readable) {
        FUZZ_CHECK(result == 0 && !report.Damaged() && table.RecordCount() == 0);
        return 0;
    }
    const char *bytes = reinterpret_cast<const char *>(data);
    const int32_t records = platform::DecodeSigned32(bytes + sfd::kHeaderRecordCount);
    const int32_t announcedBytes = platform::DecodeSigned32(bytes + sfd::kHeaderByteCount);
    FUZZ_CHECK(report.fileBytes == static_cast<long long>(size));
    FUZZ_CHECK(report.announcedRecords == records);
    FUZZ_CHECK(report.announcedBytes == announcedBytes);
    FUZZ_CHECK(result == (announcedBytes > 0 ? 1 : 0));

    // Only whole records the file holds, within both counts of the header.
    const std::size_t whole = (size - sfd::kHeaderSize) / sfd::kRecordSize;
    const std::size_t byHeader =
        announcedBytes > 0 ? static_cast<std::size_t>(announcedBytes) / sfd::kRecordSize : 0;
    const std::size_t expected =
        result == 1 && records > 0 ? std::min({whole, byHeader, static_cast<std::size_t>(records)})
                                   : 0;
    FUZZ_CHECK(report.readRecords == expected);
    FUZZ_CHECK(report.refusedRecords <= report.readRecords);
    FUZZ_CHECK(table.RecordCount() <= report.readRecords - report.refusedRecords);

    const bool damaged =
        static_cast<long long>(announcedBytes) !=
            static_cast<long long>(records) * static_cast<long long>(sfd::kRecordSize) ||
        static_cast<long long>(size) != static_cast<long long>(sfd::kHeaderSize) + announcedBytes ||
        static_cast<long long>(report.readRecords) != (records > 0 ? records : 0) ||
        report.refusedRecords != 0;
    FUZZ_CHECK(report.Damaged() == damaged);

    // The table's shape stays within its capacities.
    FUZZ_CHECK(table.Devices().size() <= static_cast<std::size_t>(store::kMaxDevices));
    for (const auto &device : table.Devices()) {
        FUZZ_CHECK(device.devid >= 1 && device.devid <= store::kMaxDeviceId);
        FUZZ_CHECK(device.items.size() <= static_cast<std::size_t>(store::kMaxItemsPerDevice));
        for (const auto &item : device.items) {
            FUZZ_CHECK(item.conditions.size() <=
                       static_cast<std::size_t>(store::kMaxConditionsPerItem));
            for (const auto &condition : item.conditions) {
                FUZZ_CHECK(condition.condition.size() <
                           static_cast<std::size_t>(store::kConditionBytes));
                FUZZ_CHECK(condition.condition.find('\0') == std::string::npos);
                FUZZ_CHECK(condition.params.size() <=
                           static_cast<std::size_t>(store::kMaxParamsPerCondition));
                FUZZ_CHECK(table.FindStandard(item.itemid, condition.condition) ==
                           table.ScanStandard(item.itemid, condition.condition));
            }
        }
    }

    // Written back and read again, the table is the same and the file sound.
    if (table.RecordCount() > 0) {
        const std::string copy = fuzz::ScratchDir() + "/copy.sfd";
        FUZZ_CHECK(table.WriteFile(copy) == 1);
        store::StandardTable again;
        store::StandardFileReport againReport;
        FUZZ_CHECK(again.LoadFromFile(copy, &againReport) == 1);
        FUZZ_CHECK(!againReport.Damaged());
        FUZZ_CHECK(againReport.readRecords == table.RecordCount());
        FUZZ_CHECK(SameTable(table, again));
    }
    return 0;
}
