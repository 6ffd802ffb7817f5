#pragma once
// The parameter mask: the parameters hidden from the editor's list and kept
// out of default standards, stored in CXmask.cfg.
//
// CXmask.cfg, little-endian, exactly 40004 bytes:
//   offset 0          int32  count: entries in use, cleared ones included
//   offset 4 + 8n     int32  entry n: paramid
//   offset 8 + 8n     int32  entry n: flag, 1 active, 0 cleared
// for n = 0 .. 4999; the slots from count on are unused and written as zero.
#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace generator {

inline constexpr std::size_t kMaskSlots = 5000;
inline constexpr std::size_t kMaskFileBytes = 4 + 8 * kMaskSlots;  // 40004
inline constexpr char kMaskFileName[] = "CXmask.cfg";

struct MaskEntry {
    int32_t paramid = 0;
    int32_t flag = 0;
};

// One row of the mask dialog's list: a parameter and whether it is checked.
struct MaskChoice {
    int32_t paramid = 0;
    bool masked = false;
};

// What reading CXmask.cfg found. Only a missing file is an empty mask; every
// other failure leaves the table empty and must be reported, never taken for
// "nothing masked" (and the file must not be written over).
enum class MaskLoadResult {
    kLoaded,
    kMissing,     // no file: nothing masked
    kNotRegular,  // a directory, FIFO or device: not read
    kUnreadable,  // it could not be opened or read
    kWrongSize,   // not exactly 40004 bytes
    kBadCount,    // a count outside 0 .. 5000
};

// One line naming the fault (GBK), "" for kLoaded and kMissing.
std::string MaskLoadProblem(MaskLoadResult result, const std::string &path);

enum class MaskChangeResult {
    kSaved,
    kFull,         // every slot holds an active entry: nothing changed, nothing written
    kWriteFailed,  // the table changed in memory but the file could not be replaced
    kUnusable,     // the mask file could not be read: nothing changed, nothing written
};

class MaskTable {
  public:
    MaskTable() = default;

    // Reads `path` into the table (cleared first). The file is opened without
    // blocking and must be a regular file of exactly 40004 bytes whose count
    // lies in 0 .. 5000; anything else leaves the table empty and says why.
    MaskLoadResult LoadMask(const std::string &path);
    // Replaces `path` atomically with the 40004 bytes of the table; false
    // (the old file untouched) when it cannot be written.
    bool SaveMask(const std::string &path) const;

    // Whether one of the entries 0 .. count - 1 holds `paramid` (the flag is
    // not looked at).
    bool IsMasked(int32_t paramid) const;
    // The 1-based position of the first of all 5000 entries with `paramid`
    // and flag 1, or -1.
    int FindMaskEntry(int32_t paramid) const;

    // The mask dialog's save: a checked row that has no active entry gets one
    // at position count; an unchecked row's active entry becomes {0, 0}.
    // When the slots are used up, cleared entries are compacted away first;
    // only a table truly full of active entries refuses (kFull, unchanged).
    // Then the table is saved to `path`.
    MaskChangeResult ChangeMask(const std::vector<MaskChoice> &rows, const std::string &path);
    // The mask dialog's "全选" and "反选": clears the table, then entry n
    // becomes {paramids[n], 1} and the count their number. Ids beyond the
    // 5000 slots are left out (kFull, the first 5000 are kept). Then the
    // table is saved to `path`.
    MaskChangeResult ReplaceMask(const std::vector<int32_t> &paramids, const std::string &path);

    int32_t Count() const { return count_; }
    const MaskEntry &Entry(std::size_t n) const { return entries_[n]; }
    // The parameters IsMasked is true for (the non-zero paramids of the
    // entries in use), in slot order.
    std::vector<int32_t> MaskedParams() const;
    void Clear();

  private:
    std::size_t UsedSlots() const;
    void Compact();
    int32_t count_ = 0;
    std::array<MaskEntry, kMaskSlots> entries_{};
};

}  // namespace generator
