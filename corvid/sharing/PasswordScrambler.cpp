#include "corvid/sharing/PasswordScrambler.h"

#include <openssl/evp.h>
#include <openssl/rand.h>

#include <memory>

namespace corvid::sharing {

namespace {

constexpr std::size_t kBlock = 16;

struct CipherContextFree {
    void operator()(EVP_CIPHER_CTX* c) const { EVP_CIPHER_CTX_free(c); }
};
using CipherContext = std::unique_ptr<EVP_CIPHER_CTX, CipherContextFree>;

// One 16-byte block through AES-128 on its own: ECB without padding is exactly that.
bool cipherBlock(const PasswordScrambler::Key& key, const std::uint8_t* in, std::uint8_t* out,
                 bool encrypt) {
    CipherContext ctx(EVP_CIPHER_CTX_new());
    if (!ctx || EVP_CipherInit_ex(ctx.get(), EVP_aes_128_ecb(), nullptr, key.data(), nullptr,
                                  encrypt ? 1 : 0) != 1)
        return false;
    EVP_CIPHER_CTX_set_padding(ctx.get(), 0);
    int n = 0;
    int tail = 0;
    return EVP_CipherUpdate(ctx.get(), out, &n, in, static_cast<int>(kBlock)) == 1 &&
           EVP_CipherFinal_ex(ctx.get(), out + n, &tail) == 1 && n + tail == kBlock;
}

int hexValue(char c) {
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    return -1;
}

}  // namespace

std::string PasswordScrambler::ToHex(const std::uint8_t* data, std::size_t length) {
    static const char kDigits[] = "0123456789ABCDEF";
    std::string out;
    out.reserve(length * 2);
    for (std::size_t i = 0; i < length; ++i) {
        out += kDigits[data[i] >> 4];
        out += kDigits[data[i] & 0x0F];
    }
    return out;
}

std::optional<std::string> PasswordScrambler::FromHex(std::string_view hex) {
    if (hex.size() % 2 != 0)
        return std::nullopt;
    std::string out;
    for (std::size_t i = 0; i < hex.size(); i += 2) {
        const int hi = hexValue(hex[i]);
        const int lo = hexValue(hex[i + 1]);
        if (hi < 0 || lo < 0)
            return std::nullopt;
        out += static_cast<char>(hi * 16 + lo);
    }
    return out;
}

std::optional<PasswordScrambler::Key> PasswordScrambler::FreshKey() {
    // Bytes of 255 are drawn again rather than folded, so that 0 to 254 stay equally likely.
    Key key{};
    std::size_t filled = 0;
    while (filled < key.size()) {
        std::uint8_t draw[32];
        if (RAND_bytes(draw, sizeof draw) != 1)
            return std::nullopt;
        for (std::uint8_t b : draw) {
            if (b != 255 && filled < key.size())
                key[filled++] = b;
        }
    }
    return key;
}

std::optional<PasswordScrambler::Scrambled> PasswordScrambler::Scramble(std::string_view password,
                                                                        const Key& key) {
    Scrambled out;
    out.key = ToHex(key.data(), key.size());
    for (std::size_t at = 0; at < password.size(); at += kBlock) {
        std::uint8_t plain[kBlock] = {};
        const std::size_t n = std::min(kBlock, password.size() - at);
        for (std::size_t i = 0; i < n; ++i)
            plain[i] = static_cast<std::uint8_t>(password[at + i]);
        std::uint8_t cipher[kBlock];
        if (!cipherBlock(key, plain, cipher, true))
            return std::nullopt;
        out.cipher += ToHex(cipher, kBlock);
    }
    return out;
}

std::optional<PasswordScrambler::Scrambled> PasswordScrambler::Scramble(std::string_view password) {
    const auto key = FreshKey();
    if (!key)
        return std::nullopt;
    return Scramble(password, *key);
}

std::optional<std::string> PasswordScrambler::Unscramble(std::string_view keyHex,
                                                         std::string_view cipherHex) {
    const auto keyBytes = keyHex.size() == 2 * kBlock ? FromHex(keyHex) : std::nullopt;
    if (!keyBytes || cipherHex.size() % (2 * kBlock) != 0)
        return std::nullopt;
    Key key{};
    std::copy(keyBytes->begin(), keyBytes->end(), key.begin());
    std::string plain;
    for (std::size_t at = 0; at < cipherHex.size(); at += 2 * kBlock) {
        const auto block = FromHex(cipherHex.substr(at, 2 * kBlock));
        if (!block)
            return std::nullopt;
        std::uint8_t out[kBlock];
        if (!cipherBlock(key, reinterpret_cast<const std::uint8_t*>(block->data()), out, false))
            return std::nullopt;
        plain.append(reinterpret_cast<const char*>(out), kBlock);
    }
    const auto end = plain.find('\0');
    if (end != std::string::npos)
        plain.resize(end);
    return plain;
}

}  // namespace corvid::sharing
