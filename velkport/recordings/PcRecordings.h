#pragma once
// The PC side of the recordings manager: the recording files of the local record folder with
// their part files, the drive that holds them, their pictures, deleting and renaming.

#include "velkport/recordings/RecordManager.h"

namespace velkport::recordings {

class PcRecordings {
  public:
    explicit PcRecordings(RecordManager& manager) : m_(manager) {}

    std::vector<PcRecording> RefreshPcList() const;
    std::uint64_t PcFreeSpace() const;
    std::optional<DiskUsage> PcDiskUsage() const;
    DriveKindValue DriveKind() const;
    bool SplitsFiles() const;
    bool PcPicture(const std::string& fileName, std::string& text, ThumbnailResult& picture,
                   bool offerDelete);
    std::vector<std::filesystem::path> PartFiles(const std::string& fileName) const;
    bool replaceWith(const std::filesystem::path& work, const std::string& finalName) const;
    void removeWithParts(const std::filesystem::path& file) const;
    bool DeletePcFiles(const std::vector<std::string>& fileNames, bool ask);
    RecordManager::NameCheck CheckNewName(const std::string& oldText,
                                          const std::string& newText) const;
    std::optional<std::string> RenamePcFile(const std::string& fileName,
                                            const std::string& newName);

  private:
    RecordManager& m_;
};

}  // namespace velkport::recordings
