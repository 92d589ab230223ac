#pragma once
// The emulated receiver's recordings commands on channel 5. The recordings live under
// ROOT/recordings/tv/ and ROOT/recordings/radio/: each is a ".ts" file (the receiver file name is
// its name without ".ts") with an optional ".json" beside it:
//   {"channelNumber": 1, "channelName": "...", "title": "...", "start": 1700000000,
//    "duration": 3600, "scrambled": 0,
//    "events": [{"start": ..., "duration": ..., "name": "...", "description": "..."}]}
// Test hooks in the same file: "blockDelayMs": N waits N ms before each stream block (a slow
// disk); "dropAfterBlocks": N drops the connection after N stream blocks
// of a download.
// Subfolders (the same relative paths under tv/ and radio/) are the receiver's folders.

#include <cstdint>
#include <filesystem>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "velkport/recordings/RecordEntry.h"
#include "velkport/recordings/RecordInfo.h"

namespace receiversim {

class ReceiverSim;
class CommandSession;

class RecordingsService {
  public:
    explicit RecordingsService(std::filesystem::path root);

    // Registers every recordings command of channel 5 with the emulated receiver; the service
    // lives as long as the handlers.
    static void Register(ReceiverSim& sim);

    void handle(CommandSession& session, std::uint8_t code);

    // The recording of a receiver file name as the list shows it.
    struct Recording {
        std::filesystem::path file;  // the .ts
        velkport::recordings::RecordEntry entry;
        std::vector<velkport::recordings::EventEntry> events;
        long dropAfterBlocks = -1;
        long blockDelayMs = 0;  // a slow disk: this long before each stream block
    };
    std::vector<Recording> list(const std::string& folder, bool radio) const;
    std::optional<Recording> find(const std::string& folder, bool radio,
                                  const std::string& name) const;

    // The packets of the first video stream from its first packet on, at most maxBytes.
    static std::vector<std::uint8_t> FirstVideoPackets(const std::filesystem::path& ts,
                                                       std::size_t maxBytes);

  private:
    std::filesystem::path base(bool radio) const;
    std::vector<std::string> folders() const;  // relative paths; index + 1 is the folder id
    void list(CommandSession& s, bool radio);
    void info(CommandSession& s);
    void download(CommandSession& s, bool radio);
    void upload(CommandSession& s, bool radio);
    void remove(CommandSession& s, bool radio);
    void rename(CommandSession& s, bool radio);
    void folderList(CommandSession& s);
    void folderSelect(CommandSession& s);
    void folderDelete(CommandSession& s);
    void folderRename(CommandSession& s);

    std::filesystem::path root_;
    mutable std::mutex lock_;
    std::string lastName_;
};

}  // namespace receiversim
