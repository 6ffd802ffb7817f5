// The parameter mask reader: MaskTable::LoadMask of a CXmask.cfg made of the
// input. Checks what is read or refused and the table against the bytes, the answers of the table
// against one another, a save and load round trip, and the mask dialog's save on it.
#include <cstring>

#include "fuzz_support.h"
#include "generator/mask_table.h"
#include "platform/coding.h"

namespace {

using generator::kMaskFileBytes;
using generator::kMaskSlots;

int32_t Field(const uint8_t *data, std::size_t size, std::size_t at) {
    return size >= at + 4 ? platform::DecodeSigned32(reinterpret_cast<const char *>(data) + at) : 0;
}

std::size_t Used(const generator::MaskTable &mask) {
    return mask.Count() <= 0
               ? 0
               : std::min<std::size_t>(static_cast<std::size_t>(mask.Count()), kMaskSlots);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, std::size_t size) {
    const std::string path = fuzz::WriteScratch(generator::kMaskFileName, data, size);
    generator::MaskTable mask;
    const generator::MaskLoadResult loaded = mask.LoadMask(path);

    // Only a file of exactly 40004 bytes with a count in 0..5000 is read, and
    // then as it stands; anything else leaves the table empty.
    const int32_t count = Field(data, size, 0);
    const bool wellSized =
        size == kMaskFileBytes && count >= 0 && count <= static_cast<int32_t>(kMaskSlots);
    FUZZ_CHECK((loaded == generator::MaskLoadResult::kLoaded) == wellSized);
    FUZZ_CHECK(wellSized || generator::MaskLoadProblem(loaded, path) != "");
    FUZZ_CHECK(mask.Count() == (wellSized ? count : 0));
    for (std::size_t n = 0; n < kMaskSlots; ++n) {
        FUZZ_CHECK(mask.Entry(n).paramid == (wellSized ? Field(data, size, 4 + 8 * n) : 0));
        FUZZ_CHECK(mask.Entry(n).flag == (wellSized ? Field(data, size, 8 + 8 * n) : 0));
    }

    // MaskedParams, IsMasked and FindMaskEntry agree with the entries.
    const std::vector<int32_t> masked = mask.MaskedParams();
    std::size_t nonZero = 0;
    for (std::size_t n = 0; n < Used(mask); ++n) nonZero += mask.Entry(n).paramid != 0;
    FUZZ_CHECK(masked.size() == nonZero);
    for (int32_t id : masked) FUZZ_CHECK(mask.IsMasked(id));
    for (int32_t id : {masked.empty() ? 1082 : masked.front(), 2161, 0}) {
        const int at = mask.FindMaskEntry(id);
        FUZZ_CHECK(at == -1 || (at >= 1 && static_cast<std::size_t>(at) <= kMaskSlots));
        if (at > 0) {
            FUZZ_CHECK(mask.Entry(at - 1).paramid == id && mask.Entry(at - 1).flag == 1);
            for (int n = 0; n < at - 1; ++n)
                FUZZ_CHECK(mask.Entry(n).paramid != id || mask.Entry(n).flag != 1);
        }
    }

    // Saved and loaded again: the same table, and the input's bytes when it
    // was read.
    const std::string copy = fuzz::ScratchDir() + "/copy.cfg";
    FUZZ_CHECK(mask.SaveMask(copy));
    const std::string saved = fuzz::ReadBytes(copy);
    FUZZ_CHECK(saved.size() == kMaskFileBytes);
    FUZZ_CHECK(!wellSized || std::memcmp(saved.data(), data, kMaskFileBytes) == 0);
    generator::MaskTable again;
    FUZZ_CHECK(again.LoadMask(copy) == generator::MaskLoadResult::kLoaded);
    FUZZ_CHECK(again.Count() == mask.Count());
    for (std::size_t n = 0; n < kMaskSlots; ++n)
        FUZZ_CHECK(again.Entry(n).paramid == mask.Entry(n).paramid &&
                   again.Entry(n).flag == mask.Entry(n).flag);

    // The dialog's save: one parameter unchecked, two checked. Checked rows
    // end up masked in a table as the dialog writes them, with no entry at
    // or beyond the count; in any other an entry found beyond the count keeps
    // a row from being added, and a later row may take that slot.
    bool wellFormed = mask.Count() >= 0 && mask.Count() <= static_cast<int32_t>(kMaskSlots);
    for (std::size_t n = Used(mask); wellFormed && n < kMaskSlots; ++n)
        wellFormed = mask.Entry(n).paramid == 0 && mask.Entry(n).flag == 0;
    std::vector<generator::MaskChoice> rows;
    if (!masked.empty()) rows.push_back({masked.front(), false});
    rows.push_back({2161, true});
    rows.push_back({1082, true});
    const generator::MaskChangeResult result = mask.ChangeMask(rows, copy);
    FUZZ_CHECK(result != generator::MaskChangeResult::kWriteFailed);
    if (result == generator::MaskChangeResult::kSaved) {
        if (wellFormed)
            FUZZ_CHECK(mask.FindMaskEntry(2161) > 0 && mask.FindMaskEntry(1082) > 0 &&
                       mask.IsMasked(2161) && mask.IsMasked(1082));
        generator::MaskTable reread;
        reread.LoadMask(copy);
        FUZZ_CHECK(reread.Count() == mask.Count());
    }
    return 0;
}
