#pragma once
// Installing a game or plug-in image on the receiver over command channel 4: the header goes
// first (command 0x40, bytes 6-477 of it in a 1024-byte block) and the receiver answers whether
// it takes the package and how much room it has; then the contents from byte 478 on follow in
// upload blocks (command 0x42), closed by an empty block.
//
// The receiver's answer (256 bytes, big-endian): acknowledgement (65), P, Q, refusal. P and Q
// are the used and total space of the receiver's disk in kilobytes, so Q - P is what is free; a
// package whose installed size does not fit is refused before anything of it is sent.

#include <array>
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <span>

#include "velkport/media/TransferResult.h"
#include "velkport/shell/base/Progress.h"
#include "velkport/upgrade/GameHeader.h"

namespace velkport::link {
class ChannelTable;
}
namespace velkport::shell {
class Prompter;
}

namespace velkport::upgrade {

class GameInstaller {
  public:
    static constexpr std::uint32_t kAcknowledge = 65;

    struct Answer {
        static constexpr std::size_t kSize = 256;
        std::uint32_t acknowledge = 0, p = 0, q = 0, refusal = 0;
        std::array<std::uint8_t, kSize> Build() const;
        static bool Parse(std::span<const std::uint8_t> bytes, Answer& out);
        // True when size bytes fit into the free kilobytes Q - P.
        bool Fits(std::uint32_t size) const;
    };

    enum class Choice { Accepted, Ignored, NotOpened, SignatureFail };

    GameInstaller(link::ChannelTable& table, shell::Prompter& prompter);

    // A file picked in the window: a ".tar.gz" (any letter case) is not read and clears the
    // accepted flag; a file without the "VKGame" signature shows "Signature fail" and leaves
    // the flag as it was; otherwise the header is kept and the flag set.
    Choice ChooseFile(const std::filesystem::path& file);
    bool accepted() const { return accepted_; }
    const GameHeader& header() const { return header_; }
    const std::filesystem::path& file() const { return file_; }

    // Start: the whole install on the calling thread; nothing happens unless a file was
    // accepted. kTransferDone or kTransferFailed (the reason already shown).
    int Install(shell::Progress& progress);

  private:
    void say(int message);

    link::ChannelTable& table_;
    shell::Prompter& prompter_;
    std::filesystem::path file_;
    GameHeader header_;
    bool accepted_ = false;
};

}  // namespace velkport::upgrade
