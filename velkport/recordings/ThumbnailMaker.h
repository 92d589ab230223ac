#pragma once
// The picture of a recording: walks the 188-byte transport-stream packets of its thumbnail bytes,
// feeds the video payload to an MPEG-2 decoder until the first picture is complete, scales it to
// 180 x 144 and wraps it as a binary PPM image.

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

namespace velkport::recordings {

struct ThumbnailResult {
    bool picture = false;        // a picture came out; ppm holds it
    bool stopped = false;        // scrambled packets stopped the walk
    std::size_t packets = 0;     // whole packets in the bytes
    std::size_t fedPackets = 0;  // packets whose payload went to the decoder
    std::size_t fedBytes = 0;    // bytes that went to the decoder
    int sourceWidth = 0;
    int sourceHeight = 0;
    std::vector<std::uint8_t> ppm;  // "P6\n180 144\n255\n" and 77760 pixel bytes
};

class ThumbnailMaker {
  public:
    static constexpr int kWidth = 180;
    static constexpr int kHeight = 144;
    static constexpr std::size_t kPpmHeaderSize = 15;
    static constexpr std::size_t kPixelBytes = kWidth * kHeight * 3;

    // The walk: the known-scrambled flag stops it before the first packet.
    static ThumbnailResult MakeThumbnail(std::span<const std::uint8_t> bytes, bool knownScrambled);

    // Where the decoder's data starts in one packet: the offset (which may equal 188 for an
    // empty payload), kSkip for a packet that is not fed, kScrambled for a scrambled one.
    static constexpr int kSkip = -1;
    static constexpr int kScrambled = -2;
    static int PacketDataStart(std::span<const std::uint8_t, 188> packet);

    // Nearest-neighbour scaling of an RGB24 picture to 180 x 144.
    static std::vector<std::uint8_t> ScalePicture(const std::uint8_t* rgb, int width, int height);
    static std::vector<std::uint8_t> BuildPpm(std::span<const std::uint8_t> pixels);
};

}  // namespace velkport::recordings
