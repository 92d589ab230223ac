#include "velkport/recordings/RecordManager.h"

#include <sys/stat.h>
#include <sys/statfs.h>
#include <sys/statvfs.h>

#include <algorithm>
#include <cstring>

#include "common/ByteOrder.h"
#include "velkport/link/ArgumentBlock.h"
#include "velkport/link/ChannelTable.h"
#include "velkport/link/ReceiverLink.h"
#include "velkport/link/ReplyRecord.h"
#include "velkport/recordings/HeaderBlock.h"
#include "velkport/recordings/LargeFile.h"
#include "velkport/recordings/RecordText.h"
#include "velkport/recordings/StreamBlock.h"
#include "velkport/recordings/TailHeader.h"
#include "velkport/shell/base/MessageCatalogue.h"
#include "velkport/shell/base/Prompter.h"
#include "velkport/shell/base/SettingsStore.h"

namespace velkport::recordings {

namespace fs = std::filesystem;
using shell::JobResult;
using shell::Msg;
using shell::PromptIcon;

namespace {

constexpr std::uint64_t kMiB = 1024 * 1024;
constexpr std::uint64_t kSplitMargin = 64512;
constexpr std::uint64_t kTvSmallFile = kMiB;
constexpr std::uint64_t kRadioSmallFile = 1024;
constexpr std::size_t kMaxHeaderBlocks = 65536;
constexpr std::size_t kMaxListEntries = 100000;

// The first "%s" or "%d" of a catalogue text filled with arg.
std::string Fill(const std::string& text, const std::string& arg) {
    for (std::size_t i = 0; i + 1 < text.size(); ++i)
        if (text[i] == '%' && (text[i + 1] == 's' || text[i + 1] == 'd'))
            return text.substr(0, i) + arg + text.substr(i + 2);
    return text;
}

std::vector<std::uint8_t> NameBlock(const std::string& text) {
    auto b = link::ArgumentBlock::WithText(text);
    return {b.data(), b.data() + b.size()};
}

std::vector<std::uint8_t> IdBlock(int id, std::size_t size = link::ArgumentBlock::kSize) {
    std::vector<std::uint8_t> b(size, 0);
    common::storeBe32(b.data(), static_cast<std::uint32_t>(id));
    return b;
}

// The file name up to its last "." (the whole name when it has none).
std::string Stem(const std::string& name) {
    auto dot = name.rfind('.');
    return dot == std::string::npos ? name : name.substr(0, dot);
}

bool EndsWithNoCase(const std::string& s, const std::string& suffix) {
    return s.size() >= suffix.size() && EqualsNoCase(s.substr(s.size() - suffix.size()), suffix);
}

// A file of the folder whose name equals name without regard to case.
std::optional<fs::path> FindNoCase(const fs::path& folder, const std::string& name) {
    std::error_code ec;
    if (fs::exists(folder / name, ec))
        return folder / name;
    for (const auto& e : fs::directory_iterator(folder, ec))
        if (EqualsNoCase(e.path().filename().string(), name))
            return e.path();
    return std::nullopt;
}

}  // namespace

std::string FormatSizeKiB(std::uint64_t bytes) {
    std::uint64_t kib = bytes / 1024 + ((bytes % 1024) != 0 ? 1 : 0);
    std::string digits = std::to_string(kib);
    std::string out;
    for (std::size_t i = 0; i < digits.size(); ++i) {
        if (i > 0 && (digits.size() - i) % 3 == 0)
            out += ',';
        out += digits[i];
    }
    return out + "KB";
}

std::string FormatModified(std::time_t modified) {
    std::tm tm{};
    if (!localtime_r(&modified, &tm))
        return {};
    char buf[32];
    std::strftime(buf, sizeof buf, "%d.%m.%Y-%H:%M", &tm);
    return buf;
}

RecordManager::RecordManager(link::ChannelTable& table, shell::Prompter& prompter,
                             fs::path localFolder, RecordManagerOptions options)
    : table_(table),
      prompter_(prompter),
      localFolder_(std::move(localFolder)),
      options_(options),
      buffer_(kMessageSize, 0) {}

std::optional<fs::path> RecordManager::ResolveLocalFolder(shell::SettingsStore& store) {
    auto path = store.LoadLocalPath();
    if (!path || path->empty())
        path = store.DefaultLocalPath();
    if (!path || path->empty())
        return std::nullopt;
    std::error_code ec;
    fs::create_directories(*path, ec);
    return fs::path(*path);
}

void RecordManager::showMessage(int id, const std::string& arg) const {
    PromptIcon icon = id == 181 ? PromptIcon::Information : PromptIcon::Error;
    prompter_.showMessage(Fill(Msg(id), arg), icon);
}

bool RecordManager::ask(int id, const std::string& arg) const {
    return prompter_.askYesNo(Fill(Msg(id), arg));
}

bool RecordManager::sendBlock(const void* data, std::size_t n) {
    link::ReceiverLink link(table_, prompter_);
    return link.Send(data, n, options_.channel);
}

bool RecordManager::receive(void* data, std::size_t n) {
    link::ReceiverLink link(table_, prompter_);
    return link.Receive(data, n, options_.channel);
}

bool RecordManager::simpleRequest(std::uint8_t code,
                                  const std::vector<std::vector<std::uint8_t>>& blocks,
                                  std::uint32_t* field1) {
    link::ReceiverLink link(table_, prompter_);
    if (!link.SendCommand(code, options_.channel))
        return false;
    for (const auto& b : blocks)
        if (!link.Send(b.data(), b.size(), options_.channel))
            return false;
    link::ReplyRecord reply;
    if (!link.ReadReply(reply, options_.channel))
        return false;
    if (field1)
        *field1 = reply.field1();
    // The receiver refuses a request with field 1 = 0xFFFFFFFF.
    return reply.field1() != link::ReplyRecord::kFailed;
}

// ----- Lists -----

bool RecordManager::RefreshReceiverList(std::vector<RecordEntry>& items) {
    items.clear();
    link::ReceiverLink link(table_, prompter_);
    if (!link.SendCommand(ListCommand(radio_), options_.channel))
        return false;
    std::fill(buffer_.begin(), buffer_.end(), 0);
    for (std::size_t n = 0; n < kMaxListEntries; ++n) {
        if (!receive(buffer_.data(), kMessageSize))
            return false;
        RecordEntry e;
        switch (ParseListMessage(buffer_, e)) {
            case ListMessageKind::Skip:
                break;
            case ListMessageKind::Entry:
                items.push_back(std::move(e));
                break;
            case ListMessageKind::End: {
                link::ReplyRecord reply;
                return link.ReadReply(reply, options_.channel);
            }
        }
    }
    table_.MarkBroken(options_.channel, EPROTO, &prompter_);
    return false;
}

std::vector<PcRecording> RecordManager::RefreshPcList() const {
    std::vector<PcRecording> out;
    if (localFolder_.empty() || localFolder_ == "/" || localFolder_ == "\\")
        return out;
    std::error_code ec;
    std::vector<fs::directory_entry> entries;
    for (const auto& e : fs::directory_iterator(localFolder_, ec))
        entries.push_back(e);
    std::sort(entries.begin(), entries.end(), [](const auto& a, const auto& b) {
        return a.path().filename() < b.path().filename();
    });
    const std::string want = radio_ ? "rts" : "ts";
    for (const auto& e : entries) {
        if (!e.is_regular_file(ec))
            continue;
        std::string name = e.path().filename().string();
        auto dot = name.rfind('.');
        if (dot == std::string::npos || ToLowerAscii(name.substr(dot + 1)) != want)
            continue;
        auto title = ReadTailTitle(e.path());
        if (!title)
            continue;
        PcRecording r;
        r.fileName = name;
        r.title = *title;
        r.bytes = e.file_size(ec);
        struct stat st {};
        if (::stat(e.path().c_str(), &st) == 0)
            r.modified = st.st_mtime;
        out.push_back(std::move(r));
    }
    return out;
}

// ----- Disk and folders -----

std::uint64_t RecordManager::PcFreeSpace() const {
    if (options_.pcFreeSpaceMiB)
        return *options_.pcFreeSpaceMiB;
    struct statvfs st {};
    if (::statvfs(localFolder_.c_str(), &st) != 0)
        return 0;
    return static_cast<std::uint64_t>(st.f_bavail) * st.f_frsize / kMiB;
}

std::optional<DiskUsage> RecordManager::PcDiskUsage() const {
    struct statvfs st {};
    if (localFolder_.empty() || ::statvfs(localFolder_.c_str(), &st) != 0)
        return std::nullopt;
    const std::uint64_t total = static_cast<std::uint64_t>(st.f_blocks) * st.f_frsize / kMiB;
    const std::uint64_t free = std::min<std::uint64_t>(PcFreeSpace(), total);
    DiskUsage usage;
    usage.totalMiB = static_cast<std::uint32_t>(std::min<std::uint64_t>(total, UINT32_MAX));
    usage.usedMiB = static_cast<std::uint32_t>(std::min<std::uint64_t>(total - free, UINT32_MAX));
    return usage;
}

DriveKindValue RecordManager::DriveKind() const {
    if (options_.assumeSizeLimitedFileSystem)
        return DriveKindValue::Fat32;
    struct statfs st {};
    if (::statfs(localFolder_.c_str(), &st) != 0)
        return DriveKindValue::Other;
    switch (static_cast<unsigned long>(st.f_type)) {
        case 0x4d44:
            return DriveKindValue::Fat32;  // vfat / msdos: files up to 4 GiB
        // File systems without the 4 GiB limit count as NTFS-like.
        case 0x5346544e:  // ntfs
        case 0xEF53:      // ext2/3/4
        case 0x58465342:  // xfs
        case 0x9123683E:  // btrfs
        case 0x01021994:  // tmpfs
        case 0x794c7630:  // overlayfs
        case 0x2011BAB0:  // exfat
        case 0x2FC12FC1:  // zfs
        case 0xF2F52010:  // f2fs
            return DriveKindValue::Ntfs;
        default:
            return DriveKindValue::Other;
    }
}

bool RecordManager::SplitsFiles() const {
    auto kind = DriveKind();
    return kind == DriveKindValue::Fat16 || kind == DriveKindValue::Fat32;
}

std::optional<DiskUsage> RecordManager::ReceiverDiskUsage() {
    link::ReceiverLink link(table_, prompter_);
    if (!link.SendCommand(REC_DISK_USAGE, options_.channel))
        return std::nullopt;
    std::uint8_t block[kNameBlockSize];
    if (!receive(block, sizeof block))
        return std::nullopt;
    link::ReplyRecord reply;
    if (!link.ReadReply(reply, options_.channel))
        return std::nullopt;
    return ParseDiskUsage(block);
}

std::optional<std::uint64_t> RecordManager::ReceiverFreeSpace() {
    auto usage = ReceiverDiskUsage();
    if (!usage)
        return std::nullopt;
    return usage->freeMiB();
}

bool RecordManager::FoldersSupported() {
    std::uint32_t field1 = 0;
    return simpleRequest(REC_FOLDER_QUERY, {}, &field1) && field1 == 1;
}

bool RecordManager::ReadFolders(std::array<std::optional<FolderRecord>, 256>& table) {
    for (auto& slot : table)
        slot.reset();
    link::ReceiverLink link(table_, prompter_);
    if (!link.SendCommand(REC_FOLDER_LIST, options_.channel))
        return false;
    std::uint8_t record[kFolderRecordSize];
    for (int n = 0;; ++n) {
        if (n > 1024) {
            table_.MarkBroken(options_.channel, EPROTO, &prompter_);
            return false;
        }
        if (!receive(record, sizeof record))
            return false;
        auto f = ParseFolderRecord(record);
        if (!f || f->endsList())
            break;
        table[static_cast<std::size_t>(f->id)] = *f;
    }
    link::ReplyRecord reply;
    return link.ReadReply(reply, options_.channel);
}

bool RecordManager::SelectFolder(int id) {
    return simpleRequest(REC_FOLDER_SELECT, {IdBlock(id)});
}

bool RecordManager::DeleteFolder(int id) {
    return simpleRequest(REC_FOLDER_DELETE, {IdBlock(id)});
}

bool RecordManager::RenameFolder(int id, const std::string& name) {
    auto block = IdBlock(id, link::ArgumentBlock::kLargeSize);
    std::string cut = CutToBytes(name, block.size() - 5);
    std::memcpy(block.data() + 4, cut.data(), cut.size());
    return simpleRequest(REC_FOLDER_RENAME, {block});
}

std::optional<std::string> RecordManager::LastName() {
    link::ReceiverLink link(table_, prompter_);
    if (!link.SendCommand(REC_LAST_NAME, options_.channel))
        return std::nullopt;
    std::uint8_t block[kNameBlockSize];
    if (!receive(block, sizeof block))
        return std::nullopt;
    link::ReplyRecord reply;
    if (!link.ReadReply(reply, options_.channel))
        return std::nullopt;
    return std::string(reinterpret_cast<const char*>(block),
                       strnlen(reinterpret_cast<const char*>(block), sizeof block));
}

// ----- Info and pictures -----

bool RecordManager::FetchRecordInfo(const std::string& receiverName, bool readChunks,
                                    RecordInfo& info) {
    link::ReceiverLink link(table_, prompter_);
    auto name = NameBlock(receiverName);
    if (!link.SendCommand(REC_GET_INFO, options_.channel) ||
        !link.Send(name.data(), name.size(), options_.channel))
        return false;
    if (!receive(buffer_.data(), kMessageSize))
        return false;
    bool valid = ParseRecordInfo(buffer_, info);
    if (valid && readChunks) {
        while (info.needsMoreChunks()) {
            if (!receive(buffer_.data(), kMessageSize))
                return false;
            AppendThumbnailChunk(buffer_, info);
        }
    }
    // The reply follows; records the reader did not consume are skipped on the way.
    link::ReplyRecord reply;
    return link.ReadReply(reply, options_.channel) && valid;
}

bool RecordManager::ReceiverPicture(const RecordEntry& item, std::string& text,
                                    ThumbnailResult& picture) {
    picture = ThumbnailResult{};
    if (static_cast<std::int32_t>(item.scrambled) > 0) {
        text = Msg(186);
        return false;
    }
    RecordInfo info;
    if (!FetchRecordInfo(item.fileName, !radio_, info))
        return false;
    text = item.fileName + "\n" + info.eventText;
    if (radio_ || info.thumbnailTotal == 0)
        return false;
    picture = ThumbnailMaker::MakeThumbnail(info.thumbnail, false);
    return picture.picture;
}

bool RecordManager::PcPicture(const std::string& fileName, std::string& text,
                              ThumbnailResult& picture) {
    picture = ThumbnailResult{};
    TailHeaderContents c;
    TailStatus s = ReadTailHeader(localFolder_ / fileName, c);
    if (s == TailStatus::TooShort) {
        if (prompter_.askYesNo(Msg(184)))
            DeletePcFiles({fileName}, false);
        return false;
    }
    if (s != TailStatus::Ok)
        return false;
    text = c.title + "\n" + c.eventText;
    if (radio_)
        return false;
    picture = ThumbnailMaker::MakeThumbnail(c.thumbnail, false);
    return picture.picture;
}

// ----- Delete and rename -----

std::vector<std::string> RecordManager::DeleteReceiverRecordings(
    const std::vector<RecordEntry>& selection) {
    std::vector<std::string> deleted;
    if (selection.empty())
        return deleted;
    bool yes = selection.size() == 1 ? ask(113, selection[0].title)
                                     : ask(114, std::to_string(selection.size()));
    if (!yes)
        return deleted;
    for (auto it = selection.rbegin(); it != selection.rend(); ++it)
        if (simpleRequest(DeleteCommand(radio_), {NameBlock(it->fileName)}))
            deleted.push_back(it->fileName);
    return deleted;
}

std::vector<fs::path> RecordManager::PartFiles(const std::string& fileName) const {
    std::vector<fs::path> parts;
    const std::string stem = Stem(fileName);
    std::error_code ec;
    for (const auto& e : fs::directory_iterator(localFolder_, ec)) {
        std::string name = e.path().filename().string();
        auto underscore = name.rfind('_');
        if (!EndsWithNoCase(name, ".ots") || underscore == std::string::npos)
            continue;
        if (EqualsNoCase(name.substr(0, underscore), stem))
            parts.push_back(e.path());
    }
    std::sort(parts.begin(), parts.end());
    return parts;
}

void RecordManager::removeWithParts(const fs::path& file) const {
    std::error_code ec;
    for (const auto& part : PartFiles(file.filename().string()))
        fs::remove(part, ec);
    fs::remove(file, ec);
}

bool RecordManager::DeletePcFiles(const std::vector<std::string>& fileNames, bool ask) {
    if (fileNames.empty())
        return false;
    if (ask && !(fileNames.size() == 1 ? this->ask(113, fileNames[0])
                                       : this->ask(114, std::to_string(fileNames.size()))))
        return false;
    for (const auto& name : fileNames)
        removeWithParts(localFolder_ / fs::path(name).filename());
    return true;
}

RecordManager::NameCheck RecordManager::CheckNewName(const std::string& oldText,
                                                     const std::string& newText) const {
    if (ForbiddenFileNameCharacter(newText)) {
        std::string list;
        for (char c : kForbiddenFileNameCharacters)
            list += std::string(list.empty() ? "" : " ") + c;
        prompter_.showMessage(Msg(165) + ":\n\t" + list, PromptIcon::Error);
        return NameCheck::Refused;
    }
    if (newText.empty()) {
        prompter_.showMessage(Msg(166), PromptIcon::Error);
        return NameCheck::Refused;
    }
    if (CountCharacters(newText) > kTitleFieldSize - 1 || newText.size() > kTitleFieldSize - 1) {
        prompter_.showMessage(Msg(118), PromptIcon::Error);
        return NameCheck::Refused;
    }
    if (EqualsNoCase(oldText, newText))
        return NameCheck::Unchanged;
    return NameCheck::Ok;
}

bool RecordManager::RenameReceiverRecording(const RecordEntry& item, const std::string& newTitle) {
    if (CheckNewName(item.title, newTitle) != NameCheck::Ok)
        return false;
    std::vector<std::uint8_t> title(kNameBlockSize, 0);
    std::memcpy(title.data(), newTitle.data(), newTitle.size());
    return simpleRequest(RenameCommand(radio_), {NameBlock(item.fileName), title});
}

std::optional<std::string> RecordManager::RenamePcFile(const std::string& fileName,
                                                       const std::string& newName) {
    if (CheckNewName(fileName, newName) != NameCheck::Ok)
        return std::nullopt;
    std::string target = newName;
    if (!EndsWithNoCase(target, extension()))
        target += extension();
    if (EqualsNoCase(target, fileName))
        return std::nullopt;
    const std::string newStem = Stem(target);
    std::error_code ec;
    auto parts = PartFiles(fileName);
    fs::rename(localFolder_ / fileName, localFolder_ / target, ec);
    if (ec) {
        prompter_.showMessage(ec.message(), PromptIcon::Error);
        return std::nullopt;
    }
    for (const auto& part : parts) {
        std::string name = part.filename().string();
        fs::rename(part, localFolder_ / (newStem + name.substr(name.rfind('_'))), ec);
    }
    return target;
}

// ----- Download -----

DownloadOutcome RecordManager::DownloadRecording(const std::string& receiverName,
                                                 const std::string& title,
                                                 shell::Progress& progress) {
    DownloadOutcome out;
    out.result = downloadStream(receiverName, title, progress, out);
    progress.end();
    return out;
}

JobResult RecordManager::downloadStream(const std::string& receiverName, const std::string& title,
                                        shell::Progress& progress, DownloadOutcome& out) {
    const std::uint8_t ch = options_.channel;
    const bool split = SplitsFiles();
    // Radio downloads end with "stopped" where TV downloads fail.
    const JobResult stopResult = radio_ ? JobResult::Stopped() : JobResult::Failed();
    std::uint64_t freeMiB = PcFreeSpace();
    if (freeMiB < 10) {
        showMessage(185);
        return JobResult::Failed();
    }
    TempHeader temp;
    if (!temp.create(localFolder_))
        return JobResult::Failed();

    RecordInfo info;
    if (!FetchRecordInfo(receiverName, !radio_, info))
        return JobResult::Failed();
    if (radio_)
        info.thumbnail.clear();
    if (!temp.writeStart(title) || !temp.writeInfo(info.eventText, info.thumbnail)) {
        prompter_.showMessage(temp.errorText(), PromptIcon::Error);
        return JobResult::Failed();
    }

    link::ReceiverLink link(table_, prompter_);
    auto name = NameBlock(receiverName);
    if (!link.SendCommand(DownloadCommand(radio_), ch) || !link.Send(name.data(), name.size(), ch))
        return JobResult::Failed();
    std::uint8_t accept[kNameBlockSize];
    if (!receive(accept, sizeof accept))
        return JobResult::Failed();
    if (std::memcmp(accept, "VELK", 4) != 0) {
        link::ReplyRecord reply;
        link.ReadReply(reply, ch);
        return JobResult::Failed();
    }

    std::string channelName;
    for (std::size_t n = 0;; ++n) {
        if (n == kMaxHeaderBlocks || !receive(buffer_.data(), kMessageSize)) {
            table_.CloseChannel(ch);
            return JobResult::Failed();
        }
        auto block = ReadHeaderBlockMessage(buffer_);
        if (!block) {
            table_.CloseChannel(ch);
            return JobResult::Failed();
        }
        if (block->header.payloadLength > 0) {
            if (!temp.appendBlock(StoredHeaderBlock(*block, radio_))) {
                table_.CloseChannel(ch);
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
        showMessage(185);
        table_.CloseChannel(ch);
        return JobResult::Failed();
    }
    temp.close();

    // channel_title_receivername; the receiver's name is cleaned too, so that it cannot lead
    // out of the folder.
    const std::string base = SanitizeFileName(channelName) + "_" + TitleForFileName(title) + "_" +
                             SanitizeFileName(receiverName);
    const std::string firstName = base + extension();
    if (auto existing = FindNoCase(localFolder_, firstName))
        removeWithParts(*existing);
    const fs::path firstPath = localFolder_ / firstName;
    out.file = firstPath;
    progress.begin(firstName, 0);
    std::uint64_t range = 0;
    const auto createMode =
        radio_ ? LargeFile::Mode::CreateWriteOnly : LargeFile::Mode::CreateReadWrite;
    LargeFile file;
    if (!file.open(firstPath, createMode)) {
        prompter_.showMessage(file.errorText(), PromptIcon::Error);
        table_.CloseChannel(ch);
        out.file.clear();
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
        if (!receive(block.data(), block.size())) {
            result = JobResult::Failed();
            replyPending = false;
            break;
        }
        auto header = ParseStreamBlockHeader(
            std::span<const std::uint8_t, kStreamHeaderSize>(block.data(), kStreamHeaderSize));
        if (!header.isDownloadData())
            break;
        if (radio_ && block[kStreamHeaderSize] != 0x47) {
            --counter;  // dropped without writing or counting
            continue;
        }
        if (!file.write(block.data() + kStreamHeaderSize, kStreamPayloadSize)) {
            // The receiver is mid-stream: give up on the connection instead of reading on.
            prompter_.showMessage(file.errorText(), PromptIcon::Error);
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
                showMessage(185);
                result = stopResult;
                break;
            }
            if (!sendAck(true)) {
                result = stopResult;
                replyPending = false;
                break;
            }
        }
        if (split && headerLength + partBytes + kSplitMargin >= options_.splitThreshold) {
            if (!splitDone && AppendTailHeader(file, temp.path()) == 0) {
                prompter_.showMessage(file.errorText(), PromptIcon::Error);
                result = JobResult::Failed();
                replyPending = false;
                break;
            }
            splitDone = true;
            file.close();
            ++part;
            fs::path next =
                localFolder_ / (base + "_" + std::to_string(part) + extension() + ".ots");
            if (!file.open(next, createMode)) {
                prompter_.showMessage(file.errorText(), PromptIcon::Error);
                result = stopResult;
                replyPending = false;
                break;
            }
            partBytes = 0;
            freeMiB = PcFreeSpace();
        }
    }
    if (replyPending) {
        link::ReplyRecord reply;
        if (!link.ReadReply(reply, ch) && result.done())
            result = JobResult::Failed();
    }
    if (result.done() && !splitDone && file.isOpen() && AppendTailHeader(file, temp.path()) == 0) {
        prompter_.showMessage(file.errorText(), PromptIcon::Error);
        result = JobResult::Failed();
    }
    std::int64_t length = file.isOpen() ? file.length() : 0;
    file.close();
    if (!result.done()) {
        // Nothing that looks like a complete recording stays behind.
        if (!replyPending)
            table_.CloseChannel(ch);
        removeWithParts(firstPath);
        out.file.clear();
    } else if (!splitDone &&
               static_cast<std::uint64_t>(length) <= (radio_ ? kRadioSmallFile : kTvSmallFile)) {
        removeWithParts(firstPath);
        out.file.clear();
    }
    return result;
}

BatchOutcome RecordManager::DownloadBatch(const std::vector<RecordEntry>& selection,
                                          shell::Progress& progress) {
    BatchOutcome batch;
    for (const auto& item : selection) {
        if (item.scrambled == 1) {
            showMessage(181, TitleForFileName(item.title));
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
    fs::remove(localFolder_ / kTempHeaderName, ec);
    return batch;
}

// ----- Upload -----

JobResult RecordManager::UploadRecording(const fs::path& file, shell::Progress& progress) {
    const std::uint8_t ch = options_.channel;
    const fs::path path = file.is_absolute() ? file : localFolder_ / file;
    const std::string fileName = path.filename().string();
    TailHeaderReader reader;
    TailStatus status = reader.open(path, LargeFile::Mode::ReadDenyWrite);
    if (status == TailStatus::CannotOpen) {
        prompter_.showMessage(reader.errorText(), PromptIcon::Error);
        return JobResult::Failed();
    }
    if (status != TailStatus::Ok)
        return JobResult::Failed();
    std::string eventText;
    std::vector<std::uint8_t> thumbnail;
    if (!reader.readBody(eventText, thumbnail))
        return JobResult::Failed();
    const std::int64_t fileLength = reader.file().length();
    auto freeMiB = ReceiverFreeSpace();
    if (!freeMiB || *freeMiB < static_cast<std::uint64_t>(fileLength) / kMiB + 1) {
        if (freeMiB)
            showMessage(185);
        return JobResult::Failed();
    }

    link::ReceiverLink link(table_, prompter_);
    auto name = NameBlock(fileName);
    if (!link.SendCommand(UploadCommand(radio_), ch) || !link.Send(name.data(), name.size(), ch))
        return JobResult::Failed();
    // The header blocks, one 65536-byte message each, up to the closing block; a header that
    // ends without one gets a closing block of its own so that the receiver moves on.
    for (std::size_t n = 0;; ++n) {
        HeaderBlock block;
        std::vector<std::uint8_t> payload;
        int got = n < kMaxHeaderBlocks ? reader.nextBlock(block, payload) : -1;
        if (got < 0) {
            table_.CloseChannel(ch);
            return JobResult::Failed();
        }
        if (got == 0)
            block = HeaderBlock{HeaderBlock::kClosingType, 0, 0, 1, 0};
        std::fill(buffer_.begin(), buffer_.end(), 0);
        BuildHeaderBlock(block, buffer_.data());
        std::copy(payload.begin(), payload.end(), buffer_.begin() + kHeaderBlockHeaderSize);
        if (!link.Send(buffer_.data(), kMessageSize, ch))
            return JobResult::Failed();
        if (got == 0 || block.isClosing())
            break;
    }

    LargeFile& current = reader.file();
    if (!current.seek(0, LargeFile::Origin::Begin))
        return JobResult::Failed();
    std::uint64_t streamLength = static_cast<std::uint64_t>(reader.streamLength());
    auto rangeOf = [&](std::uint64_t bytes) {
        return radio_ ? (bytes + kStreamPayloadSize - 1) / kStreamPayloadSize
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
            link::ReplyRecord reply;
            bool ok = link.Send(closing.data(), closing.size(), ch) && link.ReadReply(reply, ch);
            progress.end();
            return ok ? JobResult::Stopped() : JobResult::Failed();
        }
        std::size_t want = static_cast<std::size_t>(
            std::min<std::uint64_t>(kStreamPayloadSize, streamLength - sent));
        std::int64_t n = want ? source->read(blockBuf.data() + kStreamHeaderSize, want) : 0;
        if (n < 0) {
            prompter_.showMessage(source->errorText(), PromptIcon::Error);
            table_.CloseChannel(ch);
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
                                   stem + "_" + std::to_string(part + 1) + extension() + ".ots");
            if (!next)
                break;
            if (!partFile.open(*next, LargeFile::Mode::ReadDenyWrite)) {
                prompter_.showMessage(partFile.errorText(), PromptIcon::Error);
                link::ReplyRecord reply;
                if (link.Send(closing.data(), closing.size(), ch))
                    link.ReadReply(reply, ch);
                return radio_ ? JobResult::Stopped() : JobResult::Failed();
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

BatchOutcome RecordManager::UploadBatch(const std::vector<fs::path>& files,
                                        shell::Progress& progress) {
    BatchOutcome batch;
    std::vector<RecordEntry> before;
    RefreshReceiverList(before);
    for (const auto& f : files) {
        JobResult r = UploadRecording(f, progress);
        if (!r.done()) {
            batch.result = r;
            // A radio upload that was stopped does not stop the batch.
            if (!(radio_ && r.stopped()))
                break;
        }
    }
    std::vector<RecordEntry> after;
    if (RefreshReceiverList(after))
        for (const auto& e : after)
            if (std::none_of(before.begin(), before.end(),
                             [&](const RecordEntry& b) { return b.fileName == e.fileName; }))
                batch.receiverNames.push_back(e.fileName);
    progress.end();
    return batch;
}

}  // namespace velkport::recordings
