// The item selection of the limits plug-in: ExtInitItem on an item buffer
// made of the input, then ExtGetStand for the sample sedan. Each run starts
// with every item of the table selected.
#include <algorithm>
#include <cstring>
#include <set>

#include "ext_family.h"
#include "fuzz_support.h"
#include "limbank_station.h"
#include "store/item_set.h"

namespace {

// Items written for the sedan with the given selection (null: all items of
// the table), into a fresh standard buffer.
int ItemsWritten(const fuzz::Limbank &limbank, void *standard) {
    std::memset(standard, 0, PLINTH_BUFFER_BYTES);
    const int written = limbank.getStand(standard);
    StdHead head;
    FUZZ_CHECK(ParseStdHead(standard, &head) == 1 && head.kind == PLINTH_KIND_STD);
    FUZZ_CHECK(written >= 0 && written <= head.count);
    return written;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, std::size_t size) {
    const fuzz::Limbank &limbank = fuzz::OpenLimbank();
    static fuzz::ExchangeBuffer sedan, items, standard;
    static const int allItems = [&] {
        fuzz::WriteSedanInfo(sedan.Data());
        FUZZ_CHECK(limbank.initInfo(sedan.Data()) == 1);
        FUZZ_CHECK(limbank.initItem(nullptr) == EXT_NOT_PROVIDED);
        return ItemsWritten(limbank, standard.Data());
    }();

    FUZZ_CHECK(limbank.initItem(nullptr) == EXT_NOT_PROVIDED);
    items.Fill(data, size);
    items.Guard();

    // 0 for a valid head without entries; -1000 for anything else.
    StdHead head;
    const bool valid = ParseStdHead(items.Bytes(), &head) == 1;
    const int result = limbank.initItem(items.Data());
    FUZZ_CHECK(result == (valid && head.count == 0 ? 0 : EXT_NOT_PROVIDED));

    // A buffer that lists entries replaces the selection by the known items
    // it lists (none, for a buffer of another kind); else it stays whole.
    const int written = ItemsWritten(limbank, standard.Data());
    if (!valid || head.count == 0) {
        FUZZ_CHECK(written == allItems);
    } else {
        std::set<int> listed;
        for (int i = 0; i < head.count; ++i) {
            ItemEntry e;
            if (ParseStdHead_Item_Idx(items.Bytes(), i, &e) == 1 &&
                store::ItemSlot(e.itemId & 0xFFFF) >= 0)
                listed.insert(e.itemId & 0xFFFF);
        }
        FUZZ_CHECK(written <= std::min<int>(allItems, static_cast<int>(listed.size())));
        if (head.kind != PLINTH_KIND_ITEM) FUZZ_CHECK(written == 0);
    }
    items.Open();
    return 0;
}
