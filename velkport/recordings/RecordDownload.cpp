#include "velkport/recordings/RecordDownload.h"

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

DownloadOutcome RecordDownload::DownloadRecording(const std::string& receiverName,
                                                  const std::string& title,
                                                  shell::Progress& progress) {
    DownloadOutcome out;
    out.result = downloadStream(receiverName, title, progress, out);
    progress.end();
    return out;
}

JobResult RecordDownload::downloadStream(const std::string& receiverName, const std::string& title,
                                         shell::Progress& progress, DownloadOutcome& out) {
    const std::uint8_t ch = m_.options_.channel;
    const bool split = m_.SplitsFiles();
    // Radio downloads end with "stopped" where TV downloads fail.
    const JobResult stopResult = m_.radio_ ? JobResult::Stopped() : JobResult::Failed();
    std::uint64_t freeMiB = m_.PcFreeSpace();
    if (freeMiB < 10) {
        m_.showMessage(185);
        return JobResult::Failed();
    }
    TempHeader temp;
    if (!temp.create(m_.localFolder_))
        return JobResult::Failed();

    RecordInfo info;
    if (!m_.FetchRecordInfo(receiverName, !m_.radio_, info))
        return JobResult::Failed();
    if (m_.radio_)
        info.thumbnail.clear();
    if (!temp.writeStart(title) || !temp.writeInfo(info.eventText, info.thumbnail)) {
        m_.prompter_.showMessage(temp.errorText(), PromptIcon::Error);
        return JobResult::Failed();
    }

    link::ReceiverLink link(m_.table_, m_.prompter_);
    auto name = NameBlock(receiverName);
    if (!link.SendCommand(DownloadCommand(m_.radio_), ch) ||
        !link.Send(name.data(), name.size(), ch))
        return JobResult::Failed();
    std::uint8_t accept[kNameBlockSize];
    if (!m_.receive(accept, sizeof accept))
        return JobResult::Failed();
    if (std::memcmp(accept, "VELK", 4) != 0) {
        link::ReplyRecord reply;
        link.ReadReply(reply, ch);
        return JobResult::Failed();
    }

    std::string channelName;
    for (std::size_t n = 0;; ++n) {
        if (n == kMaxHeaderBlocks || !m_.receive(m_.buffer_.data(), kMessageSize)) {
            m_.table_.CloseChannel(ch);
            return JobResult::Failed();
        }
        auto block = ReadHeaderBlockMessage(m_.buffer_);
        if (!block) {
            m_.table_.CloseChannel(ch);
            return JobResult::Failed();
        }
        if (block->header.payloadLength > 0) {
            if (!temp.appendBlock(StoredHeaderBlock(*block, m_.radio_))) {
                m_.table_.CloseChannel(ch);
                return JobResult::Failed();
            }
            if (block->header.type == HeaderBlock::kEntryType) {
                if (auto e = ParseRecordEntry(block->payload))
                    channelName = ToDisplayText(e->channelName);
            }
        }
        if (block->header.isClosing())
            break;
    }
    out.channelName = channelName;
    const auto headerLength = static_cast<std::uint64_t>(temp.length());
    if (freeMiB < headerLength / kMiB + 10) {
        m_.showMessage(185);
        m_.table_.CloseChannel(ch);
        return JobResult::Failed();
    }
    temp.close();

    // channel_title_receivername; the receiver's name is cleaned too, so that it cannot lead
    // out of the folder.
    const std::string base = SanitizeFileName(channelName) + "_" + TitleForFileName(title) + "_" +
                             SanitizeFileName(receiverName);
    const std::string firstName = base + m_.extension();
    // The stream goes to a hidden work name; an older copy of the recording is replaced only
    // by a complete download, so a failed or cancelled one leaves it as it was.
    const std::string workBase = "." + base + ".part";
    const fs::path firstPath = m_.localFolder_ / (workBase + m_.extension());
    m_.removeWithParts(firstPath);
    progress.begin(firstName, 0);
    std::uint64_t range = 0;
    const auto createMode =
        m_.radio_ ? LargeFile::Mode::CreateWriteOnly : LargeFile::Mode::CreateReadWrite;
    LargeFile file;
    if (!file.open(firstPath, createMode)) {
        m_.prompter_.showMessage(file.errorText(), PromptIcon::Error);
        m_.table_.CloseChannel(ch);
        return JobResult::Failed();
    }

    JobResult result;
    bool splitDone = false;
    bool replyPending = true;
    int part = 0;
    std::uint64_t partBytes = 0;
    std::vector<std::uint8_t> block(kStreamBlockSize);
    std::array<std::uint8_t, kFlowAckSize> ack{};
    auto sendAck = [&](bool goOn) {
        BuildFlowAck(goOn, ack);
        return link.Send(ack.data(), ack.size(), ch);
    };
    for (std::uint64_t counter = 1;; ++counter) {
        if (!m_.receive(block.data(), block.size())) {
            result = JobResult::Failed();
            replyPending = false;
            break;
        }
        auto header = ParseStreamBlockHeader(
            std::span<const std::uint8_t, kStreamHeaderSize>(block.data(), kStreamHeaderSize));
        if (!header.isDownloadData())
            break;
        if (m_.radio_ && block[kStreamHeaderSize] != 0x47) {
            --counter;  // dropped without writing or counting
            continue;
        }
        if (!file.write(block.data() + kStreamHeaderSize, kStreamPayloadSize)) {
            // The receiver is mid-stream: give up on the connection instead of reading on.
            m_.prompter_.showMessage(file.errorText(), PromptIcon::Error);
            result = JobResult::Failed();
            replyPending = false;
            break;
        }
        partBytes += kStreamPayloadSize;
        if (header.progressRange != range) {
            range = header.progressRange;
            progress.begin(firstName, range);
        }
        progress.advance(header.progressPosition);
        if (counter % kFlowAckInterval == 0) {
            if (progress.cancelled()) {
                result = sendAck(false) ? JobResult::Stopped() : stopResult;
                break;
            }
            if (freeMiB < partBytes / kMiB + 10) {
                sendAck(false);
                m_.showMessage(185);
                result = stopResult;
                break;
            }
            if (!sendAck(true)) {
                result = stopResult;
                replyPending = false;
                break;
            }
        }
        if (split && headerLength + partBytes + kSplitMargin >= m_.options_.splitThreshold) {
            if (!splitDone && AppendTailHeader(file, temp.path()) == 0) {
                m_.prompter_.showMessage(file.errorText(), PromptIcon::Error);
                result = JobResult::Failed();
                replyPending = false;
                break;
            }
            splitDone = true;
            file.close();
            ++part;
            fs::path next =
                m_.localFolder_ / (workBase + "_" + std::to_string(part) + m_.extension() + ".ots");
            if (!file.open(next, createMode)) {
                m_.prompter_.showMessage(file.errorText(), PromptIcon::Error);
                result = stopResult;
                replyPending = false;
                break;
            }
            partBytes = 0;
            freeMiB = m_.PcFreeSpace();
        }
    }
    if (replyPending) {
        link::ReplyRecord reply;
        if (!link.ReadReply(reply, ch) && result.done())
            result = JobResult::Failed();
    }
    if (result.done() && !splitDone && file.isOpen() && AppendTailHeader(file, temp.path()) == 0) {
        m_.prompter_.showMessage(file.errorText(), PromptIcon::Error);
        result = JobResult::Failed();
    }
    std::int64_t length = file.isOpen() ? file.length() : 0;
    file.close();
    if (!result.done()) {
        // Nothing that looks like a complete recording stays behind.
        if (!replyPending)
            m_.table_.CloseChannel(ch);
        m_.removeWithParts(firstPath);
    } else if (!splitDone &&
               static_cast<std::uint64_t>(length) <= (m_.radio_ ? kRadioSmallFile : kTvSmallFile)) {
        m_.removeWithParts(firstPath);
    } else if (!m_.replaceWith(firstPath, firstName)) {
        result = JobResult::Failed();
    } else {
        out.file = m_.localFolder_ / firstName;
    }
    return result;
}

BatchOutcome RecordDownload::DownloadBatch(const std::vector<RecordEntry>& selection,
                                           shell::Progress& progress) {
    BatchOutcome batch;
    for (const auto& item : selection) {
        if (item.scrambled == 1) {
            m_.showMessage(181, TitleForFileName(item.title));
            continue;
        }
        DownloadOutcome one =
            DownloadRecording(item.fileName, TitleForFileName(item.title), progress);
        if (!one.result.failed() && !one.file.empty())
            batch.files.push_back(one.file);
        if (!one.result.done()) {
            batch.result = one.result;
            break;
        }
    }
    progress.end();
    std::error_code ec;
    fs::remove(m_.localFolder_ / kTempHeaderName, ec);
    return batch;
}

}  // namespace velkport::recordings
