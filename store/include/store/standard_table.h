#pragma once
// The in-memory standard table: per device of the line, the items it tests;
// per item, its distinct judging conditions; per condition, the limits of the
// item's parameters. Storage grows on demand but never beyond the fixed
// capacities below; a key that would need an entry beyond a capacity takes
// over the last entry of that level instead (the count stays at the capacity).
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "store/item_set.h"

namespace store {

inline constexpr int kMaxDevices = 20;
inline constexpr int kMaxItemsPerDevice = 30;
inline constexpr int kMaxConditionsPerItem = 500;
inline constexpr int kMaxParamsPerCondition = 50;
inline constexpr int kConditionBytes = 150;  // text of at most 149 bytes plus NUL

// Devices with an id outside 1..kMaxDeviceId are skipped by the file loader.
inline constexpr int kMaxDeviceId = 200;

struct StdParam {
    int32_t paramid;
    float hvalue;  // upper limit
    float lvalue;  // lower limit
};

struct StdCondition {
    std::string condition;  // at most 149 bytes, no NUL inside
    std::vector<StdParam> params;
};

struct StdItem {
    int32_t itemid;
    std::vector<StdCondition> conditions;
    std::vector<uint32_t> conditionHashes;  // exact-text hash per condition, for insertion
};

struct StdDevice {
    int32_t devid;
    std::vector<StdItem> items;
};

// One record of the standard file, decoded: the table flattened.
struct StdRecord {
    int32_t devid = 0;
    int32_t itemid = 0;
    std::string_view condition;  // up to its terminator, at most 149 bytes are kept
    int32_t paramid = 0;
    float hvalue = 0;
    float lvalue = 0;
};

// What StandardTable::LoadFromFile found in a standard file, for a caller
// that reports a damaged one.
struct StandardFileReport {
    bool readable = false;           // a regular file was opened and its 8-byte header read
    long long fileBytes = 0;         // the file's size, when readable
    int32_t announcedRecords = 0;    // the header's record count
    int32_t announcedBytes = 0;      // the header's byte count
    std::size_t readRecords = 0;     // whole records read from the file, taken or refused
    std::size_t refusedRecords = 0;  // of those, skipped because devid is outside 1..200

    // True when the file was readable but its header, its size and what was
    // read disagree: announcedBytes != announcedRecords * 170, fileBytes !=
    // 8 + announcedBytes, readRecords != announcedRecords (a negative count
    // counts as 0), or refusedRecords != 0. False when not readable.
    bool Damaged() const;
};

class StandardTable {
  public:
    StandardTable();
    ~StandardTable();
    StandardTable(const StandardTable &) = delete;
    StandardTable &operator=(const StandardTable &) = delete;

    // Empties every level; presentItems is untouched.
    void ResetCounts();

    // Exchanges the whole contents (levels, presentItems, index) with
    // `other`: a table built aside replaces the served one at once.
    void Swap(StandardTable &other) noexcept;

    // Merges one record: device by devid, item by itemid, condition by exact
    // (case-sensitive) text, parameter by paramid; an existing parameter is
    // overwritten, so of duplicate keys the last record wins. The condition
    // counts up to a NUL and at most 149 bytes. A new key at a full level
    // takes over the level's last entry (its children stay).
    void InsertRecord(const StdRecord &record);

    // Fills the table from a standard file. 1 loaded, 0 failed (missing or
    // unreadable file, byteCount <= 0). Only whole records within the bytes
    // actually read are taken; records with devid outside 1..200 are skipped;
    // each taken record sets its item's flag in presentItems. Anything but a
    // regular file (a FIFO, a directory, a device) fails at once, without
    // blocking, with a trace line. When `report` is given it is reset and
    // filled whatever the result; a damaged file (see
    // StandardFileReport::Damaged) may still load and always leaves a trace
    // line saying what the header announced and what was read.
    int LoadFromFile(const std::string &path, StandardFileReport *report = nullptr);

    // Writes the table as a standard file, replacing `path` atomically.
    // 1 written; 0 no device ("没有发现标准"); -5 no parameter
    // ("没有发现标准2/设备"); -6 no memory ("空间不够"); -7 a write, flush or
    // rename failed ("异常"); -8 the temporary file could not be created. The
    // texts are notices; on any failure the old file is untouched.
    int WriteFile(const std::string &path) const;

    // Copies presentItems (88 bytes, slot for slot) into `target`.
    void CopyPresentItems(store::ItemSet &target) const { target = presentItems_; }

    // The first condition, scanning devices, their items and the items'
    // conditions in table order, whose item is `itemId` and whose text equals
    // `condition` ignoring ASCII case outside GBK characters; null if none.
    // Answers from an index that is rebuilt after the table changed. The
    // pointer stays valid until the table changes. Never allocates once the
    // index is built; a condition longer than 149 bytes never matches.
    const StdCondition *FindStandard(int itemId, std::string_view condition) const;

    // The same answer by a plain scan of the table (reference for the index).
    const StdCondition *ScanStandard(int itemId, std::string_view condition) const;

    // Level-wise filling, for a loader that stores each level in turn: no
    // search, no merging and no takeover of the last entry. Each appends one
    // entry under the given (valid) indices and returns false, changing
    // nothing, when the level is full or an index is out of range. A condition
    // keeps at most 149 bytes of `condition`, up to a NUL.
    bool AppendDevice(int32_t devid);
    bool AppendItem(std::size_t device, int32_t itemid);
    bool AppendCondition(std::size_t device, std::size_t item, std::string_view condition);
    bool AppendParam(std::size_t device, std::size_t item, std::size_t condition,
                     const StdParam &param);

    const std::vector<StdDevice> &Devices() const { return devices_; }
    store::ItemSet &PresentItems() { return presentItems_; }
    const store::ItemSet &PresentItems() const { return presentItems_; }
    // Sum of paramCount over the whole table: the records a file would hold.
    std::size_t RecordCount() const;

  private:
    struct LookupIndex;
    void RebuildIndex() const;
    void TableChanged();
    // Merges the parameter of `record` into the condition where the previous
    // InsertRecord landed; the record's device, item and condition must be
    // those of that insertion.
    void MergeIntoLastCondition(const StdRecord &record);

    // Where the previous InsertRecord landed: records of a file come grouped
    // by device, item and condition, so the next one usually lands there too.
    struct InsertPosition {
        bool valid = false;
        std::size_t device = 0;
        std::size_t item = 0;
        std::size_t condition = 0;
    };

    std::vector<StdDevice> devices_;
    InsertPosition lastInsert_;
    store::ItemSet presentItems_;
    mutable std::unique_ptr<LookupIndex> index_;
    mutable bool indexStale_ = true;
};

}  // namespace store
