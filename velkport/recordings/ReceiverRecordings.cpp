#include "velkport/recordings/ReceiverRecordings.h"

#include <algorithm>
#include <cstring>

#include "velkport/link/ChannelTable.h"
#include "velkport/link/ReceiverLink.h"
#include "velkport/link/ReplyRecord.h"
#include "velkport/recordings/RecordHelpers.h"
#include "velkport/shell/base/MessageCatalogue.h"
#include "velkport/shell/base/Prompter.h"

namespace velkport::recordings {

namespace fs = std::filesystem;
using namespace detail;
using shell::JobResult;
using shell::Msg;
using shell::PromptIcon;

bool ReceiverRecordings::RefreshReceiverList(std::vector<RecordEntry>& items) {
    items.clear();
    link::ReceiverLink link(m_.table_, m_.prompter_);
    if (!link.SendCommand(ListCommand(m_.radio_), m_.options_.channel))
        return false;
    std::fill(m_.buffer_.begin(), m_.buffer_.end(), 0);
    for (std::size_t n = 0; n < kMaxListEntries; ++n) {
        if (!m_.receive(m_.buffer_.data(), kMessageSize))
            return false;
        RecordEntry e;
        switch (ParseListMessage(m_.buffer_, e)) {
            case ListMessageKind::Skip:
                break;
            case ListMessageKind::Entry:
                items.push_back(std::move(e));
                break;
            case ListMessageKind::End: {
                link::ReplyRecord reply;
                return link.ReadReply(reply, m_.options_.channel);
            }
        }
    }
    m_.table_.MarkBroken(m_.options_.channel, EPROTO, &m_.prompter_);
    return false;
}

std::optional<ReceiverRecordings::AnswerBlock> ReceiverRecordings::requestAnswerBlock(
    std::uint8_t command) {
    link::ReceiverLink link(m_.table_, m_.prompter_);
    if (!link.SendCommand(command, m_.options_.channel))
        return std::nullopt;
    AnswerBlock block{};
    if (!m_.receive(block.data(), block.size()))
        return std::nullopt;
    link::ReplyRecord reply;
    if (!link.ReadReply(reply, m_.options_.channel))
        return std::nullopt;
    return block;
}

std::optional<DiskUsage> ReceiverRecordings::ReceiverDiskUsage() {
    const auto block = requestAnswerBlock(REC_DISK_USAGE);
    if (!block)
        return std::nullopt;
    return ParseDiskUsage(*block);
}

std::optional<std::uint64_t> ReceiverRecordings::ReceiverFreeSpace() {
    auto usage = ReceiverDiskUsage();
    if (!usage)
        return std::nullopt;
    return usage->freeMiB();
}

bool ReceiverRecordings::FoldersSupported() {
    std::uint32_t field1 = 0;
    return m_.simpleRequest(REC_FOLDER_QUERY, {}, &field1) && field1 == 1;
}

bool ReceiverRecordings::ReadFolders(std::array<std::optional<FolderRecord>, 256>& table) {
    for (auto& slot : table)
        slot.reset();
    link::ReceiverLink link(m_.table_, m_.prompter_);
    if (!link.SendCommand(REC_FOLDER_LIST, m_.options_.channel))
        return false;
    std::uint8_t record[kFolderRecordSize];
    for (int n = 0;; ++n) {
        if (n > 1024) {
            m_.table_.MarkBroken(m_.options_.channel, EPROTO, &m_.prompter_);
            return false;
        }
        if (!m_.receive(record, sizeof record))
            return false;
        auto f = ParseFolderRecord(record);
        if (!f || f->endsList())
            break;
        table[static_cast<std::size_t>(f->id)] = *f;
    }
    link::ReplyRecord reply;
    return link.ReadReply(reply, m_.options_.channel);
}

bool ReceiverRecordings::SelectFolder(int id) {
    return m_.simpleRequest(REC_FOLDER_SELECT, {IdBlock(id)});
}

bool ReceiverRecordings::DeleteFolder(int id) {
    return m_.simpleRequest(REC_FOLDER_DELETE, {IdBlock(id)});
}

bool ReceiverRecordings::RenameFolder(int id, const std::string& name) {
    auto block = IdBlock(id, link::ArgumentBlock::kLargeSize);
    std::string cut = CutToBytes(name, block.size() - 5);
    std::memcpy(block.data() + 4, cut.data(), cut.size());
    return m_.simpleRequest(REC_FOLDER_RENAME, {block});
}

std::optional<std::string> ReceiverRecordings::LastName() {
    const auto block = requestAnswerBlock(REC_LAST_NAME);
    if (!block)
        return std::nullopt;
    const auto* text = reinterpret_cast<const char*>(block->data());
    return std::string(text, strnlen(text, block->size()));
}

bool ReceiverRecordings::FetchRecordInfo(const std::string& receiverName, bool readChunks,
                                         RecordInfo& info) {
    link::ReceiverLink link(m_.table_, m_.prompter_);
    auto name = NameBlock(receiverName);
    if (!link.SendCommand(REC_GET_INFO, m_.options_.channel) ||
        !link.Send(name.data(), name.size(), m_.options_.channel))
        return false;
    if (!m_.receive(m_.buffer_.data(), kMessageSize))
        return false;
    bool valid = ParseRecordInfo(m_.buffer_, info);
    if (valid && readChunks) {
        while (info.needsMoreChunks()) {
            if (!m_.receive(m_.buffer_.data(), kMessageSize))
                return false;
            AppendThumbnailChunk(m_.buffer_, info);
        }
    }
    // The reply follows; records the reader did not consume are skipped on the way.
    link::ReplyRecord reply;
    return link.ReadReply(reply, m_.options_.channel) && valid;
}

bool ReceiverRecordings::ReceiverPicture(const RecordEntry& item, std::string& text,
                                         ThumbnailResult& picture) {
    picture = ThumbnailResult{};
    if (static_cast<std::int32_t>(item.scrambled) > 0) {
        text = Msg(186);
        return false;
    }
    RecordInfo info;
    if (!FetchRecordInfo(item.fileName, !m_.radio_, info))
        return false;
    text = item.fileName + "\n" + info.eventText;
    if (m_.radio_ || info.thumbnailTotal == 0)
        return false;
    picture = ThumbnailMaker::MakeThumbnail(info.thumbnail, false);
    return picture.picture;
}

std::vector<std::string> ReceiverRecordings::DeleteReceiverRecordings(
    const std::vector<RecordEntry>& selection) {
    std::vector<std::string> deleted;
    if (selection.empty())
        return deleted;
    bool yes = selection.size() == 1 ? m_.ask(113, selection[0].title)
                                     : m_.ask(114, std::to_string(selection.size()));
    if (!yes)
        return deleted;
    for (auto it = selection.rbegin(); it != selection.rend(); ++it)
        if (m_.simpleRequest(DeleteCommand(m_.radio_), {NameBlock(it->fileName)}))
            deleted.push_back(it->fileName);
    return deleted;
}

bool ReceiverRecordings::RenameReceiverRecording(const RecordEntry& item,
                                                 const std::string& newTitle) {
    if (m_.CheckNewName(item.title, newTitle) != RecordManager::NameCheck::Ok)
        return false;
    return m_.simpleRequest(RenameCommand(m_.radio_),
                            {NameBlock(item.fileName), BuildTitleBlock(newTitle)});
}

}  // namespace velkport::recordings
