#pragma once
// The receiver side of the recordings manager: the list of recordings, disk usage, folders,
// programme texts and pictures, deleting and renaming, over the recordings channel.

#include "velkport/recordings/RecordManager.h"

namespace velkport::recordings {

class ReceiverRecordings {
  public:
    explicit ReceiverRecordings(RecordManager& manager) : m_(manager) {}

    bool RefreshReceiverList(std::vector<RecordEntry>& items);
    std::optional<DiskUsage> ReceiverDiskUsage();
    std::optional<std::uint64_t> ReceiverFreeSpace();
    bool FoldersSupported();
    bool ReadFolders(std::array<std::optional<FolderRecord>, 256>& table);
    bool SelectFolder(int id);
    bool DeleteFolder(int id);
    bool RenameFolder(int id, const std::string& name);
    std::optional<std::string> LastName();
    bool FetchRecordInfo(const std::string& receiverName, bool readChunks, RecordInfo& info);
    bool ReceiverPicture(const RecordEntry& item, std::string& text, ThumbnailResult& picture);
    std::vector<std::string> DeleteReceiverRecordings(const std::vector<RecordEntry>& selection);
    bool RenameReceiverRecording(const RecordEntry& item, const std::string& newTitle);

  private:
    using AnswerBlock = std::array<std::uint8_t, kNameBlockSize>;
    // Sends a command whose answer is one 256-byte block and then the reply record.
    std::optional<AnswerBlock> requestAnswerBlock(std::uint8_t command);

    RecordManager& m_;
};

}  // namespace velkport::recordings
