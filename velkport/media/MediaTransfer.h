#pragma once
// Files and folder trees moving between the PC and the receiver's MP3 or JPEG area: the upload
// and download procedures with their progress and Cancel, recursive folder transfers, the
// free-space check and the JPEG preparation before upload.
//
// Downloads write under a temporary name and rename on success, so a failed or cancelled
// download leaves no partial file and never replaces an existing one; a cancelled or failed
// upload removes the partial file on the receiver. Names from the receiver become PC names only
// when SafeLocalName accepts them, and folder trees are followed at most kMaxDepth levels deep
// (a receiver folder that contains itself would otherwise never end).

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "velkport/link/FolderEntry.h"
#include "velkport/media/JpegPreparer.h"
#include "velkport/media/MediaManager.h"
#include "velkport/media/TransferResult.h"
#include "velkport/shell/base/Progress.h"

namespace velkport::media {

class MediaTransfer {
  public:
    static constexpr int kMaxDepth = 32;

    // jpegWorkRoot: where prepared pictures are made (the user's run-time or cache folder when
    // empty).
    explicit MediaTransfer(MediaManager& manager, std::filesystem::path jpegWorkRoot = {});

    // One PC file into the receiver's current folder, under its own name.
    int UploadFile(const std::filesystem::path& file, shell::Progress& progress);
    // One receiver file of the current folder into localFolder (as localName when given).
    int DownloadFile(const std::string& name, const std::filesystem::path& localFolder,
                     shell::Progress& progress, const std::string& localName = {});
    // A PC folder with everything below it into the current folder.
    int UploadFolder(const std::filesystem::path& folder, shell::Progress& progress);
    // A receiver folder of the current folder with everything below it into localFolder.
    int DownloadFolder(const std::string& name, const std::filesystem::path& localFolder,
                       shell::Progress& progress);

    // The selections of the windows: files and folders, in order, then FinishChanges (uploads)
    // and a return to the folder the batch started in. The first failure or Cancel ends the
    // batch; its result is the batch's.
    int Upload(const std::vector<std::filesystem::path>& items, shell::Progress& progress);
    int Download(const std::vector<link::FolderEntry>& items,
                 const std::filesystem::path& localFolder, shell::Progress& progress);

  private:
    int uploadFolder(const std::filesystem::path& folder, shell::Progress& progress, int depth);
    int downloadFolder(const std::string& name, const std::filesystem::path& localFolder,
                       shell::Progress& progress, int depth);
    int sendFile(const std::filesystem::path& source, const std::string& remoteName,
                 shell::Progress& progress);
    void say(int message, const std::string& arg = {}, bool error = true);
    void sayText(const std::string& text);

    MediaManager& m_;
    JpegPreparer preparer_;
};

}  // namespace velkport::media
