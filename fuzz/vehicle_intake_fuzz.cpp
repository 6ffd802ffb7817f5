// The vehicle intake of the limits plug-in: ExtInitInfo on an information
// buffer made of the input, then ExtGetStand. The bytes after the entries of a
// valid head are the standard buffer ExtGetStand is handed (a host may hand
// one that already holds limits). Each run starts from the sample sedan with
// every item of the table selected.
#include <cstring>
#include <vector>

#include "ext_family.h"
#include "fuzz_support.h"
#include "limbank_station.h"
#include "platform/coding.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, std::size_t size) {
    const fuzz::Limbank &limbank = fuzz::OpenLimbank();
    static fuzz::ExchangeBuffer sedan, info, standard;
    static const bool ready = (fuzz::WriteSedanInfo(sedan.Data()), true);
    (void)ready;

    FUZZ_CHECK(limbank.initItem(nullptr) == EXT_NOT_PROVIDED);
    FUZZ_CHECK(limbank.initInfo(sedan.Data()) == 1);

    // The input: an information buffer, then the standard buffer.
    std::size_t infoBytes = size;
    if (size >= sizeof(StdHead)) {
        const long payload = fuzz::ValidPayload(reinterpret_cast<const char *>(data));
        if (payload >= 0)
            infoBytes = std::min(size, sizeof(StdHead) + static_cast<std::size_t>(payload));
    }
    info.Fill(data, infoBytes);
    info.Guard();
    standard.Fill(data + infoBytes, size - infoBytes);

    // Taken when the head is valid and lists entries, whatever they hold.
    StdHead head;
    const bool taken = ParseStdHead(info.Bytes(), &head) == 1 && head.count > 0;
    FUZZ_CHECK(limbank.initInfo(info.Data()) == (taken ? 1 : 0));

    // The standard buffer: limits appended to one that holds entries, else
    // started afresh; what was there is kept.
    StdHead before;
    const bool held = ParseStdHead(standard.Bytes(), &before) == 1 && before.count > 0;
    std::vector<char> kept;
    if (held && before.kind == PLINTH_KIND_STD)
        kept.assign(standard.Bytes() + sizeof(StdHead),
                    standard.Bytes() + sizeof(StdHead) + before.count * sizeof(StdEntry));
    const int written = limbank.getStand(standard.Data());
    FUZZ_CHECK(written >= 0);
    StdHead after;
    FUZZ_CHECK(ParseStdHead(standard.Bytes(), &after) == 1);
    if (!held) FUZZ_CHECK(after.kind == PLINTH_KIND_STD);
    if (after.kind == PLINTH_KIND_STD) {
        FUZZ_CHECK(after.count >= kept.size() / sizeof(StdEntry));
        FUZZ_CHECK(kept.empty() ||
                   std::memcmp(kept.data(), standard.Bytes() + sizeof(StdHead), kept.size()) == 0);
        // Every limit written names a parameter.
        for (std::size_t i = kept.size() / sizeof(StdEntry); i < after.count; ++i) {
            StdEntry e;
            FUZZ_CHECK(ParseStdHead_Std_Idx(standard.Bytes(), static_cast<int>(i), &e) == 1);
            FUZZ_CHECK(e.paramId != 0);
        }
    }
    info.Open();
    return 0;
}
