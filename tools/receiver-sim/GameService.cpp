#include "tools/receiver-sim/GameService.h"

#include <fcntl.h>
#include <unistd.h>

#include <vector>

#include "common/FileDescriptor.h"
#include "tools/receiver-sim/DiskSpace.h"
#include "tools/receiver-sim/ReceiverSim.h"
#include "velkport/link/ArgumentBlock.h"
#include "velkport/link/CommandCodes.h"
#include "velkport/link/ReplyRecord.h"
#include "velkport/media/UploadBlock.h"
#include "velkport/upgrade/GameHeader.h"
#include "velkport/upgrade/GameInstaller.h"

namespace receiversim {

namespace fs = std::filesystem;
using velkport::link::ReplyRecord;
using velkport::upgrade::GameHeader;

namespace {

constexpr const char* kHeaderKey = "game.header";

// A file name for the package from its game name: letters, digits, "-", "_" and "." only.
std::string PackageName(const std::string& gameName) {
    std::string out;
    for (char c : gameName) {
        const bool plain = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') ||
                           (c >= '0' && c <= '9') || c == '-' || c == '_' || c == '.';
        out += plain ? c : '_';
    }
    if (out.empty() || out[0] == '.')
        out = "game" + out;
    return out + ".img";
}

}  // namespace

GameService::GameService(fs::path root, std::shared_ptr<DiskSpace> disk, bool refuse)
    : root_(std::move(root)), disk_(std::move(disk)), refuse_(refuse) {}

void GameService::Register(ReceiverSim& sim, std::shared_ptr<DiskSpace> disk, bool refuse) {
    auto service = std::make_shared<GameService>(sim.root(), std::move(disk), refuse);
    sim.registerCommand(
        velkport::link::cmd::kGameInstallQuery,
        [service](CommandSession& s, std::uint8_t, std::uint32_t) { service->query(s); },
        velkport::link::channel::kGame);
    sim.registerCommand(
        velkport::link::cmd::kGameInstallTransfer,
        [service](CommandSession& s, std::uint8_t, std::uint32_t) { service->transfer(s); },
        velkport::link::channel::kGame);
}

void GameService::query(CommandSession& s) {
    std::vector<std::uint8_t> block(velkport::link::ArgumentBlock::kLargeSize);
    if (!s.receive(block.data(), block.size()))
        return;
    GameHeader h;
    const bool parsed = GameHeader::ParseSent(block, h);
    s.state[kHeaderKey].assign(block.begin(), block.begin() + GameHeader::kSentSize);
    velkport::upgrade::GameInstaller::Answer a;
    a.acknowledge = velkport::upgrade::GameInstaller::kAcknowledge;
    a.p = static_cast<std::uint32_t>((disk_->usedBytes() + 1023) / 1024);
    a.q = static_cast<std::uint32_t>(disk_->totalBytes() / 1024);
    a.refusal = refuse_ || !parsed ? 1 : 0;
    const auto bytes = a.Build();
    if (s.send(bytes.data(), bytes.size()))
        s.sendReply(0, 0, 0);
}

void GameService::transfer(CommandSession& s) {
    const auto it = s.state.find(kHeaderKey);
    GameHeader h;
    bool ok =
        !refuse_ && it != s.state.end() &&
        GameHeader::ParseSent(
            std::span(reinterpret_cast<const std::uint8_t*>(it->second.data()), it->second.size()),
            h);
    const fs::path folder = root_ / "games";
    std::error_code ec;
    fs::create_directories(folder, ec);
    const fs::path target = folder / PackageName(h.name);
    const fs::path temp = folder / ("." + target.filename().string() + ".part");
    common::FileDescriptor fd(
        ok ? ::open(temp.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644) : -1);
    ok = ok && fd.valid() && ::write(fd.fd(), GameHeader::kMagic, 6) == 6 &&
         ::write(fd.fd(), it->second.data(), it->second.size()) ==
             static_cast<ssize_t>(it->second.size());
    const std::uint64_t room = disk_->freeBytes();
    std::uint64_t stored = GameHeader::kSize;
    std::vector<std::uint8_t> raw(velkport::media::UploadBlock::kSize);
    for (;;) {
        if (!s.receive(raw.data(), raw.size())) {
            ::unlink(temp.c_str());
            return;
        }
        velkport::media::UploadBlock block;
        if (!velkport::media::UploadBlock::Parse(raw, block)) {
            ::unlink(temp.c_str());
            s.drop();
            return;
        }
        if (block.length() == 0)
            break;
        stored += block.length();
        ok = ok && stored <= room &&
             ::write(fd.fd(), block.payload().data(), block.length()) ==
                 static_cast<ssize_t>(block.length());
    }
    ok = ok && fd.close() && ::rename(temp.c_str(), target.c_str()) == 0;
    if (!ok) {
        ::unlink(temp.c_str());
        s.sendReply(ReplyRecord::kFailed, 0, 0);
        return;
    }
    disk_->add(static_cast<std::int64_t>(stored));
    s.state.erase(kHeaderKey);
    s.sendReply(0, 0, 0);
}

}  // namespace receiversim
