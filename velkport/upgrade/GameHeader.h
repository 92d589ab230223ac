#pragma once
// The 478-byte header at the start of a game or plug-in image:
//   0 "VKGame", 6 field A (2 bytes), 8 field B (2), 10 name (32, zero-padded), 42 GUID (8 raw
//   bytes), 50 version (8 raw bytes), 58 text (32), 90 installed size (32-bit, least significant
//   byte first), 94, 222 and 350 three texts of 128 bytes; the package contents follow.
// The installer sends bytes 6-477 to the receiver for it to judge the package.

#include <array>
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <span>
#include <string>

namespace velkport::upgrade {

class GameHeader {
  public:
    static constexpr std::size_t kSize = 478;
    static constexpr std::size_t kSentOffset = 6;
    static constexpr std::size_t kSentSize = kSize - kSentOffset;  // 472
    static constexpr char kMagic[] = "VKGame";

    std::array<std::uint8_t, 2> fieldA{};
    std::array<std::uint8_t, 2> fieldB{};
    std::string name;
    std::array<std::uint8_t, 8> guid{};
    std::array<std::uint8_t, 8> version{};
    std::string text58;
    std::uint32_t installedSize = 0;
    std::string text94, text222, text350;

    // The whole header, as built or as read (for sending it on).
    std::array<std::uint8_t, kSize> Build() const;
    std::span<const std::uint8_t> SentBytes(const std::array<std::uint8_t, kSize>& b) const {
        return std::span<const std::uint8_t>(b).subspan(kSentOffset);
    }

    // Needs kSize bytes starting with "VKGame" (letter case counts).
    static bool Parse(std::span<const std::uint8_t> bytes, GameHeader& out);
    // The fields from the 472 bytes the installer sends (bytes 6-477 of the header).
    static bool ParseSent(std::span<const std::uint8_t> bytes, GameHeader& out);

    enum class ReadResult { Ok, NotOpened, SignatureFail };
    // Reads the header of an image file; a file shorter than the header fails its signature.
    static ReadResult Read(const std::filesystem::path& file, GameHeader& out,
                           std::string* error = nullptr);

    // The lines the window shows:
    // " GAME NAME : %s", " GAME VERSION : 01:02:...:08", " GAME SIZE : 1,234,567",
    // " GAME GUID : 0A-0B-...-FF" (hex digits in upper case).
    std::string NameLine() const;
    std::string VersionLine() const;
    std::string SizeLine() const;
    std::string GuidLine() const;
};

// Decimal with a comma before every group of three digits from the right (1234567 -> 1,234,567).
std::string GroupThousands(std::uint64_t value);

}  // namespace velkport::upgrade
