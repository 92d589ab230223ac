// The password scrambling corvidlet undoes: AES-128, each 16-byte block on its own, upper-case
// hexadecimal text. The expected texts were made with OpenSSL's AES-128-ECB
// (openssl enc -aes-128-ecb -nopad, the password zero-filled to whole blocks).

#include <gtest/gtest.h>

#include "corvid/sharing/PasswordScrambler.h"

namespace corvid::sharing {
namespace {

TEST(PasswordScrambler, PasswordsOf0_16And17CharactersGive0_32And64HexCharacters) {
    const PasswordScrambler::Key key = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 254};
    const std::string block = "CC5C052FAEFAF7CDFB49E49128F1EB7C";  // "0123456789abcdef"
    for (const auto& [password, cipher] :
         {std::pair<std::string, std::string>{"", ""},
          {"0123456789abcdef", block},
          {"0123456789abcdefg", block + "E45069EBC153F6671FD1140CFC305096"}}) {
        const auto s = PasswordScrambler::Scramble(password, key);
        ASSERT_TRUE(s.has_value());
        EXPECT_EQ(s->cipher, cipher) << password;
        EXPECT_EQ(s->key, "0102030405060708090A0B0C0D0E0FFE");
        EXPECT_EQ(PasswordScrambler::Unscramble(s->key, s->cipher), password);
    }
}

TEST(PasswordScrambler, FreshKeysDifferAndNeverHoldByte255) {
    const auto a = PasswordScrambler::FreshKey();
    const auto b = PasswordScrambler::FreshKey();
    ASSERT_TRUE(a && b);
    EXPECT_NE(*a, *b);
    for (int round = 0; round < 200; ++round) {
        const auto key = PasswordScrambler::FreshKey();
        ASSERT_TRUE(key.has_value());
        for (std::uint8_t byte : *key)
            ASSERT_NE(byte, 255);
    }
}

TEST(PasswordScrambler, MisshapenKeysAndCipherTextsAreRefused) {
    const auto s = PasswordScrambler::Scramble("password");
    ASSERT_TRUE(s.has_value());
    EXPECT_FALSE(PasswordScrambler::Unscramble(s->key.substr(2), s->cipher));
    EXPECT_FALSE(PasswordScrambler::Unscramble("X" + s->key.substr(1), s->cipher));
    EXPECT_FALSE(PasswordScrambler::Unscramble(s->key, s->cipher.substr(0, 31)));
    EXPECT_FALSE(PasswordScrambler::Unscramble(s->key, s->cipher + "0"));
    EXPECT_FALSE(PasswordScrambler::Unscramble(s->key, "G" + s->cipher.substr(1)));
}

}  // namespace
}  // namespace corvid::sharing
