#include "velkport/media/JpegPreparer.h"

#include <libexif/exif-data.h>
#include <stdlib.h>
#include <turbojpeg.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <memory>

#include "common/ByteOrder.h"
#include "velkport/media/PartialFile.h"

namespace velkport::media {

namespace fs = std::filesystem;

namespace {

using Bytes = std::vector<std::uint8_t>;
using Span = std::span<const std::uint8_t>;

constexpr std::uint8_t kExifHeader[] = {'E', 'x', 'i', 'f', 0, 0};
constexpr std::size_t kMaxSegmentData = 65533;  // a segment's length field counts itself
constexpr long kMaxScaledPixels = 4096L * 4096L;

struct TjDeleter {
    void operator()(void* h) const { tjDestroy(h); }
};
using TjHandle = std::unique_ptr<void, TjDeleter>;

struct ExifDeleter {
    void operator()(ExifData* d) const { exif_data_unref(d); }
};
using ExifHandle = std::unique_ptr<ExifData, ExifDeleter>;

// One marker segment before the picture's scan: where it starts and how long it is in all
// (marker and length field included).
struct Segment {
    std::size_t offset;
    std::size_t size;
    std::uint8_t marker;
    bool exif;
};

// The segments from the start-of-image marker up to the first scan; scanStart is where the
// start-of-scan marker is. False when the bytes are not laid out as a JPEG.
bool ReadSegments(Span b, std::vector<Segment>& segments, std::size_t& scanStart) {
    if (b.size() < 4 || b[0] != 0xFF || b[1] != 0xD8)
        return false;
    std::size_t pos = 2;
    while (pos + 1 < b.size()) {
        if (b[pos] != 0xFF)
            return false;
        if (b[pos + 1] == 0xFF) {  // fill byte
            ++pos;
            continue;
        }
        const std::uint8_t marker = b[pos + 1];
        if (marker == 0xDA) {
            scanStart = pos;
            return true;
        }
        if (marker == 0xD9)
            return false;
        if (marker == 0x01 || (marker >= 0xD0 && marker <= 0xD7)) {
            pos += 2;
            continue;
        }
        if (pos + 4 > b.size())
            return false;
        const std::size_t len = common::loadBe16(&b[pos + 2]);
        if (len < 2 || len > b.size() - pos - 2)
            return false;
        const bool exif = marker == 0xE1 && len >= 2 + sizeof kExifHeader &&
                          std::equal(std::begin(kExifHeader), std::end(kExifHeader),
                                     b.begin() + static_cast<std::ptrdiff_t>(pos + 4));
        segments.push_back({pos, len + 2, marker, exif});
        pos += len + 2;
    }
    return false;
}

ExifHandle LoadExif(Span b) {
    std::vector<Segment> segments;
    std::size_t scan = 0;
    if (!ReadSegments(b, segments, scan))
        return nullptr;
    for (const auto& s : segments)
        if (s.exif)
            return ExifHandle(
                exif_data_new_from_data(&b[s.offset + 4], static_cast<unsigned>(s.size - 4)));
    return nullptr;
}

// Average of the source pixels under each target pixel, after cutting the source to the
// target's proportions around its centre.
Bytes CoverScale(const Bytes& src, int sw, int sh, int tw, int th) {
    double cw = sw, ch = sh;
    if (static_cast<double>(sw) / sh > static_cast<double>(tw) / th)
        cw = static_cast<double>(sh) * tw / th;
    else
        ch = static_cast<double>(sw) * th / tw;
    const double x0 = (sw - cw) / 2, y0 = (sh - ch) / 2;
    Bytes out(static_cast<std::size_t>(tw) * th * 3);
    for (int y = 0; y < th; ++y) {
        int ya = static_cast<int>(y0 + ch * y / th);
        int yb = std::max(ya + 1, static_cast<int>(y0 + ch * (y + 1) / th));
        yb = std::min(yb, sh);
        ya = std::min(ya, yb - 1);
        for (int x = 0; x < tw; ++x) {
            int xa = static_cast<int>(x0 + cw * x / tw);
            int xb = std::max(xa + 1, static_cast<int>(x0 + cw * (x + 1) / tw));
            xb = std::min(xb, sw);
            xa = std::min(xa, xb - 1);
            unsigned long sum[3] = {0, 0, 0};
            for (int yy = ya; yy < yb; ++yy)
                for (int xx = xa; xx < xb; ++xx)
                    for (int c = 0; c < 3; ++c)
                        sum[c] += src[(static_cast<std::size_t>(yy) * sw + xx) * 3 + c];
            const unsigned long n = static_cast<unsigned long>(yb - ya) * (xb - xa);
            for (int c = 0; c < 3; ++c)
                out[(static_cast<std::size_t>(y) * tw + x) * 3 + c] =
                    static_cast<std::uint8_t>(sum[c] / n);
        }
    }
    return out;
}

std::optional<Bytes> ReadPicture(const fs::path& file) {
    std::error_code ec;
    const auto size = fs::file_size(file, ec);
    if (ec || size == 0 || size > JpegPreparer::kMaxPictureBytes)
        return std::nullopt;
    std::ifstream in(file, std::ios::binary);
    Bytes bytes(size);
    if (!in.read(reinterpret_cast<char*>(bytes.data()), static_cast<std::streamsize>(size)))
        return std::nullopt;
    return bytes;
}

}  // namespace

JpegPreparer::JpegPreparer(fs::path workRoot)
    : root_(workRoot.empty() ? DefaultWorkRoot() : std::move(workRoot)) {}

JpegPreparer::~JpegPreparer() {
    if (!work_.empty()) {
        std::error_code ec;
        fs::remove_all(work_, ec);
    }
}

fs::path JpegPreparer::DefaultWorkRoot() {
    if (const char* run = std::getenv("XDG_RUNTIME_DIR"); run && *run && fs::is_directory(run))
        return run;
    if (const char* cache = std::getenv("XDG_CACHE_HOME"); cache && *cache)
        return cache;
    if (const char* home = std::getenv("HOME"); home && *home)
        return fs::path(home) / ".cache";
    return fs::temp_directory_path();
}

bool JpegPreparer::ensureWorkFolder(std::string& error) {
    if (!work_.empty() && fs::is_directory(work_))
        return true;
    std::error_code ec;
    fs::create_directories(root_, ec);
    std::string pattern = (root_ / "velkport-jpeg-XXXXXX").string();
    std::vector<char> name(pattern.begin(), pattern.end());
    name.push_back('\0');
    if (!::mkdtemp(name.data())) {
        error = "cannot make a work folder in " + root_.string() + ": " + std::strerror(errno);
        return false;
    }
    work_ = name.data();
    return true;
}

void JpegPreparer::Clear() {
    if (work_.empty())
        return;
    std::error_code ec;
    fs::remove(work_ / "_thumbnail_.jpg", ec);
    fs::remove(work_ / "_Download_.jpg", ec);
}

JpegPreparer::Result JpegPreparer::Prepare(const fs::path& picture) {
    Clear();
    Result r;
    const auto bytes = ReadPicture(picture);
    int w = 0, h = 0;
    if (!bytes || !PictureSize(*bytes, w, h)) {
        r.status = Status::NotJpeg;
        return r;
    }
    if (IsPrepared(*bytes)) {
        r.status = Status::AlreadyPrepared;
        r.uploadFile = picture;
        return r;
    }
    const auto thumb = MakeThumbnail(*bytes);
    const auto copy = thumb ? WithExifThumbnail(*bytes, *thumb) : std::nullopt;
    if (!copy) {
        r.status = Status::NotJpeg;
        return r;
    }
    if (!ensureWorkFolder(r.error))
        return r;
    const fs::path thumbFile = work_ / "_thumbnail_.jpg";
    const fs::path copyFile = work_ / "_Download_.jpg";
    if (!PartialFile::WriteWhole(thumbFile, thumb->data(), thumb->size(), &r.error) ||
        !PartialFile::WriteWhole(copyFile, copy->data(), copy->size(), &r.error))
        return r;
    r.status = Status::Prepared;
    r.uploadFile = copyFile;
    return r;
}

bool JpegPreparer::PictureSize(Span jpeg, int& width, int& height) {
    std::vector<Segment> segments;
    std::size_t scan = 0;
    if (!ReadSegments(jpeg, segments, scan))
        return false;
    TjHandle tj(tjInitDecompress());
    int subsamp = 0, colorspace = 0;
    if (!tj || tjDecompressHeader3(tj.get(), jpeg.data(), static_cast<unsigned long>(jpeg.size()),
                                   &width, &height, &subsamp, &colorspace) != 0)
        return false;
    return width > 0 && height > 0;
}

std::optional<Bytes> JpegPreparer::DecodeRgb(Span jpeg, int width, int height) {
    int w = 0, h = 0;
    if (width <= 0 || height <= 0 || !PictureSize(jpeg, w, h))
        return std::nullopt;
    int n = 0;
    const tjscalingfactor* factors = tjGetScalingFactors(&n);
    int sw = w, sh = h;
    for (int i = 0; factors && i < n; ++i) {
        const int fw = TJSCALED(w, factors[i]), fh = TJSCALED(h, factors[i]);
        if (fw >= std::min(width, w) && fh >= std::min(height, h) &&
            static_cast<long>(fw) * fh < static_cast<long>(sw) * sh) {
            sw = fw;
            sh = fh;
        }
    }
    if (static_cast<long>(sw) * sh > kMaxScaledPixels)
        return std::nullopt;
    Bytes rgb(static_cast<std::size_t>(sw) * sh * 3);
    TjHandle dec(tjInitDecompress());
    if (!dec || (tjDecompress2(dec.get(), jpeg.data(), static_cast<unsigned long>(jpeg.size()),
                               rgb.data(), sw, 0, sh, TJPF_RGB, TJFLAG_FASTDCT) != 0 &&
                 tjGetErrorCode(dec.get()) != TJERR_WARNING))
        return std::nullopt;
    return CoverScale(rgb, sw, sh, width, height);
}

std::optional<Bytes> JpegPreparer::MakeThumbnail(Span jpeg, int width, int height) {
    const auto small = DecodeRgb(jpeg, width, height);
    if (!small)
        return std::nullopt;
    TjHandle enc(tjInitCompress());
    unsigned char* out = nullptr;
    unsigned long outSize = 0;
    if (!enc || tjCompress2(enc.get(), small->data(), width, 0, height, TJPF_RGB, &out, &outSize,
                            TJSAMP_420, 80, 0) != 0) {
        tjFree(out);
        return std::nullopt;
    }
    Bytes result(out, out + outSize);
    tjFree(out);
    return result;
}

std::optional<Bytes> JpegPreparer::ExifThumbnail(Span jpeg) {
    ExifHandle exif = LoadExif(jpeg);
    if (!exif || !exif->data || exif->size == 0)
        return std::nullopt;
    return Bytes(exif->data, exif->data + exif->size);
}

bool JpegPreparer::IsPrepared(Span jpeg) {
    const auto thumb = ExifThumbnail(jpeg);
    int w = 0, h = 0;
    return thumb && PictureSize(*thumb, w, h) && w <= kThumbWidth && h <= kThumbHeight;
}

std::optional<Bytes> JpegPreparer::WithExifThumbnail(Span jpeg, Span thumbnail) {
    std::vector<Segment> segments;
    std::size_t scan = 0;
    if (!ReadSegments(jpeg, segments, scan) || thumbnail.empty() ||
        thumbnail.size() > kMaxSegmentData)
        return std::nullopt;

    // The picture's own EXIF data when libexif reads it; a fresh set otherwise, and also when
    // the old data with the new thumbnail would not fit into one segment.
    Bytes app1;
    for (int attempt = 0; attempt < 2 && app1.empty(); ++attempt) {
        ExifHandle exif = attempt == 0 ? LoadExif(jpeg) : nullptr;
        if (!exif)
            exif.reset(exif_data_new());
        if (!exif)
            return std::nullopt;
        if (exif->data)
            std::free(exif->data);
        exif->data = static_cast<unsigned char*>(std::malloc(thumbnail.size()));
        if (!exif->data)
            return std::nullopt;
        std::memcpy(exif->data, thumbnail.data(), thumbnail.size());
        exif->size = static_cast<unsigned int>(thumbnail.size());

        // IFD 1 describes the thumbnail: JPEG compression (6).
        ExifContent* ifd1 = exif->ifd[EXIF_IFD_1];
        ExifEntry* comp = exif_content_get_entry(ifd1, EXIF_TAG_COMPRESSION);
        if (!comp) {
            ExifEntry* e = exif_entry_new();
            if (!e)
                return std::nullopt;
            e->tag = EXIF_TAG_COMPRESSION;
            e->format = EXIF_FORMAT_SHORT;
            e->components = 1;
            e->size = 2;
            e->data = static_cast<unsigned char*>(std::calloc(1, 2));
            exif_content_add_entry(ifd1, e);
            exif_entry_unref(e);
            comp = e;
        }
        if (comp->data && comp->size >= 2 && comp->format == EXIF_FORMAT_SHORT)
            exif_set_short(comp->data, exif_data_get_byte_order(exif.get()), 6);

        unsigned char* saved = nullptr;
        unsigned int savedSize = 0;
        exif_data_save_data(exif.get(), &saved, &savedSize);
        if (saved && savedSize > 0 && savedSize <= kMaxSegmentData) {
            app1 = {0xFF, 0xE1, 0, 0};
            common::storeBe16(&app1[2], static_cast<std::uint16_t>(savedSize + 2));
            app1.insert(app1.end(), saved, saved + savedSize);
        }
        std::free(saved);
    }
    if (app1.empty())
        return std::nullopt;

    Bytes out(jpeg.begin(), jpeg.begin() + 2);
    std::size_t i = 0;
    for (; i < segments.size() && segments[i].marker == 0xE0; ++i)  // JFIF stays first
        out.insert(
            out.end(), jpeg.begin() + static_cast<std::ptrdiff_t>(segments[i].offset),
            jpeg.begin() + static_cast<std::ptrdiff_t>(segments[i].offset + segments[i].size));
    out.insert(out.end(), app1.begin(), app1.end());
    for (; i < segments.size(); ++i)
        if (!segments[i].exif)
            out.insert(
                out.end(), jpeg.begin() + static_cast<std::ptrdiff_t>(segments[i].offset),
                jpeg.begin() + static_cast<std::ptrdiff_t>(segments[i].offset + segments[i].size));
    out.insert(out.end(), jpeg.begin() + static_cast<std::ptrdiff_t>(scan), jpeg.end());
    return out;
}

}  // namespace velkport::media
