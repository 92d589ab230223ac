#pragma once
// Writes an RGB24 picture as a PNG file (zlib does the compression), for saving thumbnails.

#include <cstdint>
#include <filesystem>
#include <span>
#include <vector>

namespace velkport::recordings {

class PngWriter {
  public:
    // The PNG bytes of width x height pixels, 3 bytes each, rows top to bottom; empty when the
    // pixel count does not match.
    static std::vector<std::uint8_t> Encode(std::span<const std::uint8_t> rgb, int width,
                                            int height);
    // The picture of a binary PPM (P6, maximum 255) buffer as a PNG file.
    static bool WritePpmAsPng(std::span<const std::uint8_t> ppm, const std::filesystem::path& out);
};

}  // namespace velkport::recordings
