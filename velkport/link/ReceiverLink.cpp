#include "velkport/link/ReceiverLink.h"

#include <cerrno>
#include <chrono>

#include "velkport/link/CommandCodes.h"
#include "velkport/link/CommandHeader.h"
#include "velkport/link/FolderEntry.h"

namespace velkport::link {

bool ReceiverLink::SendCommand(std::uint8_t code, std::uint8_t ch) {
    return SendCommandWithValue(code, ch, 0);
}

bool ReceiverLink::SendCommandWithValue(std::uint8_t code, std::uint8_t ch, std::uint32_t value) {
    if (!ChannelTable::IsChannel(ch) || !table_.EnsureOpen(ch))
        return false;
    const auto header = CommandHeader::BuildValued(code, value);
    return table_.SendOnChannel(header.data(), header.size(), ch);
}

bool ReceiverLink::SendBlock(const ArgumentBlock& block, std::uint8_t ch) {
    return table_.SendOnChannel(block.data(), block.size(), ch);
}

bool ReceiverLink::Send(const void* data, std::size_t length, std::uint8_t ch) {
    return table_.SendOnChannel(data, length, ch);
}

bool ReceiverLink::Receive(void* data, std::size_t length, std::uint8_t ch, std::size_t* received) {
    std::size_t count = 0;
    const bool ok = table_.ReceiveExactly(data, length, count, ch, &prompter_);
    if (received)
        *received = count;
    return ok;
}

bool ReceiverLink::ReadReply(ReplyRecord& reply, std::uint8_t ch) {
    reply.words = {};
    const auto deadline = std::chrono::steady_clock::now() + table_.timeLimit();
    ReplyRecord::Bytes record{};
    for (std::size_t skipped = 0;; ++skipped) {
        if (skipped > 0 &&
            (skipped > kMaxSkippedRecords || std::chrono::steady_clock::now() > deadline)) {
            // A peer streaming records that are never a reply would keep us here for good.
            table_.MarkBroken(ch, EPROTO, &prompter_);
            return false;
        }
        if (!Receive(record.data(), record.size(), ch))
            return false;
        if (ReplyRecord::Parse(record, reply))
            return true;
    }
}

bool ReceiverLink::ListFolder(std::uint8_t ch, int& folderCount,
                              std::vector<std::string>& fileNames,
                              std::vector<std::string>& folderNames) {
    fileNames.clear();
    folderNames.clear();
    folderCount = 0;
    if (!SendCommand(cmd::kListFolder, ch))
        return false;
    FolderEntry::Bytes raw{};
    for (std::size_t n = 0;; ++n) {
        if (n >= kMaxFolderEntries) {
            table_.MarkBroken(ch, EPROTO, &prompter_);
            return false;
        }
        if (!Receive(raw.data(), raw.size(), ch))
            return false;
        FolderEntry entry;
        FolderEntry::Parse(raw, entry);
        if (entry.isEnd())
            break;
        if (entry.isFile()) {
            fileNames.push_back(std::move(entry.name));
        } else {
            folderNames.push_back(std::move(entry.name));
            ++folderCount;
        }
    }
    ReplyRecord reply;
    return ReadReply(reply, ch);
}

bool ReceiverLink::ChannelReady(std::uint8_t) const {
    return true;
}

bool ReceiverLink::InUse(std::uint8_t ch, bool* answered) {
    ReplyRecord reply;
    const bool ok = SendCommand(cmd::kInUse, ch) && ReadReply(reply, ch);
    if (answered)
        *answered = ok;
    return ok && reply.busy();
}

}  // namespace velkport::link
