#include "tools/receiver-sim/MediaService.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <ctime>
#include <fstream>
#include <vector>

#include "common/ByteOrder.h"
#include "common/FileDescriptor.h"
#include "tools/receiver-sim/DiskSpace.h"
#include "tools/receiver-sim/ReceiverSim.h"
#include "tools/receiver-sim/SimPaths.h"
#include "velkport/link/ArgumentBlock.h"
#include "velkport/link/CommandCodes.h"
#include "velkport/link/DataBlock.h"
#include "velkport/link/FolderEntry.h"
#include "velkport/link/ReplyRecord.h"
#include "velkport/media/DiskUsageAnswer.h"
#include "velkport/media/FolderTreeEntry.h"
#include "velkport/media/JpegPreparer.h"
#include "velkport/media/UploadBlock.h"

namespace receiversim {

namespace fs = std::filesystem;
namespace cmd = velkport::link::cmd;
using velkport::link::ReplyRecord;

namespace {

constexpr const char* kFolderKey = "media.folder";
constexpr const char* kDownloadKey = "media.download";
constexpr const char* kOffsetKey = "media.offset";
constexpr std::uint32_t kMp3BytesPerSecond = 16000;  // 128 kbit/s
constexpr std::uintmax_t kMaxThumbnailSource = 64u << 20;
constexpr int kMaxTreeDepth = 32;

bool Fail(CommandSession& s) {
    return s.sendReply(ReplyRecord::kFailed, 0, 0);
}

bool Ok(CommandSession& s, std::uint32_t field2 = 0) {
    return s.sendReply(0, field2, 0);
}

std::string ModifiedText(const fs::path& p) {
    struct stat st {};
    if (::stat(p.c_str(), &st) != 0)
        return {};
    std::tm tm{};
    ::localtime_r(&st.st_mtime, &tm);
    char buf[32];
    std::strftime(buf, sizeof buf, "%Y:%m:%d %H:%M:%S", &tm);
    return buf;
}

std::uint32_t Clamp32(std::uintmax_t v) {
    return static_cast<std::uint32_t>(std::min<std::uintmax_t>(v, 0xFFFFFFFFu));
}

}  // namespace

MediaService::MediaService(fs::path root, std::shared_ptr<DiskSpace> disk)
    : root_(std::move(root)), disk_(std::move(disk)) {}

void MediaService::Register(ReceiverSim& sim, std::shared_ptr<DiskSpace> disk) {
    auto service = std::make_shared<MediaService>(sim.root(), std::move(disk));
    auto handler = [service](CommandSession& s, std::uint8_t c, std::uint32_t v) {
        service->handle(s, c, v);
    };
    for (int ch : {velkport::link::channel::kMp3, velkport::link::channel::kJpeg}) {
        for (std::uint8_t code = cmd::kSetCurrentFolder; code <= cmd::kThumbnail; ++code)
            sim.registerCommand(code, handler, ch);
    }
    sim.registerCommand(cmd::kMp3DiskUsage, handler, velkport::link::channel::kMp3);
    sim.registerCommand(cmd::kJpegDiskUsage, handler, velkport::link::channel::kJpeg);
}

fs::path MediaService::area(const CommandSession& s) const {
    fs::path a = root_ / (s.channel() == velkport::link::channel::kMp3 ? "mp3" : "jpeg");
    std::error_code ec;
    fs::create_directories(a, ec);
    return a;
}

fs::path MediaService::current(CommandSession& s) const {
    const auto at = ResolveUnderRoot(area(s), s.state[kFolderKey]);
    return at ? *at : area(s);
}

std::optional<fs::path> MediaService::named(CommandSession& s, const std::string& name) const {
    if (name.empty())
        return std::nullopt;
    auto p = ResolveUnderRoot(area(s), s.state[kFolderKey] + "/" + name);
    if (p && *p == fs::weakly_canonical(area(s)))
        return std::nullopt;  // the area itself is not an item of a folder
    return p;
}

bool MediaService::receiveBlock(CommandSession& s, std::size_t size, std::string& text,
                                std::uint8_t* flag) {
    std::vector<std::uint8_t> raw(size);
    if (!s.receive(raw.data(), raw.size()))
        return false;
    velkport::link::ArgumentBlock block;
    velkport::link::ArgumentBlock::Parse(raw, block);
    if (flag)
        *flag = block.Byte(0);
    text = block.Text(flag ? 1 : 0);
    return true;
}

void MediaService::handle(CommandSession& s, std::uint8_t code, std::uint32_t) {
    switch (code) {
        case cmd::kSetCurrentFolder:
            return setFolder(s);
        case cmd::kListFolder:
            return list(s);
        case cmd::kCreateFolder:
            return createFolder(s);
        case cmd::kFileSize:
            return fileSize(s);
        case cmd::kNextDataBlock:
            return nextBlock(s);
        case cmd::kUploadFile:
            return upload(s);
        case cmd::kRename:
            return rename(s);
        case cmd::kDelete:
            return remove(s);
        case cmd::kListFolderTree:
            return tree(s);
        case cmd::kFinishChanges: {
            std::string unused;
            if (receiveBlock(s, velkport::link::ArgumentBlock::kSize, unused, nullptr))
                Ok(s);
            return;
        }
        case cmd::kEndDownload:
            s.state.erase(kDownloadKey);
            s.state.erase(kOffsetKey);
            Ok(s);
            return;
        case cmd::kThumbnail:
            return thumbnail(s);
        case cmd::kMp3DiskUsage:
        case cmd::kJpegDiskUsage:
            return diskUsage(s);
        default:
            Fail(s);
    }
}

void MediaService::setFolder(CommandSession& s) {
    std::string path;
    std::uint8_t mode = 0;
    if (!receiveBlock(s, velkport::link::ArgumentBlock::kLargeSize, path, &mode))
        return;
    if (mode == 0 && path.empty()) {
        s.state[kFolderKey].clear();
        Ok(s);
        return;
    }
    std::string rest;
    if (mode != 3 || path.rfind("Top\\", 0) != 0) {
        Fail(s);
        return;
    }
    rest = path.substr(4);
    const auto at = ResolveUnderRoot(area(s), rest);
    std::error_code ec;
    if (!at || !fs::is_directory(*at, ec)) {
        Fail(s);
        return;
    }
    s.state[kFolderKey] = rest;
    Ok(s);
}

void MediaService::list(CommandSession& s) {
    const bool mp3 = s.channel() == velkport::link::channel::kMp3;
    std::vector<velkport::link::FolderEntry> folders, files;
    std::error_code ec;
    for (const auto& e : fs::directory_iterator(current(s), ec)) {
        const std::string name = e.path().filename().string();
        if (name.size() >= velkport::link::FolderEntry::kNameField || name.rfind(".", 0) == 0)
            continue;  // too long for an entry, or a hidden / partial file
        std::error_code fec;
        if (e.is_directory(fec)) {
            folders.push_back(velkport::link::FolderEntry::Folder(name));
        } else if (e.is_regular_file(fec)) {
            auto f = velkport::link::FolderEntry::File(name, Clamp32(e.file_size(fec)));
            if (mp3)
                f.extraValue = f.size / kMp3BytesPerSecond;
            else
                f.extraText = ModifiedText(e.path());
            files.push_back(std::move(f));
        }
    }
    auto byName = [](const auto& a, const auto& b) { return a.name < b.name; };
    std::sort(folders.begin(), folders.end(), byName);
    std::sort(files.begin(), files.end(), byName);
    for (const auto* group : {&folders, &files})
        for (const auto& e : *group) {
            const auto bytes = e.Build();
            if (!s.send(bytes.data(), bytes.size()))
                return;
        }
    const auto end = velkport::link::FolderEntry::End().Build();
    if (s.send(end.data(), end.size()))
        Ok(s);
}

void MediaService::createFolder(CommandSession& s) {
    std::string name;
    if (!receiveBlock(s, velkport::link::ArgumentBlock::kSize, name, nullptr))
        return;
    const auto p = named(s, name);
    std::error_code ec;
    if (!p || (!fs::create_directory(*p, ec) && !fs::is_directory(*p, ec))) {
        Fail(s);
        return;
    }
    Ok(s);
}

void MediaService::fileSize(CommandSession& s) {
    std::string name;
    std::uint8_t flag = 0;
    if (!receiveBlock(s, velkport::link::ArgumentBlock::kSize, name, &flag))
        return;
    const auto p = named(s, name);
    std::error_code ec;
    if (!p || !fs::is_regular_file(*p, ec)) {
        Fail(s);
        return;
    }
    s.state[kDownloadKey] = p->string();
    s.state[kOffsetKey] = "0";
    Ok(s, Clamp32(fs::file_size(*p, ec)));
}

void MediaService::nextBlock(CommandSession& s) {
    std::vector<std::uint8_t> block(velkport::link::DataBlock::kSize, 0);
    bool ok = false;
    if (auto it = s.state.find(kDownloadKey); it != s.state.end()) {
        common::FileDescriptor fd(::open(it->second.c_str(), O_RDONLY | O_CLOEXEC));
        const off_t offset = std::stoll(s.state[kOffsetKey]);
        ssize_t n = 0, got = 0;
        const std::size_t room = velkport::link::DataBlock::kMaxPayload;
        while (fd.valid() && static_cast<std::size_t>(got) < room &&
               (n = ::pread(fd.fd(), block.data() + 4 + got, room - static_cast<std::size_t>(got),
                            offset + got)) > 0)
            got += n;
        if (fd.valid() && n >= 0) {
            common::storeBe32(block.data(), static_cast<std::uint32_t>(got));
            s.state[kOffsetKey] = std::to_string(offset + got);
            ok = true;
        }
    }
    if (s.send(block.data(), block.size()))
        ok ? Ok(s) : Fail(s);
}

void MediaService::upload(CommandSession& s) {
    std::string name;
    if (!receiveBlock(s, velkport::link::ArgumentBlock::kSize, name, nullptr))
        return;
    const auto p = named(s, name);
    common::FileDescriptor fd(p ? ::open(p->c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644)
                                : -1);
    const std::uint64_t room = disk_->freeBytes();
    std::uint64_t stored = 0;
    bool ok = fd.valid();
    std::vector<std::uint8_t> raw(velkport::media::UploadBlock::kSize);
    for (;;) {
        if (!s.receive(raw.data(), raw.size()))
            return;
        velkport::media::UploadBlock block;
        if (!velkport::media::UploadBlock::Parse(raw, block)) {
            s.drop();  // the blocks are out of step: nothing after this can be trusted
            return;
        }
        if (block.length() == 0)
            break;
        if (ok && stored + block.length() > room)
            ok = false;  // the disk is full; the rest of the blocks are read and dropped
        if (ok && ::write(fd.fd(), block.payload().data(), block.length()) !=
                      static_cast<ssize_t>(block.length()))
            ok = false;
        stored += block.length();
    }
    fd.close();
    if (!ok) {
        if (p)
            ::unlink(p->c_str());
        Fail(s);
        return;
    }
    disk_->add(static_cast<std::int64_t>(stored));
    Ok(s);
}

void MediaService::rename(CommandSession& s) {
    std::string oldName, newName;
    std::uint8_t oldFlag = 0, newFlag = 0;
    if (!receiveBlock(s, velkport::link::ArgumentBlock::kSize, oldName, &oldFlag) ||
        !receiveBlock(s, velkport::link::ArgumentBlock::kSize, newName, &newFlag))
        return;
    const auto from = named(s, oldName);
    const auto to = named(s, newName);
    std::error_code ec;
    const bool file = (oldFlag & 0x0F) == 1;
    if (!from || !to || (oldFlag & 0xF0) != 0x10 || (newFlag & 0xF0) != 0x20 ||
        (file ? !fs::is_regular_file(*from, ec) : !fs::is_directory(*from, ec)) ||
        fs::exists(*to, ec)) {
        Fail(s);
        return;
    }
    fs::rename(*from, *to, ec);
    ec ? Fail(s) : Ok(s);
}

void MediaService::remove(CommandSession& s) {
    std::string name;
    std::uint8_t kind = 0;
    if (!receiveBlock(s, velkport::link::ArgumentBlock::kSize, name, &kind))
        return;
    const auto p = named(s, name);
    std::error_code ec;
    if (!p || (kind == 1 ? !fs::is_regular_file(fs::symlink_status(*p, ec))
                         : !fs::is_directory(*p, ec))) {
        Fail(s);
        return;
    }
    const auto size = kind == 1 ? fs::file_size(*p, ec) : 0;
    fs::remove_all(*p, ec);
    if (ec) {
        Fail(s);
        return;
    }
    disk_->add(-static_cast<std::int64_t>(size));
    Ok(s);
}

void MediaService::tree(CommandSession& s) {
    const fs::path top = area(s);
    std::vector<std::string> names;
    std::error_code ec;
    for (fs::recursive_directory_iterator it(top, ec), end; !ec && it != end; it.increment(ec)) {
        std::error_code fec;
        if (!it->is_directory(fec) || it->is_symlink(fec)) {
            continue;
        }
        if (it.depth() >= kMaxTreeDepth) {
            it.disable_recursion_pending();
            continue;
        }
        std::string name;
        for (const auto& part : it->path().lexically_relative(top))
            name += (name.empty() ? "" : "\\") + part.string();
        if (name.size() < velkport::media::FolderTreeEntry::kSize - 1)
            names.push_back(std::move(name));
    }
    std::sort(names.begin(), names.end());
    for (const auto& n : names) {
        velkport::media::FolderTreeEntry e;
        e.name = n;
        const auto bytes = e.Build();
        if (!s.send(bytes.data(), bytes.size()))
            return;
    }
    velkport::media::FolderTreeEntry end;
    end.kind = velkport::media::FolderTreeEntry::kEnd;
    const auto bytes = end.Build();
    if (s.send(bytes.data(), bytes.size()))
        Ok(s);
}

void MediaService::thumbnail(CommandSession& s) {
    std::string name;
    if (!receiveBlock(s, velkport::link::ArgumentBlock::kSize, name, nullptr))
        return;
    std::vector<std::uint8_t> picture;
    const auto p = named(s, name);
    std::error_code ec;
    if (p && fs::is_regular_file(*p, ec) && fs::file_size(*p, ec) <= kMaxThumbnailSource) {
        std::ifstream in(*p, std::ios::binary);
        picture.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }
    using velkport::media::JpegPreparer;
    auto thumb = JpegPreparer::ExifThumbnail(picture);
    if (!thumb || thumb->size() > velkport::link::DataBlock::kMaxPayload)
        thumb = JpegPreparer::MakeThumbnail(picture);
    const bool ok = thumb && thumb->size() <= velkport::link::DataBlock::kMaxPayload;
    const auto block =
        ok ? velkport::link::DataBlock::WithPayload(*thumb) : velkport::link::DataBlock();
    if (s.send(block.bytes().data(), block.bytes().size()))
        ok ? Ok(s) : Fail(s);
}

void MediaService::diskUsage(CommandSession& s) {
    velkport::media::DiskUsageAnswer a;
    a.usedKiB = Clamp32((disk_->usedBytes() + 1023) / 1024);
    a.totalKiB = Clamp32(disk_->totalBytes() / 1024);
    const auto bytes = a.Build();
    if (s.send(bytes.data(), bytes.size()))
        Ok(s);
}

}  // namespace receiversim
