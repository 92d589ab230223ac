#pragma once
// A recording file (with its part files) from the PC to the receiver: the header blocks from
// the copy at its end, then the stream. A cancelled or broken upload takes the partial recording
// back off the receiver.

#include "velkport/recordings/RecordManager.h"

namespace velkport::recordings {

class RecordUpload {
  public:
    explicit RecordUpload(RecordManager& manager) : m_(manager) {}

    shell::JobResult UploadRecording(const std::filesystem::path& file, shell::Progress& progress);
    BatchOutcome UploadBatch(const std::vector<std::filesystem::path>& files,
                             shell::Progress& progress);

  private:
    bool closeAndRemovePartial(link::ReceiverLink& link, const std::vector<std::uint8_t>& closing);
    RecordManager& m_;
};

}  // namespace velkport::recordings
