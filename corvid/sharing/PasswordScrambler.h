#pragma once
// The password scrambling shared with corvidlet: AES-128 with a 16-byte key whose bytes are
// 0 to 254, the password cut into 16-byte blocks (the last one filled up with zero bytes),
// each block enciphered on its own, everything written as upper-case hexadecimal text. The
// same routine keeps the password in the settings file.

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace corvid::sharing {

class PasswordScrambler {
  public:
    using Key = std::array<std::uint8_t, 16>;

    struct Scrambled {
        std::string key;     // 32 upper-case hexadecimal characters
        std::string cipher;  // 32 characters per block; empty for an empty password
    };

    // A fresh key from the system's cryptographic random source, every byte 0 to 254.
    static std::optional<Key> FreshKey();
    // Nothing when the cipher cannot be run.
    static std::optional<Scrambled> Scramble(std::string_view password, const Key& key);
    static std::optional<Scrambled> Scramble(std::string_view password);
    // Nothing when the key is not 32 hexadecimal characters, the cipher text is not whole
    // blocks of hexadecimal text, or the cipher cannot be run. The password ends at its first
    // zero byte.
    static std::optional<std::string> Unscramble(std::string_view keyHex,
                                                 std::string_view cipherHex);

    static std::string ToHex(const std::uint8_t* data, std::size_t length);
    // Nothing on an odd length or a character that is not hexadecimal.
    static std::optional<std::string> FromHex(std::string_view hex);
};

}  // namespace corvid::sharing
