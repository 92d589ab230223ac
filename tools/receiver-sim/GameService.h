#pragma once
// The emulated receiver's game / plug-in installs on channel 4: the install query (0x40) judges
// the header and answers acknowledgement 65, the used and total kilobytes of the disk and a
// refusal flag (set with SimOptions::refuseGames); the transfer (0x42) stores the package under
// ROOT/games/ as "<game name>.img" (header and contents), written under a temporary name and
// renamed when the closing block arrives. A package larger than the free space is refused.

#include <cstdint>
#include <filesystem>
#include <memory>

namespace receiversim {

class ReceiverSim;
class CommandSession;
class DiskSpace;

class GameService {
  public:
    GameService(std::filesystem::path root, std::shared_ptr<DiskSpace> disk, bool refuse);
    static void Register(ReceiverSim& sim, std::shared_ptr<DiskSpace> disk, bool refuse);

    void query(CommandSession& s);
    void transfer(CommandSession& s);

  private:
    std::filesystem::path root_;
    std::shared_ptr<DiskSpace> disk_;
    bool refuse_;
};

}  // namespace receiversim
