// Preparing pictures for the JPEG area: the 160 x 120 EXIF thumbnail as libexif reads it back,
// the picture itself left byte for byte, pictures that count as prepared, files that are no
// picture, and the work files.

#include <gtest/gtest.h>
#include <libexif/exif-data.h>
#include <turbojpeg.h>

#include "tests/fixtures/TempDir.h"
#include "velkport/media/JpegPreparer.h"
#include "velkport/media/tests/TestPictures.h"

using velkport::media::JpegPreparer;
namespace fs = std::filesystem;

namespace {

std::span<const std::uint8_t> Span(const std::string& s) {
    return {reinterpret_cast<const std::uint8_t*>(s.data()), s.size()};
}

// The thumbnail's size as libexif finds it in the file.
std::pair<int, int> ExifThumbSize(const std::string& jpeg) {
    ExifData* d = exif_data_new_from_data(Span(jpeg).data(), static_cast<unsigned>(jpeg.size()));
    std::pair<int, int> size{0, 0};
    if (d && d->data) {
        tjhandle h = tjInitDecompress();
        int ss = 0, cs = 0;
        tjDecompressHeader3(h, d->data, d->size, &size.first, &size.second, &ss, &cs);
        tjDestroy(h);
    }
    if (d)
        exif_data_unref(d);
    return size;
}

// Everything from the picture's start-of-scan marker on (the last one: an EXIF thumbnail before
// it has its own).
std::string Scan(const std::string& jpeg) {
    return jpeg.substr(jpeg.rfind("\xFF\xDA"));
}

}  // namespace

TEST(JpegPreparer, CopyCarriesA160x120ExifThumbnailAndTheSamePicture) {
    fixtures::TempDir dir;
    const std::string picture = fixtures::MakeJpeg(800, 600);
    fixtures::writeFile(dir / "p.jpg", picture);
    JpegPreparer preparer(dir / "work");
    const auto r = preparer.Prepare(dir / "p.jpg");
    ASSERT_EQ(r.status, JpegPreparer::Status::Prepared) << r.error;
    EXPECT_EQ(r.uploadFile.parent_path().parent_path(), dir / "work");
    EXPECT_EQ(r.uploadFile.filename(), "_Download_.jpg");
    const std::string copy = fixtures::readFile(r.uploadFile);
    EXPECT_EQ(ExifThumbSize(copy), std::make_pair(160, 120));
    EXPECT_EQ(Scan(copy), Scan(picture));
    int w = 0, h = 0;
    ASSERT_TRUE(JpegPreparer::PictureSize(Span(copy), w, h));
    EXPECT_EQ(std::make_pair(w, h), std::make_pair(800, 600));
    EXPECT_EQ(fixtures::readFile(dir / "p.jpg"), picture);  // the original stays as it was
    preparer.Clear();
    EXPECT_TRUE(fs::is_empty(preparer.workFolder()));
}

TEST(JpegPreparer, SmallExifThumbnailCountsAsPreparedLargerOneIsReplaced) {
    fixtures::TempDir dir;
    const std::string base = fixtures::MakeJpeg(320, 240);
    const std::vector<std::tuple<int, int, bool>> cases = {
        {160, 120, true}, {120, 160, false}, {80, 60, true}, {320, 240, false}};
    for (const auto& [tw, th, prepared] : cases) {
        const std::string picture = fixtures::WithThumbnail(base, tw, th);
        ASSERT_FALSE(picture.empty());
        fixtures::writeFile(dir / "p.jpg", picture);
        JpegPreparer preparer(dir.path());
        const auto r = preparer.Prepare(dir / "p.jpg");
        EXPECT_EQ(r.status,
                  prepared ? JpegPreparer::Status::AlreadyPrepared : JpegPreparer::Status::Prepared)
            << tw << "x" << th;
        EXPECT_EQ(r.uploadFile == dir / "p.jpg", prepared);
        EXPECT_EQ(ExifThumbSize(fixtures::readFile(r.uploadFile)),
                  prepared ? std::make_pair(tw, th) : std::make_pair(160, 120));
    }
}

TEST(JpegPreparer, FilesThatAreNoPictureAreRefused) {
    fixtures::TempDir dir;
    const std::string good = fixtures::MakeJpeg(64, 64);
    const std::vector<std::string> bad = {"", "plain text", good.substr(0, 2),
                                          good.substr(0, good.find("\xFF\xDA") / 2),
                                          "\xFF\xD8\xFF\xE1\xFF\xFF" + std::string(10, 'x')};
    for (const auto& bytes : bad) {
        fixtures::writeFile(dir / "x.jpg", bytes);
        JpegPreparer preparer(dir / "work");
        EXPECT_EQ(preparer.Prepare(dir / "x.jpg").status, JpegPreparer::Status::NotJpeg)
            << bytes.size();
    }
    JpegPreparer preparer(dir / "work");
    EXPECT_EQ(preparer.Prepare(dir / "missing.jpg").status, JpegPreparer::Status::NotJpeg);
}

TEST(JpegPreparer, WorkFolderLivesInTheRunTimeFolderAndGoesWithThePreparer) {
    fixtures::TempDir dir;
    setenv("XDG_RUNTIME_DIR", dir.path().c_str(), 1);
    EXPECT_EQ(JpegPreparer::DefaultWorkRoot(), dir.path());
    fixtures::writeFile(dir / "p.jpg", fixtures::MakeJpeg(200, 100));
    fs::path work;
    {
        JpegPreparer preparer;
        ASSERT_EQ(preparer.Prepare(dir / "p.jpg").status, JpegPreparer::Status::Prepared);
        work = preparer.workFolder();
        EXPECT_EQ(work.parent_path(), dir.path());
        EXPECT_TRUE(fs::exists(work / "_thumbnail_.jpg"));
    }
    EXPECT_FALSE(fs::exists(work));
    unsetenv("XDG_RUNTIME_DIR");
}
