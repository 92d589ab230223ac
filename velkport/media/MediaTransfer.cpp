#include "velkport/media/MediaTransfer.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "common/ByteOrder.h"
#include "common/FileDescriptor.h"
#include "velkport/link/ArgumentBlock.h"
#include "velkport/link/ChannelTable.h"
#include "velkport/link/CommandCodes.h"
#include "velkport/link/DataBlock.h"
#include "velkport/media/MediaText.h"
#include "velkport/media/PartialFile.h"
#include "velkport/media/UploadBlock.h"
#include "velkport/shell/base/MessageCatalogue.h"
#include "velkport/shell/base/Prompter.h"

namespace velkport::media {

namespace fs = std::filesystem;
using shell::Msg;
using shell::PromptIcon;

namespace {

constexpr std::uint64_t kMiB = 1024 * 1024;
// A file that was not sent because it is no picture; the batch goes on without it.
constexpr int kSkipped = 2;

std::uint64_t Steps(std::uint64_t bytes, std::uint64_t perStep) {
    return std::max<std::uint64_t>(1, (bytes + perStep / 2) / perStep);
}

std::string FolderName(const fs::path& folder) {
    fs::path p = folder.lexically_normal();
    if (p.filename().empty())
        p = p.parent_path();
    return p.filename().string();
}

}  // namespace

MediaTransfer::MediaTransfer(MediaManager& manager, fs::path jpegWorkRoot)
    : m_(manager), preparer_(std::move(jpegWorkRoot)) {}

void MediaTransfer::say(int message, const std::string& arg, bool error) {
    std::string text = Msg(message);
    if (const auto at = text.find("%s"); at != std::string::npos)
        text.replace(at, 2, arg);
    else if (!arg.empty())
        text += "\n" + arg;
    m_.prompter().showMessage(text, error ? PromptIcon::Error : PromptIcon::Information);
}

void MediaTransfer::sayText(const std::string& text) {
    m_.prompter().showMessage(text, PromptIcon::Error);
}

int MediaTransfer::UploadFile(const fs::path& file, shell::Progress& progress) {
    const std::string name = file.filename().string();
    if (name.find('\\') != std::string::npos) {  // the receiver reads it as a folder separator
        sayText(CheckRename(m_.type(), true, "", name, {}).text);
        return kTransferFailed;
    }
    fs::path source = file;
    if (m_.type() == MediaType::Jpeg) {
        const auto prepared = preparer_.Prepare(file);
        if (prepared.status == JpegPreparer::Status::NotJpeg) {
            say(175, name);
            return kSkipped;
        }
        if (prepared.status == JpegPreparer::Status::Failed) {
            sayText(prepared.error);
            return kTransferFailed;
        }
        source = prepared.uploadFile;
    }
    const int result = sendFile(source, name, progress);
    preparer_.Clear();
    return result;
}

int MediaTransfer::sendFile(const fs::path& source, const std::string& remoteName,
                            shell::Progress& progress) {
    common::FileDescriptor fd(::open(source.c_str(), O_RDONLY | O_CLOEXEC));
    struct stat st {};
    if (!fd.valid() || ::fstat(fd.fd(), &st) != 0 || !S_ISREG(st.st_mode)) {
        sayText(source.string() + ": " + std::strerror(fd.valid() ? EISDIR : errno));
        return kTransferFailed;
    }
    // The free space is checked before anything of the file is sent.
    const auto usage = m_.GetDiskUsage();
    if (!usage)
        return kTransferFailed;
    const auto size = static_cast<std::uint64_t>(st.st_size);
    if (usage->freeMiB() < size / kMiB + 2) {
        say(Traits(m_.type()).noSpaceMessage);
        return kTransferFailed;
    }

    progress.begin(remoteName, Steps(size, UploadBlock::kMaxPayload));
    std::uint64_t steps = 0;
    if (!m_.Command(link::cmd::kUploadFile))
        return kTransferFailed;
    const auto nameBlock = link::ArgumentBlock::WithText(remoteName);
    if (!m_.SendBytes(nameBlock.data(), nameBlock.size()))
        return kTransferFailed;

    UploadBlock block;
    bool stopped = false;
    bool readFailed = false;
    for (;;) {
        if (progress.cancelled()) {
            stopped = true;
            break;
        }
        const ssize_t n = common::ReadUpTo(fd.fd(), block.payloadData(), UploadBlock::kMaxPayload);
        if (n < 0) {
            readFailed = true;
            sayText(source.string() + ": " + std::strerror(errno));
            break;
        }
        if (n == 0)
            break;
        block.setLength(static_cast<std::size_t>(n));
        if (!m_.SendBytes(block.bytes().data(), block.bytes().size()))
            return kTransferFailed;
        progress.advance(++steps);
    }
    progress.end();
    block.setLength(0);
    if (!m_.SendBytes(block.bytes().data(), block.bytes().size()))
        return kTransferFailed;
    const bool accepted = m_.ReadReply();
    if (stopped || readFailed || !accepted) {
        // The receiver keeps what arrived: take the partial file away again.
        if (m_.table().ChannelState(m_.channel()) == link::ChannelTable::kOpen)
            m_.DeleteItem(remoteName, kKindFile);
        return stopped ? kTransferStopped : kTransferFailed;
    }
    return kTransferDone;
}

int MediaTransfer::DownloadFile(const std::string& name, const fs::path& localFolder,
                                shell::Progress& progress, const std::string& localName) {
    const auto safe = localName.empty() ? SafeLocalName(name) : SafeLocalName(localName);
    if (!safe) {
        say(172, name);
        return kTransferFailed;
    }
    const auto size = m_.GetFileSize(name);
    if (!size) {
        say(172, name);
        return kTransferFailed;
    }
    PartialFile out(localFolder / *safe);
    if (!out.Open()) {
        sayText(out.error());
        return kTransferFailed;
    }
    progress.begin(name, Steps(*size, link::DataBlock::kMaxPayload));
    std::uint64_t steps = 0;

    std::vector<std::uint8_t> raw(link::DataBlock::kSize);
    std::uint64_t total = 0;
    int result = kTransferDone;
    for (;;) {
        if (progress.cancelled()) {
            result = kTransferStopped;
            break;
        }
        if (!m_.Command(link::cmd::kNextDataBlock, link::cmd::kDataBlockValue) ||
            !m_.ReceiveBytes(raw.data(), raw.size()))
            return kTransferFailed;
        const bool replied = m_.ReadReply();
        // The block is read in place (no copy per block): its length, bounded by the room in it.
        const std::uint32_t n = common::loadBe32(raw.data());
        if (!replied || n > link::DataBlock::kMaxPayload) {
            result = kTransferFailed;
            break;
        }
        total += n;
        if (total > *size) {  // more than the receiver said the file holds
            result = kTransferFailed;
            break;
        }
        if (!out.Write(raw.data() + link::DataBlock::kHeaderSize, n)) {
            sayText(out.error());
            result = kTransferFailed;
            break;
        }
        progress.advance(++steps);
        if (n != link::DataBlock::kMaxPayload)
            break;
    }
    progress.end();
    // The receiver ends its side of the transfer in every case, also after a Cancel.
    if (!m_.EndDownload() && result == kTransferDone)
        result = kTransferFailed;
    if (result == kTransferDone && total != *size)
        result = kTransferFailed;
    if (result == kTransferDone && !out.Commit()) {
        sayText(out.error());
        result = kTransferFailed;
    }
    return result;
}

int MediaTransfer::UploadFolder(const fs::path& folder, shell::Progress& progress) {
    return uploadFolder(folder, progress, 0);
}

int MediaTransfer::uploadFolder(const fs::path& folder, shell::Progress& progress, int depth) {
    const std::string name = FolderName(folder);
    if (depth >= kMaxDepth || name.empty())
        return kTransferFailed;
    if (name.find('\\') != std::string::npos) {
        sayText(CheckRename(m_.type(), false, "", name, {}).text);
        return kTransferFailed;
    }
    const auto parent = m_.currentLevels();
    auto levels = parent;
    levels.push_back(name);
    if (!m_.CreateFolder(name) || !m_.ChangeFolder(levels))
        return kTransferFailed;

    std::vector<fs::directory_entry> entries;
    std::error_code ec;
    for (const auto& e : fs::directory_iterator(folder, ec))
        entries.push_back(e);
    std::sort(entries.begin(), entries.end());
    int result = ec ? kTransferFailed : kTransferDone;
    for (const auto& e : entries) {
        if (result != kTransferDone && result != kSkipped)
            break;
        std::error_code sec;
        const auto status = e.symlink_status(sec);
        int r = kTransferDone;
        if (fs::is_directory(status))  // a link to a folder is not followed (it may loop)
            r = uploadFolder(e.path(), progress, depth + 1);
        else if (e.is_regular_file(sec) && HasAreaExtension(m_.type(), e.path().filename()))
            r = UploadFile(e.path(), progress);
        if (r != kTransferDone)
            result = r;
    }
    if (!m_.ChangeFolder(parent) && (result == kTransferDone || result == kSkipped))
        result = kTransferFailed;
    return result;
}

int MediaTransfer::DownloadFolder(const std::string& name, const fs::path& localFolder,
                                  shell::Progress& progress) {
    return downloadFolder(name, localFolder, progress, 0);
}

int MediaTransfer::downloadFolder(const std::string& name, const fs::path& localFolder,
                                  shell::Progress& progress, int depth) {
    const auto safe = SafeLocalName(name);
    if (!safe) {
        say(172, name);
        return kTransferFailed;
    }
    if (depth >= kMaxDepth) {  // a folder that (through some quirk) contains itself
        say(172, name);
        return kTransferFailed;
    }
    const fs::path dir = localFolder / *safe;
    std::error_code ec;
    const auto status = fs::symlink_status(dir, ec);
    if (fs::exists(status) ? !fs::is_directory(status) : !fs::create_directory(dir, ec)) {
        sayText(dir.string() + ": " + (ec ? ec.message() : std::strerror(ENOTDIR)));
        return kTransferFailed;
    }
    const auto parent = m_.currentLevels();
    auto levels = parent;
    levels.push_back(name);
    std::vector<link::FolderEntry> entries;
    if (!m_.ChangeFolder(levels) || !m_.ListFolder(entries))
        return kTransferFailed;
    int result = kTransferDone;
    for (const auto& e : entries) {
        result = e.isFile() ? DownloadFile(e.name, dir, progress)
                            : downloadFolder(e.name, dir, progress, depth + 1);
        if (result != kTransferDone)
            break;
    }
    if (!m_.ChangeFolder(parent) && result == kTransferDone)
        result = kTransferFailed;
    return result;
}

int MediaTransfer::Upload(const std::vector<fs::path>& items, shell::Progress& progress) {
    const auto start = m_.currentLevels();
    int result = kTransferDone;
    bool skipped = false;
    for (const auto& item : items) {
        std::error_code ec;
        const int r = fs::is_directory(item, ec) ? uploadFolder(item, progress, 0)
                                                 : UploadFile(item, progress);
        skipped = skipped || r == kSkipped;
        if (r != kTransferDone && r != kSkipped) {
            result = r;
            break;
        }
    }
    if (m_.table().ChannelState(m_.channel()) == link::ChannelTable::kOpen) {
        progress.begin(Msg(163), 1);
        if (m_.currentLevels() != start)
            m_.ChangeFolder(start);
        progress.begin(Msg(164), 1);
        if (!m_.FinishChanges() && result == kTransferDone)
            result = kTransferFailed;
        progress.end();
    }
    return result == kTransferDone && skipped ? kTransferFailed : result;
}

int MediaTransfer::Download(const std::vector<link::FolderEntry>& items,
                            const fs::path& localFolder, shell::Progress& progress) {
    const auto start = m_.currentLevels();
    int result = kTransferDone;
    for (const auto& e : items) {
        result = e.isFile() ? DownloadFile(e.name, localFolder, progress)
                            : downloadFolder(e.name, localFolder, progress, 0);
        if (result != kTransferDone)
            break;
    }
    if (m_.table().ChannelState(m_.channel()) == link::ChannelTable::kOpen &&
        m_.currentLevels() != start)
        m_.ChangeFolder(start);
    return result;
}

}  // namespace velkport::media
