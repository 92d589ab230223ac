#pragma once
// Prepares a picture for the receiver's JPEG area: the receiver shows a small preview from the
// picture's EXIF thumbnail, so a picture without one (or with a larger one) is uploaded as a
// copy that carries a 160 x 120 thumbnail in its EXIF data. Only the EXIF segment changes: the
// other segments and the compressed picture are copied byte for byte. A picture whose EXIF
// thumbnail is at most 160 x 120 already counts as prepared and is uploaded unchanged.
//
// The work files ("_thumbnail_.jpg", "_Download_.jpg") live in a folder of the preparer's own
// under the user's run-time folder ($XDG_RUNTIME_DIR) or cache folder, never beside the
// program; the folder goes when the preparer does.

#include <cstdint>
#include <filesystem>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace velkport::media {

class JpegPreparer {
  public:
    static constexpr int kThumbWidth = 160;
    static constexpr int kThumbHeight = 120;
    // Pictures larger than this are not read into memory.
    static constexpr std::uintmax_t kMaxPictureBytes = 256u << 20;

    enum class Status { Prepared, AlreadyPrepared, NotJpeg, Failed };
    struct Result {
        Status status = Status::Failed;
        std::filesystem::path uploadFile;  // what to upload (the picture itself, or the copy)
        std::string error;                 // Failed: why
    };

    // workRoot: where the preparer makes its own folder (DefaultWorkRoot() when empty).
    explicit JpegPreparer(std::filesystem::path workRoot = {});
    ~JpegPreparer();
    JpegPreparer(const JpegPreparer&) = delete;
    JpegPreparer& operator=(const JpegPreparer&) = delete;

    // The file to upload for picture; a prepared copy stays valid until the next Prepare or
    // until the preparer goes.
    Result Prepare(const std::filesystem::path& picture);
    const std::filesystem::path& workFolder() const { return work_; }
    // Removes the work files of the last Prepare (the folder stays until the preparer goes).
    void Clear();

    // $XDG_RUNTIME_DIR, else $XDG_CACHE_HOME or ~/.cache, else the system's temporary folder.
    static std::filesystem::path DefaultWorkRoot();

    // ----- The steps, on bytes in memory -----
    // Width and height from the picture's frame header; false when it is no JPEG.
    static bool PictureSize(std::span<const std::uint8_t> jpeg, int& width, int& height);
    // The picture decoded (with libjpeg-turbo's scaled decoding), scaled and cut to width x
    // height: rows of RGB bytes. Nothing when it does not decode.
    static std::optional<std::vector<std::uint8_t>> DecodeRgb(std::span<const std::uint8_t> jpeg,
                                                              int width, int height);
    // The same as a JPEG.
    static std::optional<std::vector<std::uint8_t>> MakeThumbnail(
        std::span<const std::uint8_t> jpeg, int width = kThumbWidth, int height = kThumbHeight);
    // The thumbnail carried in the picture's EXIF data, when there is one.
    static std::optional<std::vector<std::uint8_t>> ExifThumbnail(
        std::span<const std::uint8_t> jpeg);
    // True when the EXIF thumbnail is a JPEG of at most 160 x 120.
    static bool IsPrepared(std::span<const std::uint8_t> jpeg);
    // A copy of the picture whose EXIF data (kept when readable) carries thumbnail; nothing when
    // the picture's segments cannot be read.
    static std::optional<std::vector<std::uint8_t>> WithExifThumbnail(
        std::span<const std::uint8_t> jpeg, std::span<const std::uint8_t> thumbnail);

  private:
    bool ensureWorkFolder(std::string& error);

    std::filesystem::path root_;
    std::filesystem::path work_;
};

}  // namespace velkport::media
