#include "generator/mask_table.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string_view>

#include "gbk_texts.h"
#include "platform/atomic_file.h"
#include "platform/coding.h"

namespace generator {

MaskLoadResult MaskTable::LoadMask(const std::string &path) {
    Clear();
    std::string bytes;
    switch (platform::ReadFileAtMost(path, kMaskFileBytes, bytes)) {
        case platform::ReadResult::kOk:
            break;
        case platform::ReadResult::kCut:
            return MaskLoadResult::kWrongSize;
        case platform::ReadResult::kMissing:
            return MaskLoadResult::kMissing;
        case platform::ReadResult::kNotRegular:
            return MaskLoadResult::kNotRegular;
        case platform::ReadResult::kFailed:
            return MaskLoadResult::kUnreadable;
    }
    if (bytes.size() != kMaskFileBytes) return MaskLoadResult::kWrongSize;
    const int32_t count = platform::DecodeSigned32(bytes.data());
    if (count < 0 || static_cast<std::size_t>(count) > kMaskSlots) return MaskLoadResult::kBadCount;
    count_ = count;
    for (std::size_t n = 0; n < kMaskSlots; ++n) {
        entries_[n].paramid = platform::DecodeSigned32(bytes.data() + 4 + 8 * n);
        entries_[n].flag = platform::DecodeSigned32(bytes.data() + 8 + 8 * n);
    }
    return MaskLoadResult::kLoaded;
}

std::string MaskLoadProblem(MaskLoadResult result, const std::string &path) {
    const char *why = "";
    switch (result) {
        case MaskLoadResult::kLoaded:
        case MaskLoadResult::kMissing:
            return {};
        case MaskLoadResult::kNotRegular:
            why = texts::kMaskNotRegular;
            break;
        case MaskLoadResult::kUnreadable:
            why = texts::kMaskUnreadable;
            break;
        case MaskLoadResult::kWrongSize:
            why = texts::kMaskWrongSize;
            break;
        case MaskLoadResult::kBadCount:
            why = texts::kMaskBadCount;
            break;
    }
    std::string text(std::strlen(texts::kMaskFileDamaged) + path.size() + std::strlen(why), '\0');
    text.resize(static_cast<std::size_t>(
        std::snprintf(text.data(), text.size() + 1, texts::kMaskFileDamaged, path.c_str(), why)));
    return text;
}

bool MaskTable::SaveMask(const std::string &path) const {
    std::string bytes(kMaskFileBytes, '\0');
    platform::EncodeFixed32(bytes.data(), static_cast<uint32_t>(count_));
    for (std::size_t n = 0; n < kMaskSlots; ++n) {
        platform::EncodeFixed32(bytes.data() + 4 + 8 * n,
                                static_cast<uint32_t>(entries_[n].paramid));
        platform::EncodeFixed32(bytes.data() + 8 + 8 * n, static_cast<uint32_t>(entries_[n].flag));
    }
    return platform::WriteFileAtomically(path, bytes) == platform::AtomicWriteResult::kOk;
}

// The entries in use: 0 .. count - 1, a count beyond the table read as full
// and a negative one as none.
std::size_t MaskTable::UsedSlots() const {
    return count_ <= 0 ? 0 : std::min(static_cast<std::size_t>(count_), kMaskSlots);
}

bool MaskTable::IsMasked(int32_t paramid) const {
    const std::size_t used = UsedSlots();
    for (std::size_t n = 0; n < used; ++n)
        if (entries_[n].paramid == paramid) return true;
    return false;
}

int MaskTable::FindMaskEntry(int32_t paramid) const {
    for (std::size_t n = 0; n < kMaskSlots; ++n)
        if (entries_[n].paramid == paramid && entries_[n].flag == 1) return static_cast<int>(n) + 1;
    return -1;
}

// Drops the cleared entries {0, 0} among those in use, keeping the order of
// the others; the freed slots become zero.
void MaskTable::Compact() {
    const std::size_t used = UsedSlots();
    std::size_t kept = 0;
    for (std::size_t n = 0; n < used; ++n)
        if (entries_[n].paramid != 0 || entries_[n].flag != 0) entries_[kept++] = entries_[n];
    for (std::size_t n = kept; n < used; ++n) entries_[n] = {};
    count_ = static_cast<int32_t>(kept);
}

MaskChangeResult MaskTable::ChangeMask(const std::vector<MaskChoice> &rows,
                                       const std::string &path) {
    MaskTable changed = *this;
    for (const MaskChoice &row : rows) {
        const int position = changed.FindMaskEntry(row.paramid);
        if (row.masked && position < 0) {
            if (changed.UsedSlots() >= kMaskSlots) changed.Compact();
            if (changed.UsedSlots() >= kMaskSlots) return MaskChangeResult::kFull;
            changed.entries_[changed.UsedSlots()] = {row.paramid, 1};
            changed.count_ = static_cast<int32_t>(changed.UsedSlots() + 1);
        } else if (!row.masked && position > 0) {
            changed.entries_[static_cast<std::size_t>(position - 1)] = {};
        }
    }
    *this = changed;
    return SaveMask(path) ? MaskChangeResult::kSaved : MaskChangeResult::kWriteFailed;
}

MaskChangeResult MaskTable::ReplaceMask(const std::vector<int32_t> &paramids,
                                        const std::string &path) {
    Clear();
    const std::size_t kept = std::min(paramids.size(), kMaskSlots);
    for (std::size_t n = 0; n < kept; ++n) entries_[n] = {paramids[n], 1};
    count_ = static_cast<int32_t>(kept);
    const bool saved = SaveMask(path);
    if (kept < paramids.size()) return MaskChangeResult::kFull;
    return saved ? MaskChangeResult::kSaved : MaskChangeResult::kWriteFailed;
}

std::vector<int32_t> MaskTable::MaskedParams() const {
    std::vector<int32_t> params;
    const std::size_t used = UsedSlots();
    for (std::size_t n = 0; n < used; ++n)
        if (entries_[n].paramid != 0) params.push_back(entries_[n].paramid);
    return params;
}

void MaskTable::Clear() {
    count_ = 0;
    entries_ = {};
}

}  // namespace generator
