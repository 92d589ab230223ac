#include "velkport/recordings/TailHeader.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstring>

#include "common/ByteOrder.h"
#include "velkport/recordings/RecordCommands.h"
#include "velkport/recordings/RecordInfo.h"
#include "velkport/recordings/RecordText.h"

namespace velkport::recordings {

bool TempHeader::create(const std::filesystem::path& folder) {
    path_ = folder / kTempHeaderName;
    std::error_code ec;
    std::filesystem::remove(path_, ec);
    length_ = 0;
    return file_.open(path_, LargeFile::Mode::CreateReadWrite);
}

bool TempHeader::writeStart(const std::string& title) {
    std::array<std::uint8_t, 8 + kTitleFieldSize> b{};
    std::memcpy(b.data(), "VELK", 4);
    common::storeBe32(b.data() + 4, kTitleFieldSize);
    std::string cut = CutToBytes(title, kTitleFieldSize);
    std::memcpy(b.data() + 8, cut.data(), cut.size());
    length_ += static_cast<std::int64_t>(b.size());
    return file_.write(b.data(), b.size());
}

bool TempHeader::writeInfo(const std::string& eventText,
                           const std::vector<std::uint8_t>& thumbnail) {
    if (length_ + static_cast<std::int64_t>(8 + eventText.size() + thumbnail.size()) >
        kMaxTailHeaderLength)
        return false;
    std::uint8_t len[4];
    common::storeBe32(len, static_cast<std::uint32_t>(eventText.size()));
    bool ok = file_.write(len, 4) && file_.write(eventText.data(), eventText.size());
    common::storeBe32(len, static_cast<std::uint32_t>(thumbnail.size()));
    ok = ok && file_.write(len, 4) && file_.write(thumbnail.data(), thumbnail.size());
    length_ += static_cast<std::int64_t>(8 + eventText.size() + thumbnail.size());
    return ok;
}

bool TempHeader::appendBlock(const std::vector<std::uint8_t>& stored) {
    if (length_ + static_cast<std::int64_t>(stored.size()) > kMaxTailHeaderLength)
        return false;
    length_ += static_cast<std::int64_t>(stored.size());
    return file_.write(stored.data(), stored.size());
}

std::uint32_t AppendTailHeader(LargeFile& recording, const std::filesystem::path& tempHeader) {
    LargeFile header;
    if (!header.open(tempHeader, LargeFile::Mode::ReadShared))
        return 0;
    std::uint8_t piece[1024];
    std::uint64_t copied = 0;
    for (;;) {
        std::int64_t n = header.read(piece, sizeof piece);
        if (n < 0)
            return 0;
        if (n == 0)
            break;
        // Only a header that fits the 32-bit trailer is copied.
        if (copied + static_cast<std::uint64_t>(n) + 4 > UINT32_MAX)
            return 0;
        if (!recording.write(piece, static_cast<std::size_t>(n)))
            return 0;
        copied += static_cast<std::uint64_t>(n);
    }
    auto trailer = static_cast<std::uint32_t>(copied + 4);
    std::uint8_t t[4];
    common::storeLe32(t, trailer);
    return recording.write(t, 4) ? trailer : 0;
}

TailStatus TailHeaderReader::open(const std::filesystem::path& path, LargeFile::Mode mode,
                                  std::int64_t minimumLength) {
    LargeFile f;
    if (!f.open(path, mode)) {
        file_ = std::move(f);
        return TailStatus::CannotOpen;
    }
    return open(std::move(f), minimumLength);
}

TailStatus TailHeaderReader::open(LargeFile file, std::int64_t minimumLength) {
    file_ = std::move(file);
    return check(minimumLength);
}

bool TailHeaderReader::readField(std::uint32_t& value) {
    std::uint8_t b[4];
    if (remaining() < 4 || !file_.readExactly(b, 4))
        return false;
    pos_ += 4;
    value = common::loadBe32(b);
    return true;
}

TailStatus TailHeaderReader::check(std::int64_t minimumLength) {
    fileLength_ = file_.length();
    if (fileLength_ < 0)
        return TailStatus::CannotOpen;
    if (fileLength_ < std::max<std::int64_t>(minimumLength, 4))
        return minimumLength >= kMinimumRecordingLength ? TailStatus::TooShort
                                                        : TailStatus::NotRecording;
    std::uint8_t t[4];
    if (!file_.seek(-4, LargeFile::Origin::End) || !file_.readExactly(t, 4))
        return TailStatus::NotRecording;
    trailer_ = common::loadLe32(t);
    if (trailer_ == 0 || static_cast<std::int64_t>(trailer_) >= fileLength_ - 4)
        return TailStatus::NotRecording;
    pos_ = fileLength_ - trailer_;
    headerEnd_ = fileLength_ - 4;
    if (!file_.seek(pos_, LargeFile::Origin::Begin))
        return TailStatus::NotRecording;
    std::uint8_t magic[4];
    if (remaining() < 4 || !file_.readExactly(magic, 4) || std::memcmp(magic, "VELK", 4) != 0)
        return TailStatus::NotRecording;
    pos_ += 4;
    std::uint32_t titleLength = 0;
    if (!readField(titleLength) || titleLength > kMaxTailTitleLength || titleLength > remaining())
        return TailStatus::NotRecording;
    char title[kMaxTailTitleLength + 1] = {};
    if (!file_.readExactly(title, titleLength))
        return TailStatus::NotRecording;
    pos_ += titleLength;
    title_ = ToDisplayText(title);
    return TailStatus::Ok;
}

bool TailHeaderReader::readBody(std::string& eventText, std::vector<std::uint8_t>& thumbnail) {
    std::uint32_t textLength = 0;
    if (!readField(textLength) || textLength > remaining() || textLength > kMaxThumbnailBytes)
        return false;
    std::string text(textLength, '\0');
    if (!file_.readExactly(text.data(), textLength))
        return false;
    pos_ += textLength;
    text.resize(std::strlen(text.c_str()));
    eventText = ToDisplayText(text);
    std::uint32_t thumbLength = 0;
    if (!readField(thumbLength) || thumbLength > remaining() || thumbLength > kMaxThumbnailBytes)
        return false;
    thumbnail.assign(thumbLength, 0);
    if (!file_.readExactly(thumbnail.data(), thumbLength))
        return false;
    pos_ += thumbLength;
    return true;
}

int TailHeaderReader::nextBlock(HeaderBlock& block, std::vector<std::uint8_t>& payload) {
    if (remaining() == 0)
        return 0;
    std::uint8_t h[kHeaderBlockHeaderSize];
    if (remaining() < static_cast<std::int64_t>(kHeaderBlockHeaderSize) ||
        !file_.readExactly(h, sizeof h))
        return -1;
    pos_ += static_cast<std::int64_t>(sizeof h);
    block = *ParseHeaderBlock(h);
    if (block.payloadLength > remaining() ||
        block.payloadLength > kMessageSize - kHeaderBlockHeaderSize)
        return -1;
    payload.assign(block.payloadLength, 0);
    if (!file_.readExactly(payload.data(), payload.size()))
        return -1;
    pos_ += block.payloadLength;
    return 1;
}

std::optional<std::string> ReadTailTitle(const std::filesystem::path& path) {
    TailHeaderReader reader;
    if (reader.open(path, LargeFile::Mode::ReadShared, 4) != TailStatus::Ok)
        return std::nullopt;
    return reader.title();
}

TailStatus ReadTailHeader(const std::filesystem::path& path, TailHeaderContents& out) {
    TailHeaderReader reader;
    TailStatus s = reader.open(path, LargeFile::Mode::ReadShared);
    if (s != TailStatus::Ok)
        return s;
    out.title = reader.title();
    if (!reader.readBody(out.eventText, out.thumbnail))
        return TailStatus::NotRecording;
    return TailStatus::Ok;
}

}  // namespace velkport::recordings
