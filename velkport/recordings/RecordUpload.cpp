#include "velkport/recordings/RecordUpload.h"

#include <algorithm>
#include <cstring>

#include "velkport/link/ChannelTable.h"
#include "velkport/link/ReceiverLink.h"
#include "velkport/link/ReplyRecord.h"
#include "velkport/recordings/HeaderBlock.h"
#include "velkport/recordings/LargeFile.h"
#include "velkport/recordings/RecordHelpers.h"
#include "velkport/recordings/StreamBlock.h"
#include "velkport/recordings/TailHeader.h"
#include "velkport/shell/base/MessageCatalogue.h"
#include "velkport/shell/base/Prompter.h"

namespace velkport::recordings {

namespace fs = std::filesystem;
using namespace detail;
using shell::JobResult;
using shell::Msg;
using shell::PromptIcon;

JobResult RecordUpload::UploadRecording(const fs::path& file, shell::Progress& progress) {
    const std::uint8_t ch = m_.options_.channel;
    const fs::path path = file.is_absolute() ? file : m_.localFolder_ / file;
    const std::string fileName = path.filename().string();
    TailHeaderReader reader;
    TailStatus status = reader.open(path, LargeFile::Mode::ReadDenyWrite);
    if (status == TailStatus::CannotOpen) {
        m_.prompter_.showMessage(reader.errorText(), PromptIcon::Error);
        return JobResult::Failed();
    }
    if (status != TailStatus::Ok)
        return JobResult::Failed();
    std::string eventText;
    std::vector<std::uint8_t> thumbnail;
    if (!reader.readBody(eventText, thumbnail))
        return JobResult::Failed();
    const std::int64_t fileLength = reader.file().length();
    auto freeMiB = m_.ReceiverFreeSpace();
    if (!freeMiB || *freeMiB < static_cast<std::uint64_t>(fileLength) / kMiB + 1) {
        if (freeMiB)
            m_.showMessage(185);
        return JobResult::Failed();
    }

    link::ReceiverLink link(m_.table_, m_.prompter_);
    auto name = NameBlock(fileName);
    if (!link.SendCommand(UploadCommand(m_.radio_), ch) || !link.Send(name.data(), name.size(), ch))
        return JobResult::Failed();
    // The header blocks, one 65536-byte message each, up to the closing block; a header that
    // ends without one gets a closing block of its own so that the receiver moves on.
    for (std::size_t n = 0;; ++n) {
        HeaderBlock block;
        std::vector<std::uint8_t> payload;
        int got = n < kMaxHeaderBlocks ? reader.nextBlock(block, payload) : -1;
        if (got < 0) {
            m_.table_.CloseChannel(ch);
            return JobResult::Failed();
        }
        if (got == 0)
            block = HeaderBlock{HeaderBlock::kClosingType, 0, 0, 1, 0};
        std::fill(m_.buffer_.begin(), m_.buffer_.end(), 0);
        BuildHeaderBlock(block, m_.buffer_.data());
        std::copy(payload.begin(), payload.end(), m_.buffer_.begin() + kHeaderBlockHeaderSize);
        if (!link.Send(m_.buffer_.data(), kMessageSize, ch))
            return JobResult::Failed();
        if (got == 0 || block.isClosing())
            break;
    }

    LargeFile& current = reader.file();
    if (!current.seek(0, LargeFile::Origin::Begin))
        return JobResult::Failed();
    std::uint64_t streamLength = static_cast<std::uint64_t>(reader.streamLength());
    auto rangeOf = [&](std::uint64_t bytes) {
        return m_.radio_ ? (bytes + kStreamPayloadSize - 1) / kStreamPayloadSize
                         : (bytes + 32768) / 65536;
    };
    progress.begin(fileName, rangeOf(streamLength));

    std::vector<std::uint8_t> blockBuf(kStreamBlockSize, 0);
    std::array<std::uint8_t, kStreamHeaderSize> header{};
    const std::vector<std::uint8_t> closing(kStreamBlockSize, 0);
    const std::string stem = Stem(fileName);
    LargeFile partFile;
    LargeFile* source = &current;
    std::uint64_t sent = 0;
    int part = 0;
    for (;;) {
        if (progress.cancelled()) {
            const bool removed = closeAndRemovePartial(link, closing);
            progress.end();
            return removed ? JobResult::Stopped() : JobResult::Failed();
        }
        std::size_t want = static_cast<std::size_t>(
            std::min<std::uint64_t>(kStreamPayloadSize, streamLength - sent));
        std::int64_t n = want ? source->read(blockBuf.data() + kStreamHeaderSize, want) : 0;
        if (n < 0) {
            m_.prompter_.showMessage(source->errorText(), PromptIcon::Error);
            m_.table_.CloseChannel(ch);
            return JobResult::Failed();
        }
        if (n > 0) {
            BuildStreamBlockHeader({static_cast<std::uint32_t>(n), 0, 0}, header);
            std::copy(header.begin(), header.end(), blockBuf.begin());
            if (!link.Send(blockBuf.data(), kStreamHeaderSize + static_cast<std::size_t>(n), ch))
                return JobResult::Failed();
            sent += static_cast<std::uint64_t>(n);
            progress.advance(rangeOf(sent));
        }
        if (n == 0 || sent >= streamLength) {
            // The next part of a split recording, when there is one.
            auto next = FindNoCase(path.parent_path(),
                                   stem + "_" + std::to_string(part + 1) + m_.extension() + ".ots");
            if (!next)
                break;
            if (!partFile.open(*next, LargeFile::Mode::ReadDenyWrite)) {
                // A recording without its later parts is no recording: it is taken back.
                m_.prompter_.showMessage(partFile.errorText(), PromptIcon::Error);
                closeAndRemovePartial(link, closing);
                progress.end();
                return JobResult::Failed();
            }
            ++part;
            source = &partFile;
            streamLength = static_cast<std::uint64_t>(partFile.length());
            sent = 0;
            progress.begin(fileName, rangeOf(streamLength));
        }
    }
    if (!link.Send(closing.data(), closing.size(), ch))
        return JobResult::Failed();
    progress.advance(rangeOf(sent));
    link::ReplyRecord reply;
    if (!link.ReadReply(reply, ch))
        return JobResult::Failed();
    progress.end();
    return reply.field1() == link::ReplyRecord::kFailed ? JobResult::Failed() : JobResult::Done();
}

bool RecordUpload::closeAndRemovePartial(link::ReceiverLink& link,
                                         const std::vector<std::uint8_t>& closing) {
    // The receiver closes the recording at the closing block as if it were whole: it is found
    // as the receiver names it and deleted, so no truncated recording stays in its list.
    const std::uint8_t ch = m_.options_.channel;
    link::ReplyRecord reply;
    if (!link.Send(closing.data(), closing.size(), ch) || !link.ReadReply(reply, ch))
        return false;
    const std::optional<std::string> name = m_.LastName();
    return name && !name->empty() && m_.simpleRequest(DeleteCommand(m_.radio_), {NameBlock(*name)});
}

BatchOutcome RecordUpload::UploadBatch(const std::vector<fs::path>& files,
                                       shell::Progress& progress) {
    BatchOutcome batch;
    std::vector<RecordEntry> before;
    m_.RefreshReceiverList(before);
    for (const auto& f : files) {
        JobResult r = UploadRecording(f, progress);
        if (!r.done()) {
            batch.result = r;
            break;  // Cancel (or a failure) stops the whole batch, radio uploads as well
        }
    }
    std::vector<RecordEntry> after;
    if (m_.RefreshReceiverList(after))
        for (const auto& e : after)
            if (std::none_of(before.begin(), before.end(),
                             [&](const RecordEntry& b) { return b.fileName == e.fileName; }))
                batch.receiverNames.push_back(e.fileName);
    progress.end();
    return batch;
}

}  // namespace velkport::recordings
