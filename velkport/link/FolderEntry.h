#pragma once
// One 281-byte entry of a folder listing. Byte 0 is the kind (0 file, 0xFF end of the list, any
// other value a folder), the name follows from byte 1, zero-terminated. The MP3 and JPEG areas
// add a size at bytes 256-259 and, from byte 260, a second number (MP3) or a short text (JPEG).

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>

namespace velkport::link {

class FolderEntry {
  public:
    static constexpr std::size_t kSize = 281;
    static constexpr std::uint8_t kFile = 0x00;
    static constexpr std::uint8_t kFolder = 0x01;  // any value but 0 and 0xFF is a folder
    static constexpr std::uint8_t kEnd = 0xFF;
    static constexpr std::size_t kNameOffset = 1;
    static constexpr std::size_t kNameField = 255;  // bytes 1-255 when size fields follow
    static constexpr std::size_t kSizeOffset = 256;
    static constexpr std::size_t kExtraOffset = 260;
    static constexpr std::size_t kExtraTextField = 21;  // bytes 260-280
    using Bytes = std::array<std::uint8_t, kSize>;

    std::uint8_t kind = kFile;
    std::string name;
    std::uint32_t size = 0;
    std::uint32_t extraValue = 0;  // MP3 area: bytes 260-263
    std::string extraText;         // JPEG area: bytes 260-280, zero-terminated

    bool isEnd() const { return kind == kEnd; }
    bool isFile() const { return kind == kFile; }
    bool isFolder() const { return kind != kFile && kind != kEnd; }

    static FolderEntry File(std::string name, std::uint32_t size = 0);
    static FolderEntry Folder(std::string name);
    static FolderEntry End();

    // The name is cut to 254 bytes; the extra text, when not empty, is written in place of the
    // extra value and cut to 20 bytes.
    Bytes Build() const;
    // Needs at least 281 bytes. The name is read from byte 1 up to its terminator, at most to
    // byte 280, as the shared listing reads it.
    static bool Parse(std::span<const std::uint8_t> bytes, FolderEntry& out);
};

}  // namespace velkport::link
