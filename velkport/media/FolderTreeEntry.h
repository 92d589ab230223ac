#pragma once
// One 256-byte entry of the folder-tree answer (command 0x0A): byte 0 the kind (0xFF ends the
// list), the name zero-terminated from byte 1. The receiver names each folder by its path below
// the area's root, the levels separated by "\" ("Music\Rock").

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace velkport::media {

class FolderTreeEntry {
  public:
    static constexpr std::size_t kSize = 256;
    static constexpr std::uint8_t kFolder = 0x01;
    static constexpr std::uint8_t kEnd = 0xFF;
    using Bytes = std::array<std::uint8_t, kSize>;

    std::uint8_t kind = kFolder;
    std::string name;

    bool isEnd() const { return kind == kEnd; }
    // The names of the levels, top first; empty parts are dropped.
    std::vector<std::string> levels() const;

    // The name is cut to 254 bytes.
    Bytes Build() const;
    // Needs at least 256 bytes; an unterminated name ends at byte 255.
    static bool Parse(std::span<const std::uint8_t> bytes, FolderTreeEntry& out);
};

}  // namespace velkport::media
