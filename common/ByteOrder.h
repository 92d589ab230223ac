#pragma once
// The one place where wire and file integers change byte order. Everything that reads or writes
// a record field goes through these functions instead of shifting bytes by hand.

#include <cstddef>
#include <cstdint>
#include <span>

namespace common {

template <typename T>
constexpr T loadBigEndian(const std::uint8_t* p) {
    T v = 0;
    for (std::size_t i = 0; i < sizeof(T); ++i)
        v = static_cast<T>((v << 8) | p[i]);
    return v;
}

template <typename T>
constexpr void storeBigEndian(std::uint8_t* p, T v) {
    for (std::size_t i = 0; i < sizeof(T); ++i)
        p[sizeof(T) - 1 - i] = static_cast<std::uint8_t>(static_cast<std::uint64_t>(v) >> (8 * i));
}

template <typename T>
constexpr T loadLittleEndian(const std::uint8_t* p) {
    T v = 0;
    for (std::size_t i = sizeof(T); i > 0; --i)
        v = static_cast<T>((v << 8) | p[i - 1]);
    return v;
}

template <typename T>
constexpr void storeLittleEndian(std::uint8_t* p, T v) {
    for (std::size_t i = 0; i < sizeof(T); ++i)
        p[i] = static_cast<std::uint8_t>(static_cast<std::uint64_t>(v) >> (8 * i));
}

inline std::uint16_t loadBe16(const std::uint8_t* p) {
    return loadBigEndian<std::uint16_t>(p);
}
inline std::uint32_t loadBe32(const std::uint8_t* p) {
    return loadBigEndian<std::uint32_t>(p);
}
inline std::uint64_t loadBe64(const std::uint8_t* p) {
    return loadBigEndian<std::uint64_t>(p);
}
inline void storeBe16(std::uint8_t* p, std::uint16_t v) {
    storeBigEndian(p, v);
}
inline void storeBe32(std::uint8_t* p, std::uint32_t v) {
    storeBigEndian(p, v);
}
inline void storeBe64(std::uint8_t* p, std::uint64_t v) {
    storeBigEndian(p, v);
}
inline std::uint16_t loadLe16(const std::uint8_t* p) {
    return loadLittleEndian<std::uint16_t>(p);
}
inline std::uint32_t loadLe32(const std::uint8_t* p) {
    return loadLittleEndian<std::uint32_t>(p);
}
inline std::uint64_t loadLe64(const std::uint8_t* p) {
    return loadLittleEndian<std::uint64_t>(p);
}
inline void storeLe16(std::uint8_t* p, std::uint16_t v) {
    storeLittleEndian(p, v);
}
inline void storeLe32(std::uint8_t* p, std::uint32_t v) {
    storeLittleEndian(p, v);
}
inline void storeLe64(std::uint8_t* p, std::uint64_t v) {
    storeLittleEndian(p, v);
}

}  // namespace common
