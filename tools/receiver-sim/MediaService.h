#pragma once
// The emulated receiver's MP3 and JPEG areas: the folder and file commands of channels 2 and 3
// on the trees under ROOT/mp3/ and ROOT/jpeg/. Folder paths arrive as "Top\A\B\" (the root is
// "Top\" or mode 0); names are relative to the connection's current folder. A listing gives
// each MP3 file its length in seconds as at 128 kbit/s and each picture its modification time
// ("YYYY:MM:DD hh:mm:ss"); a thumbnail is the picture's EXIF thumbnail or a scaled copy.
//
// Disk usage: a disk of SimOptions::diskSizeMiB minus everything stored under ROOT. An upload
// that does not fit is refused (the partial file is removed). Failures answer reply field 1 =
// 0xFFFFFFFF.

#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>

namespace receiversim {

class ReceiverSim;
class CommandSession;
class DiskSpace;

class MediaService {
  public:
    MediaService(std::filesystem::path root, std::shared_ptr<DiskSpace> disk);

    // Registers the commands of channels 2 and 3 and the disk-usage answers 0x31 / 0x32.
    static void Register(ReceiverSim& sim, std::shared_ptr<DiskSpace> disk);

    void handle(CommandSession& s, std::uint8_t code, std::uint32_t value);

  private:
    std::filesystem::path area(const CommandSession& s) const;
    std::filesystem::path current(CommandSession& s) const;
    std::optional<std::filesystem::path> named(CommandSession& s, const std::string& name) const;
    bool receiveBlock(CommandSession& s, std::size_t size, std::string& text, std::uint8_t* flag);
    void setFolder(CommandSession& s);
    void list(CommandSession& s);
    void createFolder(CommandSession& s);
    void fileSize(CommandSession& s);
    void nextBlock(CommandSession& s);
    void upload(CommandSession& s);
    void rename(CommandSession& s);
    void remove(CommandSession& s);
    void tree(CommandSession& s);
    void thumbnail(CommandSession& s);
    void diskUsage(CommandSession& s);

    std::filesystem::path root_;
    std::shared_ptr<DiskSpace> disk_;
};

}  // namespace receiversim
