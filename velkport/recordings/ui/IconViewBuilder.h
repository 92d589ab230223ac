#pragma once
// The Multi-View builder of the recordings window: on the worker thread it reads both sides
// again and makes a picture icon for every recording (scrambled receiver recordings have none),
// adding each to its icon view as it comes and showing the progress in the disk bars.

namespace velkport::recordings {

class RecordingsWindow;

class IconViewBuilder {
  public:
    explicit IconViewBuilder(RecordingsWindow& window) : w_(window) {}

    // Starts the build unless a job runs; the window's iconsBuilt follows its end.
    void start();

  private:
    RecordingsWindow& w_;
};

}  // namespace velkport::recordings
