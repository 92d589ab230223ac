#pragma once
// One request on a command channel, in this order: a command header, the argument blocks the
// command needs, whatever records it answers with, and last a reply record. Managers create a
// ReceiverLink on the stack for each request; it keeps no state of its own.
//
// Channels open lazily: the first step of a request (SendCommand / SendCommandWithValue) opens
// the channel when it is not open, so a channel whose connection broke is opened again at the
// next request. Sends and receives in the middle of a request never reopen anything.

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "velkport/link/ArgumentBlock.h"
#include "velkport/link/ChannelTable.h"
#include "velkport/link/ReplyRecord.h"

namespace velkport::shell {
class Prompter;
}

namespace velkport::link {

class ReceiverLink {
  public:
    // Reply reading gives up on a stream that never carries a reply after skipping this many
    // records, or after the table's time limit: the channel is then broken (state -1).
    static constexpr std::size_t kMaxSkippedRecords = 65536;
    // A folder listing longer than this is not a listing: the channel is broken.
    static constexpr std::size_t kMaxFolderEntries = 65536;

    ReceiverLink(ChannelTable& table, shell::Prompter& prompter)
        : table_(table), prompter_(prompter) {}

    // The plain header (value 0). True when the channel took it.
    bool SendCommand(std::uint8_t code, std::uint8_t ch);
    // The valued header: value at bytes 17-20.
    bool SendCommandWithValue(std::uint8_t code, std::uint8_t ch, std::uint32_t value);
    // An argument block (256 or 1024 bytes) after the header.
    bool SendBlock(const ArgumentBlock& block, std::uint8_t ch);
    // Any other record a command sends (upload blocks, acknowledgements).
    bool Send(const void* data, std::size_t length, std::uint8_t ch);
    // Receives exactly length bytes (entries, data blocks); the table shows the error message.
    bool Receive(void* data, std::size_t length, std::uint8_t ch, std::size_t* received = nullptr);

    // Reads 64-byte records until one starts with "velk" and keeps its four words. Records
    // without it are skipped, which brings the reader back in step after records the caller did
    // not consume. False when a receive fails or no reply comes (see kMaxSkippedRecords).
    bool ReadReply(ReplyRecord& reply, std::uint8_t ch);

    // Lists the current folder (command 0x02): empties both lists, then sorts the names of the
    // entries up to the end entry into files (kind 0) and folders (any other kind, counted),
    // then reads the reply. The folder itself is chosen beforehand by the manager.
    bool ListFolder(std::uint8_t ch, int& folderCount, std::vector<std::string>& fileNames,
                    std::vector<std::string>& folderNames);

    // The readiness check before a manager opens: yes for every channel, nothing touched.
    bool ChannelReady(std::uint8_t ch) const;

    // The in-use query (0xFD): true when the receiver answers that the channel's function is
    // busy (reply field 3 = 0xFFFFFFFF). *answered tells whether a reply came at all; a failed
    // request counts as not busy.
    bool InUse(std::uint8_t ch, bool* answered = nullptr);

  private:
    ChannelTable& table_;
    shell::Prompter& prompter_;
};

}  // namespace velkport::link
