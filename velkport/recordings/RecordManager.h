#pragma once
// The recordings manager without its window, one face over its parts (ReceiverRecordings,
// PcRecordings, RecordDownload, RecordUpload): the receiver's recordings on command channel 5 and
// the recording files of the local record folder, with downloads, uploads, deletes, renames,
// receiver folders, disk usage and the pictures of recordings. Every operation runs on the
// caller's thread; transfers report to a shell::Progress and poll its cancel flag.

#include <array>
#include <cstdint>
#include <ctime>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "velkport/recordings/FolderRecord.h"
#include "velkport/recordings/RecordCommands.h"
#include "velkport/recordings/RecordEntry.h"
#include "velkport/recordings/RecordInfo.h"
#include "velkport/recordings/ThumbnailMaker.h"
#include "velkport/shell/base/JobResult.h"
#include "velkport/shell/base/Progress.h"

namespace velkport::link {
class ChannelTable;
class ReceiverLink;
}  // namespace velkport::link
namespace velkport::shell {
class Prompter;
class SettingsStore;
}  // namespace velkport::shell

namespace velkport::recordings {

// A recording is split before this many bytes per file on file systems limited to 4 GiB.
inline constexpr std::uint64_t kSplitThreshold = 4089446400ull;  // 3900 MiB

struct RecordManagerOptions {
    std::uint8_t channel = kRecordChannel;
    // For tests: the split threshold, and treating the local folder as if its file system
    // limited files to 4 GiB (as vfat does).
    std::uint64_t splitThreshold = kSplitThreshold;
    bool assumeSizeLimitedFileSystem = false;
    // For tests: the free MiB of the PC drive instead of asking the file system.
    std::optional<std::uint64_t> pcFreeSpaceMiB;
};

// One recording file of the local record folder, as the PC list shows it.
struct PcRecording {
    std::string fileName;  // column "Name"
    std::string title;     // from its header
    std::uint64_t bytes = 0;
    std::time_t modified = 0;
};

// The date column of the PC list (its size column is common::FormatSizeKB).
std::string FormatModified(std::time_t modified);  // "%d.%m.%Y-%H:%M"

enum class DriveKindValue { Other = 0, Fat16 = 1, Fat32 = 2, Ntfs = 3 };

struct DownloadOutcome {
    shell::JobResult result = shell::JobResult::Failed();
    std::string channelName;
    std::filesystem::path file;  // the first (or only) part, when the download made one
};

struct BatchOutcome {
    shell::JobResult result;  // the result that ended the batch (done when all went through)
    std::vector<std::filesystem::path> files;  // downloads: the new files
    std::vector<std::string> receiverNames;    // uploads: names new in the receiver list
};

class RecordManager {
  public:
    RecordManager(link::ChannelTable& table, shell::Prompter& prompter,
                  std::filesystem::path localFolder, RecordManagerOptions options = {});

    // The local record folder: "LocalPath", or the default documents folder + "/Record" when it
    // is empty; the folder is created.
    static std::optional<std::filesystem::path> ResolveLocalFolder(shell::SettingsStore& store);

    bool radio() const { return radio_; }
    void setRadio(bool radio) { radio_ = radio; }
    const std::filesystem::path& localFolder() const { return localFolder_; }
    void setLocalFolder(std::filesystem::path folder) { localFolder_ = std::move(folder); }

    // ----- Lists -----
    bool RefreshReceiverList(std::vector<RecordEntry>& items);
    std::vector<PcRecording> RefreshPcList() const;

    // ----- Transfers -----
    DownloadOutcome DownloadRecording(const std::string& receiverName, const std::string& title,
                                      shell::Progress& progress);
    shell::JobResult UploadRecording(const std::filesystem::path& file, shell::Progress& progress);
    // The selection in list order; scrambled recordings are skipped with a message.
    BatchOutcome DownloadBatch(const std::vector<RecordEntry>& selection,
                               shell::Progress& progress);
    BatchOutcome UploadBatch(const std::vector<std::filesystem::path>& files,
                             shell::Progress& progress);

    // ----- Delete and rename -----
    // Asks first; returns the receiver file names that were deleted.
    std::vector<std::string> DeleteReceiverRecordings(const std::vector<RecordEntry>& selection);
    // Asks first (titles are the file names); deletes each file with its part files.
    bool DeletePcFiles(const std::vector<std::string>& fileNames, bool ask = true);
    // Checks a new title or file name as the label editor does; shows the refusal. Unchanged
    // text (without regard to case) is not an error but nothing is to be done.
    enum class NameCheck { Ok, Refused, Unchanged };
    NameCheck CheckNewName(const std::string& oldText, const std::string& newText) const;
    bool RenameReceiverRecording(const RecordEntry& item, const std::string& newTitle);
    // The new file name, or nothing when refused or failed.
    std::optional<std::string> RenamePcFile(const std::string& fileName,
                                            const std::string& newName);
    // The part files ("base_N.ts.ots") of a recording file of the local folder.
    std::vector<std::filesystem::path> PartFiles(const std::string& fileName) const;

    // ----- Disk and folders -----
    std::optional<DiskUsage> ReceiverDiskUsage();
    std::optional<std::uint64_t> ReceiverFreeSpace();
    std::uint64_t PcFreeSpace() const;  // MiB, 0 when unknown
    // Used and total MiB of the drive that holds the local folder (the PC disk bar).
    std::optional<DiskUsage> PcDiskUsage() const;
    DriveKindValue DriveKind() const;
    bool SplitsFiles() const;  // whether downloads are split into parts here
    bool FoldersSupported();
    bool ReadFolders(std::array<std::optional<FolderRecord>, 256>& table);
    bool SelectFolder(int id);
    bool DeleteFolder(int id);
    bool RenameFolder(int id, const std::string& name);
    std::optional<std::string> LastName();

    // ----- Pictures and programme texts -----
    bool FetchRecordInfo(const std::string& receiverName, bool readChunks, RecordInfo& info);
    // The text of a receiver item and, for TV, its picture. A scrambled item shows "Scrambled"
    // and nothing is fetched.
    bool ReceiverPicture(const RecordEntry& item, std::string& text, ThumbnailResult& picture);
    // The same for a PC file; a file shorter than 48 bytes is offered for deletion when
    // offerDelete (the window asks; velkctl never deletes the user's file).
    bool PcPicture(const std::string& fileName, std::string& text, ThumbnailResult& picture,
                   bool offerDelete = true);

  private:
    friend class ReceiverRecordings;
    friend class PcRecordings;
    friend class RecordDownload;
    friend class RecordUpload;
    // The parts take the manager as it is; the const operations do not change it.
    RecordManager& self() const { return const_cast<RecordManager&>(*this); }

    bool simpleRequest(std::uint8_t code, const std::vector<std::vector<std::uint8_t>>& blocks,
                       std::uint32_t* field1 = nullptr);
    bool sendBlock(const void* data, std::size_t n);
    bool receive(void* data, std::size_t n);
    void removeWithParts(const std::filesystem::path& file) const;
    // Puts a completed download (work file and parts) in place of finalName and its parts.
    bool replaceWith(const std::filesystem::path& work, const std::string& finalName) const;
    void showMessage(int id, const std::string& arg = {}) const;
    bool ask(int id, const std::string& arg) const;
    const char* extension() const { return radio_ ? ".rts" : ".ts"; }

    link::ChannelTable& table_;
    shell::Prompter& prompter_;
    std::filesystem::path localFolder_;
    RecordManagerOptions options_;
    bool radio_ = false;
    std::vector<std::uint8_t> buffer_;  // the receive buffer shared by all requests
};

}  // namespace velkport::recordings
