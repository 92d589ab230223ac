#include "velkport/media/MediaManager.h"

#include <cerrno>

#include "velkport/link/ArgumentBlock.h"
#include "velkport/link/ChannelTable.h"
#include "velkport/link/CommandCodes.h"
#include "velkport/link/DataBlock.h"
#include "velkport/link/ReceiverLink.h"
#include "velkport/link/ReplyRecord.h"
#include "velkport/media/MediaText.h"

namespace velkport::media {

namespace {

std::vector<std::uint8_t> Block(const link::ArgumentBlock& b) {
    return {b.data(), b.data() + b.size()};
}

}  // namespace

MediaManager::MediaManager(MediaType type, link::ChannelTable& table, shell::Prompter& prompter)
    : type_(type), table_(table), prompter_(prompter) {}

bool MediaManager::Command(std::uint8_t code, std::optional<std::uint32_t> value) {
    link::ReceiverLink l(table_, prompter_);
    return value ? l.SendCommandWithValue(code, channel(), *value) : l.SendCommand(code, channel());
}

bool MediaManager::SendBytes(const void* data, std::size_t n) {
    return link::ReceiverLink(table_, prompter_).Send(data, n, channel());
}

bool MediaManager::ReceiveBytes(void* data, std::size_t n) {
    return link::ReceiverLink(table_, prompter_).Receive(data, n, channel());
}

bool MediaManager::ReadReply(link::ReplyRecord* reply) {
    link::ReplyRecord r;
    if (!link::ReceiverLink(table_, prompter_).ReadReply(r, channel()))
        return false;
    if (reply)
        *reply = r;
    return r.field1() != link::ReplyRecord::kFailed;
}

bool MediaManager::simple(std::uint8_t code, const std::vector<std::vector<std::uint8_t>>& blocks,
                          link::ReplyRecord* reply) {
    if (!Command(code))
        return false;
    for (const auto& b : blocks)
        if (!SendBytes(b.data(), b.size()))
            return false;
    return ReadReply(reply);
}

bool MediaManager::SetCurrentFolder(const std::string& path, std::uint8_t mode) {
    return simple(
        link::cmd::kSetCurrentFolder,
        {Block(link::ArgumentBlock::WithFlagAndText(mode, path, link::ArgumentBlock::kLargeSize))});
}

bool MediaManager::ChangeFolder(const std::vector<std::string>& levels) {
    const bool ok = levels.empty() ? SetCurrentFolder("", kModeRoot)
                                   : SetCurrentFolder(RemoteFolderPath(levels), kModeFolder);
    if (ok)
        levels_ = levels;
    return ok;
}

bool MediaManager::ListFolder(std::vector<link::FolderEntry>& entries) {
    entries.clear();
    if (!Command(link::cmd::kListFolder))
        return false;
    link::FolderEntry::Bytes raw{};
    for (std::size_t n = 0;; ++n) {
        if (n >= kMaxEntries) {
            table_.MarkBroken(channel(), EPROTO, &prompter_);
            return false;
        }
        if (!ReceiveBytes(raw.data(), raw.size()))
            return false;
        link::FolderEntry e;
        link::FolderEntry::Parse(raw, e);
        if (e.isEnd())
            break;
        entries.push_back(std::move(e));
    }
    return ReadReply();
}

bool MediaManager::CreateFolder(const std::string& name) {
    return simple(link::cmd::kCreateFolder, {Block(link::ArgumentBlock::WithText(name))});
}

std::optional<std::uint32_t> MediaManager::GetFileSize(const std::string& name) {
    link::ReplyRecord reply;
    if (!simple(link::cmd::kFileSize, {Block(link::ArgumentBlock::WithFlagAndText(0xFD, name))},
                &reply))
        return std::nullopt;
    return reply.field2();
}

bool MediaManager::RenameItem(const std::string& oldName, const std::string& newName,
                              std::uint8_t kind) {
    return simple(link::cmd::kRename, {Block(link::ArgumentBlock::WithFlagAndText(
                                           static_cast<std::uint8_t>(0x10 + kind), oldName)),
                                       Block(link::ArgumentBlock::WithFlagAndText(
                                           static_cast<std::uint8_t>(0x20 + kind), newName))});
}

bool MediaManager::DeleteItem(const std::string& name, std::uint8_t kind) {
    return simple(link::cmd::kDelete, {Block(link::ArgumentBlock::WithFlagAndText(kind, name))});
}

bool MediaManager::ListFolderTree(std::vector<FolderTreeEntry>& entries) {
    entries.clear();
    if (!Command(link::cmd::kListFolderTree))
        return false;
    FolderTreeEntry::Bytes raw{};
    for (std::size_t n = 0;; ++n) {
        if (n >= kMaxEntries) {
            table_.MarkBroken(channel(), EPROTO, &prompter_);
            return false;
        }
        if (!ReceiveBytes(raw.data(), raw.size()))
            return false;
        FolderTreeEntry e;
        FolderTreeEntry::Parse(raw, e);
        if (e.isEnd())
            break;
        entries.push_back(std::move(e));
    }
    return ReadReply();
}

bool MediaManager::FinishChanges() {
    link::ArgumentBlock b;
    b.SetByte(0, 1);
    return simple(link::cmd::kFinishChanges, {Block(b)});
}

bool MediaManager::EndDownload() {
    return simple(link::cmd::kEndDownload, {});
}

std::optional<std::vector<std::uint8_t>> MediaManager::GetThumbnail(const std::string& name) {
    if (!Command(link::cmd::kThumbnail))
        return std::nullopt;
    const auto block = link::ArgumentBlock::WithText(name);
    if (!SendBytes(block.data(), block.size()))
        return std::nullopt;
    std::vector<std::uint8_t> raw(link::DataBlock::kSize);
    if (!ReceiveBytes(raw.data(), raw.size()))
        return std::nullopt;
    link::DataBlock data;
    const bool parsed = link::DataBlock::Parse(raw, data);
    if (!ReadReply() || !parsed)
        return std::nullopt;
    const auto payload = data.payload();
    return std::vector<std::uint8_t>(payload.begin(), payload.end());
}

std::optional<DiskUsageAnswer> MediaManager::GetDiskUsage() {
    if (!Command(Traits(type_).diskUsageCode))
        return std::nullopt;
    DiskUsageAnswer::Bytes raw{};
    if (!ReceiveBytes(raw.data(), raw.size()))
        return std::nullopt;
    DiskUsageAnswer answer;
    DiskUsageAnswer::Parse(raw, answer);
    if (!ReadReply())
        return std::nullopt;
    return answer;
}

}  // namespace velkport::media
