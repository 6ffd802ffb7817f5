#pragma once
// Little-endian encoding of fixed-width fields, byte by byte, so that file
// and buffer layouts never depend on struct layout or alignment.
#include <cstdint>
#include <cstring>

namespace platform {

inline void EncodeFixed16(char *dst, uint16_t v) {
    auto *p = reinterpret_cast<unsigned char *>(dst);
    p[0] = static_cast<unsigned char>(v);
    p[1] = static_cast<unsigned char>(v >> 8);
}
inline void EncodeFixed32(char *dst, uint32_t v) {
    auto *p = reinterpret_cast<unsigned char *>(dst);
    p[0] = static_cast<unsigned char>(v);
    p[1] = static_cast<unsigned char>(v >> 8);
    p[2] = static_cast<unsigned char>(v >> 16);
    p[3] = static_cast<unsigned char>(v >> 24);
}
inline void EncodeFloat(char *dst, float v) {
    uint32_t bits;
    std::memcpy(&bits, &v, sizeof bits);
    EncodeFixed32(dst, bits);
}
inline uint16_t DecodeFixed16(const char *src) {
    auto *p = reinterpret_cast<const unsigned char *>(src);
    return static_cast<uint16_t>(p[0] | (p[1] << 8));
}
inline uint32_t DecodeFixed32(const char *src) {
    auto *p = reinterpret_cast<const unsigned char *>(src);
    return static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8) |
           (static_cast<uint32_t>(p[2]) << 16) | (static_cast<uint32_t>(p[3]) << 24);
}
inline int32_t DecodeSigned32(const char *src) {
    return static_cast<int32_t>(DecodeFixed32(src));
}
inline float DecodeFloat(const char *src) {
    uint32_t bits = DecodeFixed32(src);
    float v;
    std::memcpy(&v, &bits, sizeof v);
    return v;
}

}  // namespace platform
