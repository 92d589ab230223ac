#pragma once
// Bounds-checked reading of a record or file held in memory. Every read says whether the bytes
// were there; a failed read leaves the reader failed, so a parser can check once at the end.

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>

#include "ByteOrder.h"

namespace common {

class ByteReader {
  public:
    explicit ByteReader(std::span<const std::uint8_t> bytes) : bytes_(bytes) {}

    bool ok() const { return ok_; }
    std::size_t position() const { return pos_; }
    std::size_t remaining() const { return ok_ ? bytes_.size() - pos_ : 0; }

    bool skip(std::size_t n) { return take(n) != nullptr; }
    bool seek(std::size_t pos) {
        if (pos > bytes_.size())
            return fail();
        pos_ = pos;
        return ok_;
    }

    std::uint8_t u8() {
        const std::uint8_t* p = take(1);
        return p ? *p : 0;
    }
    std::uint16_t be16() { return load<std::uint16_t>(&loadBigEndian<std::uint16_t>); }
    std::uint32_t be32() { return load<std::uint32_t>(&loadBigEndian<std::uint32_t>); }
    std::uint64_t be64() { return load<std::uint64_t>(&loadBigEndian<std::uint64_t>); }
    std::uint16_t le16() { return load<std::uint16_t>(&loadLittleEndian<std::uint16_t>); }
    std::uint32_t le32() { return load<std::uint32_t>(&loadLittleEndian<std::uint32_t>); }
    std::uint64_t le64() { return load<std::uint64_t>(&loadLittleEndian<std::uint64_t>); }

    // n bytes as they stand, or an empty span when fewer remain.
    std::span<const std::uint8_t> bytes(std::size_t n) {
        const std::uint8_t* p = take(n);
        return p ? std::span<const std::uint8_t>(p, n) : std::span<const std::uint8_t>();
    }

    // A zero-terminated text inside a fixed field of n bytes; the field is consumed whole and a
    // field without a terminator yields all n bytes.
    std::string fixedText(std::size_t n) {
        const std::uint8_t* p = take(n);
        if (!p)
            return {};
        std::size_t len = 0;
        while (len < n && p[len] != 0)
            ++len;
        return std::string(reinterpret_cast<const char*>(p), len);
    }

  private:
    bool fail() {
        ok_ = false;
        return false;
    }
    const std::uint8_t* take(std::size_t n) {
        if (!ok_ || n > bytes_.size() - pos_) {
            fail();
            return nullptr;
        }
        const std::uint8_t* p = bytes_.data() + pos_;
        pos_ += n;
        return p;
    }
    template <typename T>
    T load(T (*fn)(const std::uint8_t*)) {
        const std::uint8_t* p = take(sizeof(T));
        return p ? fn(p) : T{};
    }

    std::span<const std::uint8_t> bytes_;
    std::size_t pos_ = 0;
    bool ok_ = true;
};

}  // namespace common
