#include "velkport/recordings/PngWriter.h"

#include <zlib.h>

#include <cstring>
#include <fstream>
#include <string>

#include "common/ByteOrder.h"

namespace velkport::recordings {

namespace {
void AppendChunk(std::vector<std::uint8_t>& out, const char* type,
                 const std::vector<std::uint8_t>& data) {
    std::uint8_t b[4];
    common::storeBe32(b, static_cast<std::uint32_t>(data.size()));
    out.insert(out.end(), b, b + 4);
    std::size_t typeAt = out.size();
    out.insert(out.end(), type, type + 4);
    out.insert(out.end(), data.begin(), data.end());
    uLong crc = crc32(0L, out.data() + typeAt, static_cast<uInt>(4 + data.size()));
    common::storeBe32(b, static_cast<std::uint32_t>(crc));
    out.insert(out.end(), b, b + 4);
}
}  // namespace

std::vector<std::uint8_t> PngWriter::Encode(std::span<const std::uint8_t> rgb, int width,
                                            int height) {
    if (width <= 0 || height <= 0 ||
        rgb.size() != static_cast<std::size_t>(width) * static_cast<std::size_t>(height) * 3)
        return {};
    const std::size_t row = static_cast<std::size_t>(width) * 3;
    std::vector<std::uint8_t> raw;
    raw.reserve((row + 1) * static_cast<std::size_t>(height));
    for (int y = 0; y < height; ++y) {
        raw.push_back(0);  // filter: none
        auto first = rgb.begin() + static_cast<std::ptrdiff_t>(row * static_cast<std::size_t>(y));
        raw.insert(raw.end(), first, first + static_cast<std::ptrdiff_t>(row));
    }
    uLongf packedSize = compressBound(static_cast<uLong>(raw.size()));
    std::vector<std::uint8_t> packed(packedSize);
    if (compress2(packed.data(), &packedSize, raw.data(), static_cast<uLong>(raw.size()), 6) !=
        Z_OK)
        return {};
    packed.resize(packedSize);
    std::vector<std::uint8_t> out = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    std::vector<std::uint8_t> ihdr(13, 0);
    common::storeBe32(&ihdr[0], static_cast<std::uint32_t>(width));
    common::storeBe32(&ihdr[4], static_cast<std::uint32_t>(height));
    ihdr[8] = 8;  // bits per sample
    ihdr[9] = 2;  // colour type: RGB
    AppendChunk(out, "IHDR", ihdr);
    AppendChunk(out, "IDAT", packed);
    AppendChunk(out, "IEND", {});
    return out;
}

bool PngWriter::WritePpmAsPng(std::span<const std::uint8_t> ppm, const std::filesystem::path& out) {
    // "P6", white space, width, white space, height, white space, 255, one white space.
    std::size_t pos = 0;
    auto skipSpace = [&] {
        while (pos < ppm.size() && std::strchr(" \t\r\n", ppm[pos]))
            ++pos;
    };
    auto number = [&]() -> long {
        skipSpace();
        long v = 0;
        std::size_t digits = 0;
        while (pos < ppm.size() && ppm[pos] >= '0' && ppm[pos] <= '9' && digits < 6) {
            v = v * 10 + (ppm[pos++] - '0');
            ++digits;
        }
        return digits ? v : -1;
    };
    if (ppm.size() < 2 || ppm[0] != 'P' || ppm[1] != '6')
        return false;
    pos = 2;
    long w = number(), h = number(), max = number();
    if (w <= 0 || h <= 0 || max != 255 || pos >= ppm.size())
        return false;
    ++pos;
    auto png = Encode(ppm.subspan(pos), static_cast<int>(w), static_cast<int>(h));
    if (png.empty())
        return false;
    std::ofstream f(out, std::ios::binary | std::ios::trunc);
    f.write(reinterpret_cast<const char*>(png.data()), static_cast<std::streamsize>(png.size()));
    return static_cast<bool>(f);
}

}  // namespace velkport::recordings
