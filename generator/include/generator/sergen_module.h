#pragma once
// The series editor plug-in's module-wide state: the copy of the host's init
// record, the database connection it names, the editor rectangle, the error
// text and the device-data record, beside the editor's catalogue, mask and
// buffers. Plain objects only: no widget lives here, so the module loads in a
// process without a display.
#include <array>
#include <cstddef>
#include <cstdint>

#include "bridges/device_data.h"
#include "generator/editor_session.h"

namespace stationdb {
class Connection;
}

namespace generator {

// The host's init record: exactly 1224 bytes, copied whole by ExtInit, packed
// and little-endian. The editor reads the rectangle and the connection
// handle; the other fields are the host's and are kept as they came.
inline constexpr std::size_t kInitRecordBytes = 1224;
inline constexpr std::size_t kInitText0Offset = 0;          // 64-byte text
inline constexpr std::size_t kInitText1Offset = 64;         // 64-byte text
inline constexpr std::size_t kInitText2Offset = 128;        // 1024-byte text
inline constexpr std::size_t kInitRectOffset = 1152;        // four int32: left, top, right, bottom
inline constexpr std::size_t kInitConnectionOffset = 1168;  // uint32: connection handle, 0 for none
inline constexpr std::size_t kInitWord0Offset = 1172;       // uint16
inline constexpr std::size_t kInitFlag0Offset = 1174;       // int32
inline constexpr std::size_t kInitFlag1Offset = 1178;       // int32
inline constexpr std::size_t kInitFlag2Offset = 1182;       // int32
inline constexpr std::size_t kInitText3Offset = 1186;       // 32-byte text
inline constexpr std::size_t kInitWord1Offset = 1218;       // uint16
inline constexpr std::size_t kInitTailOffset = 1220;        // int32
inline constexpr std::size_t kErrorTextBytes = 1000;

struct EditorRect {
    int32_t left = 0;
    int32_t top = 0;
    int32_t right = 0;
    int32_t bottom = 0;
};

class InitRecord {
  public:
    // The record before the first ExtInit: empty texts, a zero rectangle and
    // connection, uint16 0 at kInitWord0Offset, int32 1 in the three flags,
    // uint16 1 at kInitWord1Offset and int32 0 at kInitTailOffset.
    InitRecord();
    void CopyFrom(const void *record);
    EditorRect Rect() const;
    // The connection handle at kInitConnectionOffset (a libstationdb handle).
    uint32_t ConnectionHandle() const;
    // What a host puts in the record: encoded as the reads above decode it.
    void SetRect(const EditorRect &rect);
    void SetConnectionHandle(uint32_t handle);
    const unsigned char *Bytes() const { return bytes_.data(); }

  private:
    std::array<unsigned char, kInitRecordBytes> bytes_{};
};

struct SergenModule {
    InitRecord initRecord;
    uint32_t connectionHandle = 0;
    EditorRect editorRect;
    char errorText[kErrorTextBytes] = {};
    bridges::DeviceDataRecord deviceData;
    EditorState editor;

    // The open connection the host handed over, looked up anew on every
    // call; null when there is none, when the handle no longer resolves, or
    // when the connection is closed.
    stationdb::Connection *Connection() const;
};

// ExtInit: marks the device-data record, copies the record and takes its
// connection handle and rectangle. 1; -1003 for a null record (nothing but
// the mark changes); -1005 when the handle does not resolve to a connection
// (the copy stays, the module has no connection, the rectangle is kept).
int InitModule(SergenModule &module, const void *record);

}  // namespace generator
