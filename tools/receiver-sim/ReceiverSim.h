#pragma once
// The emulated receiver: its FTP server and its command channels 0-5, serving a folder of the
// PC as the receiver's disk. Tests start one in-process on free ports; the receiver-sim program
// runs one for demos. Later features add their commands to the dispatch table.

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <string_view>

namespace receiversim {

struct SimOptions {
    std::filesystem::path root;  // the receiver's disk; the FTP root is root itself
    std::string address = "127.0.0.1";
    std::uint16_t ftpPort = 0;   // 0: a free port
    std::uint16_t portBase = 0;  // channel n listens on portBase + n; 0: a free run of six ports
    std::string user = "root";
    std::string pin = "0000";
    std::set<int> busyChannels;  // channels whose in-use query (0xFD) answers busy
    // A client that stops sending in the middle of a record is dropped after this long.
    std::chrono::milliseconds timeLimit{30000};
    // The disk of the MP3 / JPEG areas and game installs; what is stored under root is used.
    std::uint64_t diskSizeMiB = 250000;
    bool refuseGames = false;  // the game install query answers with a refusal
};

// One client connection on one command channel, as a command handler sees it.
class CommandSession {
  public:
    virtual ~CommandSession() = default;
    virtual int channel() const = 0;
    virtual const std::filesystem::path& root() const = 0;
    // Exactly n bytes from the client; false when it closed or stalled.
    virtual bool receive(std::uint8_t* data, std::size_t n) = 0;
    virtual bool send(const std::uint8_t* data, std::size_t n) = 0;
    // The 64-byte reply record: "velk" and the three big-endian fields.
    virtual bool sendReply(std::uint32_t field1, std::uint32_t field2, std::uint32_t field3) = 0;
    // Drops the connection at once (a receiver that dies mid-request).
    virtual void drop() = 0;
    // What handlers keep between the commands of one connection (for example a current folder).
    std::map<std::string, std::string> state;

    // The file or folder under root() that a client's path names ("/" and "\\" both separate
    // names); nothing when the path would leave the root.
    std::optional<std::filesystem::path> resolve(std::string_view clientPath) const;
};

// Handles one command after its 32-byte header arrived: reads its argument blocks, sends its
// records and ends with sendReply.
using CommandHandler =
    std::function<void(CommandSession& session, std::uint8_t code, std::uint32_t value)>;

class ReceiverSim {
  public:
    explicit ReceiverSim(SimOptions options);
    ~ReceiverSim();
    ReceiverSim(const ReceiverSim&) = delete;
    ReceiverSim& operator=(const ReceiverSim&) = delete;

    bool start(std::string* error = nullptr);
    void stop();  // closes every connection and joins every thread

    const std::string& address() const;
    const std::filesystem::path& root() const;
    std::uint16_t ftpPort() const;
    std::uint16_t portBase() const;

    void setBusy(int channel, bool busy);
    bool isBusy(int channel) const;
    // The handler of a command code on one channel, or on every channel (-1). A later
    // registration replaces an earlier one; unknown commands get a failure reply.
    void registerCommand(std::uint8_t code, CommandHandler handler, int channel = -1);

    // Connections accepted on the command channels since start (all channels together).
    int connectionCount() const;
    // Waits until at least n connections were accepted since start; false after the timeout.
    bool waitForConnections(int n, std::chrono::milliseconds timeout) const;

  private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};

}  // namespace receiversim
