#pragma once
// A recording from the receiver to the local record folder: its header gathered in
// "temp.header", the stream with flow control, split into parts where files are limited to
// 4 GiB, and the copy of the header at the end. A download that does not complete leaves an
// older copy of the recording as it was.

#include "velkport/recordings/RecordManager.h"

namespace velkport::recordings {

class RecordDownload {
  public:
    explicit RecordDownload(RecordManager& manager) : m_(manager) {}

    DownloadOutcome DownloadRecording(const std::string& receiverName, const std::string& title,
                                      shell::Progress& progress);
    BatchOutcome DownloadBatch(const std::vector<RecordEntry>& selection,
                               shell::Progress& progress);

  private:
    shell::JobResult downloadStream(const std::string& receiverName, const std::string& title,
                                    shell::Progress& progress, DownloadOutcome& out);
    RecordManager& m_;
};

}  // namespace velkport::recordings
