#include "tools/receiver-sim/ReceiverSim.h"

#include <poll.h>
#include <array>
#include <atomic>
#include <cerrno>
#include <condition_variable>
#include <list>
#include <mutex>
#include <thread>
#include <utility>

#include "common/Socket.h"
#include "tools/receiver-sim/DiskSpace.h"
#include "tools/receiver-sim/FtpServer.h"
#include "tools/receiver-sim/GameService.h"
#include "tools/receiver-sim/MediaService.h"
#include "tools/receiver-sim/RecordingsService.h"
#include "tools/receiver-sim/SimPaths.h"
#include "velkport/link/CommandCodes.h"
#include "velkport/link/CommandHeader.h"
#include "velkport/link/ReplyRecord.h"

namespace receiversim {

using namespace std::chrono_literals;
using velkport::link::CommandHeader;
using velkport::link::ReplyRecord;

namespace {

constexpr int kChannels = 6;
constexpr auto kTick = 100ms;  // how often blocked threads look at the stop flag
constexpr int kPortSearchAttempts = 200;

}  // namespace

std::optional<std::filesystem::path> CommandSession::resolve(std::string_view clientPath) const {
    return ResolveUnderRoot(root(), clientPath);
}

struct ReceiverSim::Impl {
    struct Connection {
        common::Socket socket;
        std::thread thread;
        std::atomic<bool> done{false};
    };

    explicit Impl(SimOptions o) : options(std::move(o)) {}

    SimOptions options;
    std::unique_ptr<FtpServer> ftp;
    std::array<common::Socket, kChannels> listeners;
    std::uint16_t portBase = 0;
    std::atomic<bool> stopping{false};
    bool running = false;
    std::thread acceptThread;

    mutable std::mutex mutex;  // guards handlers, busy, connections
    std::map<std::pair<int, std::uint8_t>, CommandHandler> handlers;
    std::set<int> busy;
    std::list<std::unique_ptr<Connection>> connections;
    std::atomic<int> accepted{0};
    mutable std::condition_variable acceptedChanged;

    bool listen(std::string* error);
    void acceptLoop();
    void reapFinished();
    void serve(Connection& c, int channel);
    CommandHandler find(int channel, std::uint8_t code) const;
};

namespace {

class Session : public CommandSession {
  public:
    Session(const std::filesystem::path& root, const std::atomic<bool>& stopping,
            std::chrono::milliseconds timeLimit, const common::Socket& socket, int channel)
        : root_(root),
          stopping_(stopping),
          timeLimit_(timeLimit),
          socket_(socket),
          channel_(channel) {}

    int channel() const override { return channel_; }
    const std::filesystem::path& root() const override { return root_; }

    bool receive(std::uint8_t* data, std::size_t n) override {
        // Waits in short ticks so that a stop is noticed; a client silent for the whole time
        // limit has stalled.
        std::size_t got = 0;
        auto lastProgress = std::chrono::steady_clock::now();
        while (got < n) {
            if (dropped_ || stopping_)
                return false;
            ssize_t r = socket_.receiveSome(data + got, n - got, kTick);
            if (r > 0) {
                got += static_cast<std::size_t>(r);
                lastProgress = std::chrono::steady_clock::now();
            } else if (r == 0 || errno != ETIMEDOUT) {
                return false;
            } else if (std::chrono::steady_clock::now() - lastProgress > timeLimit_) {
                return false;
            }
        }
        return true;
    }

    bool send(const std::uint8_t* data, std::size_t n) override {
        if (dropped_ || stopping_)
            return false;
        return socket_.sendAll(data, n, timeLimit_);
    }

    bool sendReply(std::uint32_t field1, std::uint32_t field2, std::uint32_t field3) override {
        const auto r = ReplyRecord::Build(field1, field2, field3);
        return send(r.data(), r.size());
    }

    void drop() override {
        dropped_ = true;
        socket_.shutdownBoth();
    }

    bool dropped() const { return dropped_; }

    // Waits for the first byte of the next header without a time limit (a client may keep a
    // channel open and idle for long); false when the client left or the sim stops.
    bool waitForRequest() {
        while (!dropped_ && !stopping_) {
            if (common::waitReadable(socket_.fd(), kTick))
                return true;
            if (errno != ETIMEDOUT)
                return false;
        }
        return false;
    }

    // Throws away what the client has already sent (the rest of a record we could not read).
    void discardPending() {
        std::uint8_t sink[4096];
        while (common::waitReadable(socket_.fd(), std::chrono::milliseconds(0)))
            if (socket_.receiveSome(sink, sizeof sink, std::chrono::milliseconds(0)) <= 0)
                return;
    }

  private:
    const std::filesystem::path& root_;
    const std::atomic<bool>& stopping_;
    std::chrono::milliseconds timeLimit_;
    const common::Socket& socket_;
    int channel_;
    bool dropped_ = false;
};

}  // namespace

bool ReceiverSim::Impl::listen(std::string* error) {
    const std::string& address = options.address;
    auto fail = [&](const std::string& what) {
        for (auto& l : listeners)
            l.close();
        if (error)
            *error = what;
        return false;
    };
    if (options.portBase != 0) {
        if (options.portBase > 65535 - (kChannels - 1))
            return fail("port base too high");
        for (int ch = 0; ch < kChannels; ++ch) {
            std::string why;
            listeners[ch] = common::Socket::listenTcp(
                address, static_cast<std::uint16_t>(options.portBase + ch), 16, &why);
            if (!listeners[ch].valid())
                return fail("channel " + std::to_string(ch) + ": " + why);
        }
        portBase = options.portBase;
        return true;
    }
    // A run of six free ports: take a free port from the system and try the five after it.
    for (int attempt = 0; attempt < kPortSearchAttempts; ++attempt) {
        std::string why;
        listeners[0] = common::Socket::listenTcp(address, 0, 16, &why);
        if (!listeners[0].valid())
            return fail(why);
        const std::uint16_t base = listeners[0].localPort();
        bool ok = base <= 65535 - (kChannels - 1);
        for (int ch = 1; ok && ch < kChannels; ++ch) {
            listeners[ch] =
                common::Socket::listenTcp(address, static_cast<std::uint16_t>(base + ch), 16);
            ok = listeners[ch].valid();
        }
        if (ok) {
            portBase = base;
            return true;
        }
        for (auto& l : listeners)
            l.close();
    }
    return fail("no run of six free ports found");
}

void ReceiverSim::Impl::reapFinished() {
    std::list<std::unique_ptr<Connection>> finished;
    {
        std::lock_guard<std::mutex> g(mutex);
        for (auto it = connections.begin(); it != connections.end();) {
            if ((*it)->done) {
                finished.push_back(std::move(*it));
                it = connections.erase(it);
            } else {
                ++it;
            }
        }
    }
    for (auto& c : finished)
        c->thread.join();
}

void ReceiverSim::Impl::acceptLoop() {
    std::array<pollfd, kChannels> fds{};
    for (int ch = 0; ch < kChannels; ++ch)
        fds[ch] = pollfd{listeners[ch].fd(), POLLIN, 0};
    while (!stopping) {
        for (auto& p : fds)
            p.revents = 0;
        const int r = ::poll(fds.data(), fds.size(), static_cast<int>(kTick.count()));
        reapFinished();
        if (r <= 0)
            continue;
        for (int ch = 0; ch < kChannels; ++ch) {
            if (!(fds[ch].revents & POLLIN))
                continue;
            common::Socket s = listeners[ch].accept(0ms);
            if (!s.valid())
                continue;
            auto c = std::make_unique<Connection>();
            c->socket = std::move(s);
            Connection& ref = *c;
            std::lock_guard<std::mutex> g(mutex);
            if (stopping)
                break;
            connections.push_back(std::move(c));
            ++accepted;
            ref.thread = std::thread([this, &ref, ch] {
                serve(ref, ch);
                ref.done = true;
            });
            acceptedChanged.notify_all();
        }
    }
}

CommandHandler ReceiverSim::Impl::find(int channel, std::uint8_t code) const {
    std::lock_guard<std::mutex> g(mutex);
    auto it = handlers.find({channel, code});
    if (it == handlers.end())
        it = handlers.find({-1, code});
    return it == handlers.end() ? CommandHandler() : it->second;
}

void ReceiverSim::Impl::serve(Connection& c, int channel) {
    Session session(options.root, stopping, options.timeLimit, c.socket, channel);
    std::array<std::uint8_t, CommandHeader::kSize> raw{};
    while (session.waitForRequest()) {
        if (!session.receive(raw.data(), raw.size()))
            break;
        CommandHeader header;
        if (!CommandHeader::Parse(raw, header)) {
            // Not a header: most likely the argument blocks of a command we did not know.
            session.discardPending();
            continue;
        }
        CommandHandler handler = find(channel, header.code());
        if (!handler) {
            if (!session.sendReply(ReplyRecord::kFailed, 0, 0))
                break;
            continue;
        }
        try {
            handler(session, header.code(), header.value());
        } catch (...) {
            break;  // a failing handler costs the connection, not the process
        }
        if (session.dropped())
            break;
    }
    c.socket.shutdownBoth();
}

ReceiverSim::ReceiverSim(SimOptions options) : impl_(std::make_unique<Impl>(std::move(options))) {
    impl_->busy = impl_->options.busyChannels;
    // The in-use query: field 3 all ones while the channel's function is busy.
    registerCommand(velkport::link::cmd::kInUse,
                    [this](CommandSession& s, std::uint8_t, std::uint32_t) {
                        s.sendReply(0, 0, isBusy(s.channel()) ? ReplyRecord::kBusy : 0);
                    });
    RecordingsService::Register(*this);  // the recordings commands of channel 5
    // The MP3 and JPEG areas (channels 2, 3) and game installs (channel 4) share one disk.
    auto disk = std::make_shared<DiskSpace>(impl_->options.root, impl_->options.diskSizeMiB);
    MediaService::Register(*this, disk);
    GameService::Register(*this, disk, impl_->options.refuseGames);
}

ReceiverSim::~ReceiverSim() {
    stop();
}

bool ReceiverSim::start(std::string* error) {
    if (impl_->running)
        return true;
    std::error_code ec;
    if (!std::filesystem::is_directory(impl_->options.root, ec)) {
        if (error)
            *error = "no such folder: " + impl_->options.root.string();
        return false;
    }
    FtpServerOptions ftpOptions;
    ftpOptions.root = impl_->options.root;
    ftpOptions.address = impl_->options.address;
    ftpOptions.port = impl_->options.ftpPort;
    ftpOptions.user = impl_->options.user;
    ftpOptions.pin = impl_->options.pin;
    impl_->ftp = std::make_unique<FtpServer>(ftpOptions);
    std::string why;
    if (!impl_->ftp->start(&why)) {
        impl_->ftp.reset();
        if (error)
            *error = "FTP: " + why;
        return false;
    }
    if (!impl_->listen(error)) {
        impl_->ftp->stop();
        impl_->ftp.reset();
        return false;
    }
    impl_->stopping = false;
    impl_->running = true;
    impl_->acceptThread = std::thread([this] { impl_->acceptLoop(); });
    return true;
}

void ReceiverSim::stop() {
    if (!impl_->running)
        return;
    impl_->stopping = true;
    if (impl_->acceptThread.joinable())
        impl_->acceptThread.join();
    std::list<std::unique_ptr<Impl::Connection>> all;
    {
        std::lock_guard<std::mutex> g(impl_->mutex);
        all.swap(impl_->connections);
    }
    for (auto& c : all)
        c->socket.shutdownBoth();  // wakes a thread blocked on its connection at once
    for (auto& c : all)
        c->thread.join();
    for (auto& l : impl_->listeners)
        l.close();
    if (impl_->ftp)
        impl_->ftp->stop();
    impl_->ftp.reset();
    impl_->running = false;
}

const std::string& ReceiverSim::address() const {
    return impl_->options.address;
}

const std::filesystem::path& ReceiverSim::root() const {
    return impl_->options.root;
}

std::uint16_t ReceiverSim::ftpPort() const {
    return impl_->ftp ? impl_->ftp->port() : impl_->options.ftpPort;
}

std::uint16_t ReceiverSim::portBase() const {
    return impl_->running ? impl_->portBase : impl_->options.portBase;
}

void ReceiverSim::setBusy(int channel, bool busy) {
    std::lock_guard<std::mutex> g(impl_->mutex);
    if (busy)
        impl_->busy.insert(channel);
    else
        impl_->busy.erase(channel);
}

bool ReceiverSim::isBusy(int channel) const {
    std::lock_guard<std::mutex> g(impl_->mutex);
    return impl_->busy.count(channel) != 0;
}

void ReceiverSim::registerCommand(std::uint8_t code, CommandHandler handler, int channel) {
    std::lock_guard<std::mutex> g(impl_->mutex);
    impl_->handlers[{channel, code}] = std::move(handler);
}

int ReceiverSim::connectionCount() const {
    return impl_->accepted;
}

bool ReceiverSim::waitForConnections(int n, std::chrono::milliseconds timeout) const {
    std::unique_lock<std::mutex> g(impl_->mutex);
    return impl_->acceptedChanged.wait_for(g, timeout, [&] { return impl_->accepted >= n; });
}

}  // namespace receiversim
