#pragma once
// The transfers of the recordings window: the selected receiver recordings to the record folder
// and the selected PC files to the receiver, run as one batch on the worker thread behind the
// progress window; afterwards the target side is read again with what the batch brought
// selected.

namespace velkport::recordings {

class RecordingsWindow;

class RecordingsTransfers {
  public:
    explicit RecordingsTransfers(RecordingsWindow& window) : w_(window) {}

    void download();  // receiver to PC
    void upload();    // PC to receiver

  private:
    RecordingsWindow& w_;
};

}  // namespace velkport::recordings
