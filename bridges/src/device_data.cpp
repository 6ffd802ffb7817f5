#include "bridges/device_data.h"

namespace bridges {

// Load-time bytes: byte 1 = 2; four 84-byte sub-records from byte 41, each
// with byte 2 = 255; byte 377 = 255; everything else 0.
DeviceDataRecord::DeviceDataRecord() {
    bytes_[1] = 2;
    constexpr std::size_t kFirstSubRecord = 41, kSubRecordBytes = 84, kSubRecords = 4;
    for (std::size_t i = 0; i < kSubRecords; ++i)
        bytes_[kFirstSubRecord + i * kSubRecordBytes + 2] = 255;
    bytes_[377] = 255;
}

}  // namespace bridges
