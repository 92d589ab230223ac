#pragma once
// The copy of a recording's header kept at the end of a downloaded recording file:
//   "VELK", title length (32), title, event text length and text, thumbnail length and bytes,
//   the header blocks as received,
// followed by a 4-byte trailer (header length + 4, least significant byte first). During a
// download the header is gathered in the work file "temp.header" in the local record folder.

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "velkport/recordings/HeaderBlock.h"
#include "velkport/recordings/LargeFile.h"

namespace velkport::recordings {

inline constexpr const char* kTempHeaderName = "temp.header";
// A file shorter than this cannot hold a header: it is an incorrect file.
inline constexpr std::int64_t kMinimumRecordingLength = 48;
// The most header bytes one download keeps: the receiver's header messages are counted before
// they are stored, so that the 32-bit trailer can never wrap.
inline constexpr std::int64_t kMaxTailHeaderLength = 64 << 20;
// Longest title a header may announce (the reader's title buffer).
inline constexpr std::uint32_t kMaxTailTitleLength = 64;

// The work file, created ("w+b") in the local record folder at the start of a download.
class TempHeader {
  public:
    bool create(const std::filesystem::path& folder);
    // "VELK", 32 and the title cut to 32 bytes, zero-padded.
    bool writeStart(const std::string& title);
    // The event text with its length, then the thumbnail with its length (0 for radio).
    bool writeInfo(const std::string& eventText, const std::vector<std::uint8_t>& thumbnail);
    // False, with nothing written, once the header would pass kMaxTailHeaderLength.
    bool appendBlock(const std::vector<std::uint8_t>& stored);
    std::int64_t length() const { return length_; }
    void close() { file_.close(); }
    const std::filesystem::path& path() const { return path_; }
    const std::string& errorText() const { return file_.errorText(); }

  private:
    LargeFile file_;
    std::filesystem::path path_;
    std::int64_t length_ = 0;
};

// Copies "temp.header" to the end of an open recording file in 1024-byte pieces and writes the
// trailer. Returns the trailer value (header length + 4), or 0 when the work file cannot be
// opened or a write fails.
std::uint32_t AppendTailHeader(LargeFile& recording, const std::filesystem::path& tempHeader);

enum class TailStatus {
    Ok,
    CannotOpen,    // the file could not be opened (error text in the reader)
    TooShort,      // shorter than 48 bytes: an incorrect file
    NotRecording,  // no valid trailer, no "VELK" where it points, or lengths beyond the header
};

struct TailHeaderContents {
    std::string title;      // display text
    std::string eventText;  // display text
    std::vector<std::uint8_t> thumbnail;
};

// Reads the header of a recording file. Every length read from the file is checked against the
// header's own extent before use, whatever the file says.
class TailHeaderReader {
  public:
    // Opens the file and checks the trailer, the magic and the title. minimumLength is 4 for
    // the title of the PC list and 48 for thumbnails and uploads.
    TailStatus open(const std::filesystem::path& path, LargeFile::Mode mode,
                    std::int64_t minimumLength = kMinimumRecordingLength);
    // The same on a file already open.
    TailStatus open(LargeFile file, std::int64_t minimumLength = kMinimumRecordingLength);

    const std::string& title() const { return title_; }
    // The event text and the thumbnail bytes (call once, after open).
    bool readBody(std::string& eventText, std::vector<std::uint8_t>& thumbnail);
    // The next stored header block, after readBody: 1 a block, 0 the header has no more, -1 a
    // block reaches beyond the header.
    int nextBlock(HeaderBlock& block, std::vector<std::uint8_t>& payload);

    // Length of the transport stream in front of the header.
    std::int64_t streamLength() const { return fileLength_ - trailer_; }
    std::uint32_t trailer() const { return trailer_; }
    LargeFile& file() { return file_; }
    const std::string& errorText() const { return file_.errorText(); }

  private:
    TailStatus check(std::int64_t minimumLength);
    bool readField(std::uint32_t& value);
    std::int64_t remaining() const { return headerEnd_ - pos_; }

    LargeFile file_;
    std::int64_t fileLength_ = 0;
    std::uint32_t trailer_ = 0;
    std::int64_t pos_ = 0;        // next byte of the header to read
    std::int64_t headerEnd_ = 0;  // where the trailer starts
    std::string title_;
};

// The title of a recording file for the PC list; nothing when it is not a recording.
std::optional<std::string> ReadTailTitle(const std::filesystem::path& path);

// Title, event text and thumbnail of a recording file.
TailStatus ReadTailHeader(const std::filesystem::path& path, TailHeaderContents& out);

}  // namespace velkport::recordings
