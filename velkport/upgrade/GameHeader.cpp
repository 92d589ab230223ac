#include "velkport/upgrade/GameHeader.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fstream>

#include "common/ByteOrder.h"
#include "common/ByteReader.h"

namespace velkport::upgrade {

namespace {

void PutText(std::uint8_t* field, std::size_t n, const std::string& text) {
    std::copy_n(text.begin(), std::min(text.size(), n), field);
}

std::string Hex(const std::array<std::uint8_t, 8>& bytes, char sep) {
    std::string out;
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        char buf[4];
        std::snprintf(buf, sizeof buf, "%02X", bytes[i]);
        if (i > 0)
            out += sep;
        out += buf;
    }
    return out;
}

}  // namespace

std::array<std::uint8_t, GameHeader::kSize> GameHeader::Build() const {
    std::array<std::uint8_t, kSize> b{};
    std::memcpy(b.data(), kMagic, 6);
    std::copy(fieldA.begin(), fieldA.end(), b.begin() + 6);
    std::copy(fieldB.begin(), fieldB.end(), b.begin() + 8);
    PutText(&b[10], 32, name);
    std::copy(guid.begin(), guid.end(), b.begin() + 42);
    std::copy(version.begin(), version.end(), b.begin() + 50);
    PutText(&b[58], 32, text58);
    common::storeLe32(&b[90], installedSize);
    PutText(&b[94], 128, text94);
    PutText(&b[222], 128, text222);
    PutText(&b[350], 128, text350);
    return b;
}

bool GameHeader::ParseSent(std::span<const std::uint8_t> bytes, GameHeader& out) {
    if (bytes.size() < kSentSize)
        return false;
    common::ByteReader r(bytes.first(kSentSize));
    GameHeader h;
    auto copy = [&](auto& field) {
        const auto b = r.bytes(field.size());
        if (!b.empty())
            std::copy(b.begin(), b.end(), field.begin());
    };
    copy(h.fieldA);
    copy(h.fieldB);
    h.name = r.fixedText(32);
    copy(h.guid);
    copy(h.version);
    h.text58 = r.fixedText(32);
    h.installedSize = r.le32();
    h.text94 = r.fixedText(128);
    h.text222 = r.fixedText(128);
    h.text350 = r.fixedText(128);
    if (!r.ok())
        return false;
    out = std::move(h);
    return true;
}

bool GameHeader::Parse(std::span<const std::uint8_t> bytes, GameHeader& out) {
    if (bytes.size() < kSize || std::memcmp(bytes.data(), kMagic, 6) != 0)
        return false;
    return ParseSent(bytes.subspan(kSentOffset, kSentSize), out);
}

GameHeader::ReadResult GameHeader::Read(const std::filesystem::path& file, GameHeader& out,
                                        std::string* error) {
    std::ifstream in(file, std::ios::binary);
    if (!in) {
        if (error)
            *error = file.string() + ": " + std::strerror(errno);
        return ReadResult::NotOpened;
    }
    std::array<std::uint8_t, kSize> b{};
    in.read(reinterpret_cast<char*>(b.data()), b.size());
    if (static_cast<std::size_t>(in.gcount()) < kSize || !Parse(b, out))
        return ReadResult::SignatureFail;
    return ReadResult::Ok;
}

std::string GameHeader::NameLine() const {
    return " GAME NAME : " + name;
}

std::string GameHeader::VersionLine() const {
    return " GAME VERSION : " + Hex(version, ':');
}

std::string GameHeader::SizeLine() const {
    return " GAME SIZE : " + GroupThousands(installedSize);
}

std::string GameHeader::GuidLine() const {
    return " GAME GUID : " + Hex(guid, '-');
}

std::string GroupThousands(std::uint64_t value) {
    const std::string digits = std::to_string(value);
    std::string out;
    for (std::size_t i = 0; i < digits.size(); ++i) {
        if (i > 0 && (digits.size() - i) % 3 == 0)
            out += ',';
        out += digits[i];
    }
    return out;
}

}  // namespace velkport::upgrade
