#pragma once
// The receiver's MP3 or JPEG area as the managers see it: every folder and file command of the
// area's command channel (channel 2 for MP3, 3 for JPEG) as one operation, and the current
// receiver folder. Each operation is one request in the usual order (header, argument blocks,
// answer, reply) and returns false when any step of it fails or the receiver answers with a
// failure. Everything runs on the caller's thread.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "velkport/link/FolderEntry.h"
#include "velkport/media/DiskUsageAnswer.h"
#include "velkport/media/FolderTreeEntry.h"
#include "velkport/media/MediaType.h"

namespace velkport::link {
class ChannelTable;
class ReplyRecord;
}  // namespace velkport::link
namespace velkport::shell {
class Prompter;
}

namespace velkport::media {

// Kind flags of rename and delete.
inline constexpr std::uint8_t kKindFolder = 0;
inline constexpr std::uint8_t kKindFile = 1;

// Modes of the set-current-folder command.
inline constexpr std::uint8_t kModeRoot = 0;
inline constexpr std::uint8_t kModeFolder = 3;

class MediaManager {
  public:
    // Bounds on what the receiver may answer: a listing or tree longer than this is refused.
    static constexpr std::size_t kMaxEntries = 65536;

    MediaManager(MediaType type, link::ChannelTable& table, shell::Prompter& prompter);

    MediaType type() const { return type_; }
    std::uint8_t channel() const { return Traits(type_).channel; }
    link::ChannelTable& table() { return table_; }
    shell::Prompter& prompter() { return prompter_; }

    // The current receiver folder as the levels below the root.
    const std::vector<std::string>& currentLevels() const { return levels_; }
    // Makes levels the current folder (command 0x01, mode 3 with its path, or mode 0 with an
    // empty path for the root); the levels are kept only when the receiver took them.
    bool ChangeFolder(const std::vector<std::string>& levels);

    // ----- The commands -----
    bool SetCurrentFolder(const std::string& path, std::uint8_t mode);
    bool ListFolder(std::vector<link::FolderEntry>& entries);
    bool CreateFolder(const std::string& name);
    std::optional<std::uint32_t> GetFileSize(const std::string& name);
    bool RenameItem(const std::string& oldName, const std::string& newName, std::uint8_t kind);
    bool DeleteItem(const std::string& name, std::uint8_t kind);
    bool ListFolderTree(std::vector<FolderTreeEntry>& entries);
    bool FinishChanges();
    bool EndDownload();
    // The JPEG image of a picture's thumbnail (empty when the receiver has none).
    std::optional<std::vector<std::uint8_t>> GetThumbnail(const std::string& name);
    std::optional<DiskUsageAnswer> GetDiskUsage();

    // The steps the transfers build on: one command header (plain or valued), argument blocks,
    // raw records, and the closing reply (false also when field 1 says the command failed).
    bool Command(std::uint8_t code, std::optional<std::uint32_t> value = std::nullopt);
    bool SendBytes(const void* data, std::size_t n);
    bool ReceiveBytes(void* data, std::size_t n);
    bool ReadReply(link::ReplyRecord* reply = nullptr);

  private:
    bool simple(std::uint8_t code, const std::vector<std::vector<std::uint8_t>>& blocks,
                link::ReplyRecord* reply = nullptr);

    MediaType type_;
    link::ChannelTable& table_;
    shell::Prompter& prompter_;
    std::vector<std::string> levels_;
};

}  // namespace velkport::media
