// The password scrambling corvidlet undoes: AES-128, each 16-byte block on its own, upper-case
// hexadecimal text. Checked against OpenSSL's AES in ECB mode called directly.

#include <gtest/gtest.h>
#include <openssl/evp.h>

#include "corvid/sharing/PasswordScrambler.h"

namespace corvid::sharing {
namespace {

// The password, zero-filled to whole blocks, through AES-128-ECB in one call.
std::string referenceCipherHex(const std::string& password, const PasswordScrambler::Key& key) {
    std::string plain = password;
    plain.resize((password.size() + 15) / 16 * 16, '\0');
    std::vector<unsigned char> out(plain.size() + 16);
    EVP_CIPHER_CTX* ctx = EVP_CIPHER_CTX_new();
    EVP_EncryptInit_ex(ctx, EVP_aes_128_ecb(), nullptr, key.data(), nullptr);
    EVP_CIPHER_CTX_set_padding(ctx, 0);
    int n = 0;
    EVP_EncryptUpdate(ctx, out.data(), &n, reinterpret_cast<const unsigned char*>(plain.data()),
                      static_cast<int>(plain.size()));
    EVP_CIPHER_CTX_free(ctx);
    return PasswordScrambler::ToHex(out.data(), static_cast<std::size_t>(n));
}

TEST(PasswordScrambler, PasswordsOf0_16And17CharactersGive0_32And64HexCharacters) {
    const PasswordScrambler::Key key = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 254};
    for (const auto& [password, hexLength] : {std::pair<std::string, std::size_t>{"", 0},
                                              {"0123456789abcdef", 32},
                                              {"0123456789abcdefg", 64}}) {
        const auto s = PasswordScrambler::Scramble(password, key);
        ASSERT_TRUE(s.has_value());
        EXPECT_EQ(s->cipher.size(), hexLength) << password;
        EXPECT_EQ(s->cipher, referenceCipherHex(password, key)) << password;
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
    const auto s = PasswordScrambler::Scramble("pw");
    ASSERT_TRUE(s.has_value());
    EXPECT_EQ(s->key.find_first_not_of("0123456789ABCDEF"), std::string::npos);
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
