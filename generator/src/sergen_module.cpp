#include "generator/sergen_module.h"

#include <cstring>

#include "ext_family.h"
#include "platform/coding.h"
#include "stationdb/stationdb.h"

namespace generator {
namespace {

void Put32(unsigned char *bytes, std::size_t at, uint32_t v) {
    platform::EncodeFixed32(reinterpret_cast<char *>(bytes + at), v);
}

}  // namespace

InitRecord::InitRecord() {
    // The texts, the rectangle, the handle, the first uint16 and the tail
    // are zero already.
    for (std::size_t at : {kInitFlag0Offset, kInitFlag1Offset, kInitFlag2Offset})
        Put32(bytes_.data(), at, 1);
    platform::EncodeFixed16(reinterpret_cast<char *>(bytes_.data() + kInitWord1Offset), 1);
}

void InitRecord::CopyFrom(const void *record) {
    std::memcpy(bytes_.data(), record, kInitRecordBytes);
}

EditorRect InitRecord::Rect() const {
    const auto *p = reinterpret_cast<const char *>(bytes_.data() + kInitRectOffset);
    return {platform::DecodeSigned32(p), platform::DecodeSigned32(p + 4),
            platform::DecodeSigned32(p + 8), platform::DecodeSigned32(p + 12)};
}

uint32_t InitRecord::ConnectionHandle() const {
    return platform::DecodeFixed32(
        reinterpret_cast<const char *>(bytes_.data() + kInitConnectionOffset));
}

void InitRecord::SetRect(const EditorRect &rect) {
    std::size_t at = kInitRectOffset;
    for (int32_t edge : {rect.left, rect.top, rect.right, rect.bottom}) {
        Put32(bytes_.data(), at, static_cast<uint32_t>(edge));
        at += 4;
    }
}

void InitRecord::SetConnectionHandle(uint32_t handle) {
    Put32(bytes_.data(), kInitConnectionOffset, handle);
}

stationdb::Connection *SergenModule::Connection() const {
    if (connectionHandle == 0) return nullptr;
    auto *connection = static_cast<stationdb::Connection *>(stationdb_lookup(connectionHandle));
    return connection != nullptr && connection->IsOpen() ? connection : nullptr;
}

int InitModule(SergenModule &module, const void *record) {
    module.deviceData.MarkInitialised();
    if (record == nullptr) return EXT_NULL_ARGUMENT;
    module.initRecord.CopyFrom(record);
    module.connectionHandle = module.initRecord.ConnectionHandle();
    if (stationdb_lookup(module.connectionHandle) == nullptr) {
        module.connectionHandle = 0;
        return EXT_NO_DATABASE;
    }
    module.editorRect = module.initRecord.Rect();
    return EXT_DONE;
}

}  // namespace generator
