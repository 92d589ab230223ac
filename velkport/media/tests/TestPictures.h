#pragma once
// Pictures for the media tests, made with libjpeg-turbo: a colour gradient of any size, and the
// same picture carrying an EXIF thumbnail of a chosen size.

#include <turbojpeg.h>

#include <cstdint>
#include <string>
#include <vector>

#include "velkport/media/JpegPreparer.h"

namespace fixtures {

inline std::string MakeJpeg(int width, int height, int quality = 85) {
    std::vector<std::uint8_t> rgb(static_cast<std::size_t>(width) * height * 3);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            auto* p = &rgb[(static_cast<std::size_t>(y) * width + x) * 3];
            p[0] = static_cast<std::uint8_t>(x * 255 / width);
            p[1] = static_cast<std::uint8_t>(y * 255 / height);
            p[2] = static_cast<std::uint8_t>((x + y) & 0xFF);
        }
    tjhandle h = tjInitCompress();
    unsigned char* out = nullptr;
    unsigned long size = 0;
    tjCompress2(h, rgb.data(), width, 0, height, TJPF_RGB, &out, &size, TJSAMP_420, quality, 0);
    std::string bytes(reinterpret_cast<const char*>(out), size);
    tjFree(out);
    tjDestroy(h);
    return bytes;
}

inline std::string WithThumbnail(const std::string& picture, int tw, int th) {
    auto span = [](const std::string& s) {
        return std::span<const std::uint8_t>(reinterpret_cast<const std::uint8_t*>(s.data()),
                                             s.size());
    };
    const std::string thumb = MakeJpeg(tw, th);
    const auto out = velkport::media::JpegPreparer::WithExifThumbnail(span(picture), span(thumb));
    return out ? std::string(out->begin(), out->end()) : std::string();
}

}  // namespace fixtures
