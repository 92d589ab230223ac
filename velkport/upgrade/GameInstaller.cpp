#include "velkport/upgrade/GameInstaller.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstring>

#include "common/ByteOrder.h"
#include "common/ByteReader.h"
#include "common/FileDescriptor.h"
#include "velkport/link/ArgumentBlock.h"
#include "velkport/link/ChannelTable.h"
#include "velkport/link/CommandCodes.h"
#include "velkport/link/ReceiverLink.h"
#include "velkport/link/ReplyRecord.h"
#include "velkport/media/UploadBlock.h"
#include "velkport/shell/base/MessageCatalogue.h"
#include "velkport/shell/base/Prompter.h"

namespace velkport::upgrade {

namespace {

constexpr std::uint8_t kChannel = link::channel::kGame;

bool IsTarGz(const std::filesystem::path& file) {
    std::string s = file.string();
    if (s.size() < 7)
        return false;
    s = s.substr(s.size() - 7);
    for (char& c : s)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return s == ".tar.gz";
}

}  // namespace

std::array<std::uint8_t, GameInstaller::Answer::kSize> GameInstaller::Answer::Build() const {
    std::array<std::uint8_t, kSize> b{};
    common::storeBe32(&b[0], acknowledge);
    common::storeBe32(&b[4], p);
    common::storeBe32(&b[8], q);
    common::storeBe32(&b[12], refusal);
    return b;
}

bool GameInstaller::Answer::Parse(std::span<const std::uint8_t> bytes, Answer& out) {
    if (bytes.size() < kSize)
        return false;
    common::ByteReader r(bytes);
    Answer a;
    a.acknowledge = r.be32();
    a.p = r.be32();
    a.q = r.be32();
    a.refusal = r.be32();
    if (!r.ok())
        return false;
    out = a;
    return true;
}

bool GameInstaller::Answer::Fits(std::uint32_t size) const {
    const std::int64_t freeKiB = static_cast<std::int64_t>(q) - static_cast<std::int64_t>(p);
    const std::int64_t neededKiB = (static_cast<std::int64_t>(size) + 1023) / 1024;
    return neededKiB <= freeKiB;
}

GameInstaller::GameInstaller(link::ChannelTable& table, shell::Prompter& prompter)
    : table_(table), prompter_(prompter) {}

void GameInstaller::say(int message) {
    prompter_.showMessage(shell::Msg(message), shell::PromptIcon::Error);
}

GameInstaller::Choice GameInstaller::ChooseFile(const std::filesystem::path& file) {
    file_ = file;
    if (IsTarGz(file)) {
        accepted_ = false;
        return Choice::Ignored;
    }
    GameHeader h;
    std::string error;
    switch (GameHeader::Read(file, h, &error)) {
        case GameHeader::ReadResult::NotOpened:
            prompter_.showMessage(error, shell::PromptIcon::Error);
            return Choice::NotOpened;
        case GameHeader::ReadResult::SignatureFail:
            say(159);
            return Choice::SignatureFail;
        case GameHeader::ReadResult::Ok:
            break;
    }
    header_ = h;
    accepted_ = true;
    return Choice::Accepted;
}

int GameInstaller::Install(shell::Progress& progress) {
    if (!accepted_)
        return media::kTransferFailed;
    common::FileDescriptor fd(::open(file_.c_str(), O_RDONLY | O_CLOEXEC));
    struct stat st {};
    if (!fd.valid() || ::fstat(fd.fd(), &st) != 0) {
        prompter_.showMessage(file_.string() + ": " + std::strerror(errno),
                              shell::PromptIcon::Error);
        return media::kTransferFailed;
    }
    std::array<std::uint8_t, GameHeader::kSize> head{};
    GameHeader current;
    if (common::ReadUpTo(fd.fd(), head.data(), head.size()) != static_cast<ssize_t>(head.size()) ||
        !GameHeader::Parse(head, current)) {
        say(159);  // the file changed since it was chosen
        return media::kTransferFailed;
    }

    link::ReceiverLink l(table_, prompter_);
    link::ArgumentBlock block(link::ArgumentBlock::kLargeSize);
    std::copy(head.begin() + GameHeader::kSentOffset, head.end(), block.data());
    std::array<std::uint8_t, Answer::kSize> raw{};
    link::ReplyRecord reply;
    if (!l.SendCommand(link::cmd::kGameInstallQuery, kChannel) || !l.SendBlock(block, kChannel) ||
        !l.Receive(raw.data(), raw.size(), kChannel) || !l.ReadReply(reply, kChannel))
        return media::kTransferFailed;
    Answer answer;
    Answer::Parse(raw, answer);
    if (answer.acknowledge != kAcknowledge) {
        // Without the acknowledgement the answer's other fields mean nothing: stop here.
        say(160);
        return media::kTransferFailed;
    }
    if (answer.refusal != 0) {
        say(161);
        return media::kTransferFailed;
    }
    if (!answer.Fits(current.installedSize)) {
        say(162);
        return media::kTransferFailed;
    }

    if (!l.SendCommand(link::cmd::kGameInstallTransfer, kChannel))
        return media::kTransferFailed;
    progress.begin(current.name, std::max<std::uint64_t>(1, static_cast<std::uint64_t>(st.st_size) /
                                                                media::UploadBlock::kMaxPayload));
    std::uint64_t offset = 0;
    media::UploadBlock data;
    bool readFailed = false;
    for (;;) {
        const ssize_t n =
            common::ReadUpTo(fd.fd(), data.payloadData(), media::UploadBlock::kMaxPayload);
        if (n < 0) {
            // The receiver cannot be told to drop what it has: end the stream, report failure.
            prompter_.showMessage(file_.string() + ": " + std::strerror(errno),
                                  shell::PromptIcon::Error);
            readFailed = true;
            break;
        }
        if (n == 0)
            break;
        data.setLength(static_cast<std::size_t>(n));
        if (!l.Send(data.bytes().data(), data.bytes().size(), kChannel))
            return media::kTransferFailed;
        offset += static_cast<std::uint64_t>(n);
        progress.advance(offset / media::UploadBlock::kMaxPayload);
    }
    progress.end();
    data.setLength(0);
    if (!l.Send(data.bytes().data(), data.bytes().size(), kChannel) ||
        !l.ReadReply(reply, kChannel))
        return media::kTransferFailed;
    return !readFailed && reply.field1() != link::ReplyRecord::kFailed ? media::kTransferDone
                                                                       : media::kTransferFailed;
}

}  // namespace velkport::upgrade
