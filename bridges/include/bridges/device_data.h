#pragma once
// The family's 432-byte device-data record, whose address GetDevData returns.
// Both plug-ins hold one with the same load-time bytes; their ExtInit sets
// byte 39 to 1.
#include <array>
#include <cstddef>

namespace bridges {

inline constexpr std::size_t kDeviceDataBytes = 432;
inline constexpr std::size_t kDeviceDataInitFlag = 39;

class DeviceDataRecord {
  public:
    DeviceDataRecord();
    unsigned char *Data() { return bytes_.data(); }
    const unsigned char *Data() const { return bytes_.data(); }
    void MarkInitialised() { bytes_[kDeviceDataInitFlag] = 1; }

  private:
    std::array<unsigned char, kDeviceDataBytes> bytes_{};
};

}  // namespace bridges
