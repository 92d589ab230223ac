#include "velkport/recordings/ThumbnailMaker.h"

#include <algorithm>
#include <cstdio>
#include <memory>

extern "C" {
#include <mpeg2.h>
#include <mpeg2convert.h>
#include <stdint.h>  // mpeg2.h needs it first
}

#include "velkport/recordings/RecordCommands.h"

namespace velkport::recordings {

namespace {
struct DecoderCloser {
    void operator()(mpeg2dec_t* d) const { mpeg2_close(d); }
};
using Decoder = std::unique_ptr<mpeg2dec_t, DecoderCloser>;
}  // namespace

int ThumbnailMaker::PacketDataStart(std::span<const std::uint8_t, 188> p) {
    constexpr int kEnd = static_cast<int>(kPacketSize);
    if (p[0] != 0x47 || (p[1] & 0x80) != 0)
        return kSkip;
    int start = 4;
    if (p[3] & 0x20) {
        start = 5 + p[4];
        if (start > kEnd)
            return kSkip;
    }
    if (p[3] & 0xC0)
        return kScrambled;
    // A video PES header: skip it; its data starts behind the header data.
    if (start + 4 <= kEnd && p[start] == 0 && p[start + 1] == 0 && p[start + 2] == 1 &&
        (p[start + 3] & 0xE0) == 0xE0) {
        if (start + 9 > kEnd)
            return kSkip;
        if (p[start + 6] & 0x30)
            return kScrambled;
        int data = start + 9 + p[start + 8];
        if (data > kEnd)
            return kSkip;
        return data;
    }
    return start;
}

std::vector<std::uint8_t> ThumbnailMaker::ScalePicture(const std::uint8_t* rgb, int width,
                                                       int height) {
    std::vector<std::uint8_t> out(kPixelBytes);
    const double rowStep = height * (1.0 / kHeight);
    const double colStep = width * (1.0 / kWidth);
    std::size_t o = 0;
    for (int r = 0; r < kHeight; ++r) {
        auto sr = static_cast<std::size_t>(r * rowStep);
        for (int c = 0; c < kWidth; ++c) {
            auto sc = static_cast<std::size_t>(c * colStep);
            const std::uint8_t* s = rgb + (sr * static_cast<std::size_t>(width) + sc) * 3;
            out[o++] = s[0];
            out[o++] = s[1];
            out[o++] = s[2];
        }
    }
    return out;
}

std::vector<std::uint8_t> ThumbnailMaker::BuildPpm(std::span<const std::uint8_t> pixels) {
    char header[32];
    int n = std::snprintf(header, sizeof header, "P6\n%d %d\n255\n", kWidth, kHeight);
    std::vector<std::uint8_t> out(static_cast<std::size_t>(n) + pixels.size());
    std::copy_n(header, n, out.begin());
    std::copy(pixels.begin(), pixels.end(), out.begin() + n);
    return out;
}

ThumbnailResult ThumbnailMaker::MakeThumbnail(std::span<const std::uint8_t> bytes,
                                              bool knownScrambled) {
    ThumbnailResult result;
    result.packets = bytes.size() / kPacketSize;
    Decoder decoder(mpeg2_init());
    if (!decoder) {
        std::fputs("Could not allocate a decoder object.\n", stderr);
        return result;
    }
    const mpeg2_info_t* info = mpeg2_info(decoder.get());
    bool stop = knownScrambled;
    result.stopped = stop;
    for (std::size_t i = 0; i < result.packets && !result.picture && !stop; ++i) {
        std::span<const std::uint8_t, 188> packet(bytes.data() + i * kPacketSize, kPacketSize);
        int start = PacketDataStart(packet);
        if (start == kScrambled) {
            stop = result.stopped = true;
            continue;
        }
        if (start == kSkip || start == static_cast<int>(kPacketSize))
            continue;
        // libmpeg2 reads the buffer but its interface is not const.
        auto* begin = const_cast<std::uint8_t*>(packet.data() + start);
        auto* end = const_cast<std::uint8_t*>(packet.data() + kPacketSize);
        mpeg2_buffer(decoder.get(), begin, end);
        result.fedBytes += static_cast<std::size_t>(end - begin);
        ++result.fedPackets;
        for (;;) {
            mpeg2_state_t state = mpeg2_parse(decoder.get());
            if (state == STATE_BUFFER)
                break;
            if (state == STATE_SEQUENCE) {
                mpeg2_convert(decoder.get(), mpeg2convert_rgb24, nullptr);
            } else if (state == STATE_SLICE || state == STATE_END || state == STATE_INVALID_END) {
                // The picture just decoded is in the current frame buffer; the display buffer
                // only follows one picture later, which a cut-off thumbnail may never bring.
                const mpeg2_fbuf_t* fbuf =
                    info->current_fbuf ? info->current_fbuf : info->display_fbuf;
                if (!fbuf || !info->sequence)
                    continue;
                result.sourceWidth = static_cast<int>(info->sequence->width);
                result.sourceHeight = static_cast<int>(info->sequence->height);
                result.ppm =
                    BuildPpm(ScalePicture(fbuf->buf[0], result.sourceWidth, result.sourceHeight));
                result.picture = true;
                break;
            }
        }
    }
    return result;
}

}  // namespace velkport::recordings
