#include "tools/receiver-sim/CorvidletService.h"

#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

#include <cstring>
#include <iostream>
#include <sstream>
#include <vector>

#include "common/ByteOrder.h"
#include "common/FileDescriptor.h"

namespace receiversim {

namespace {

constexpr std::size_t kMessage = 1024;

// Text of a field up to its first zero byte.
std::string field(const std::uint8_t* m, std::size_t offset, std::size_t size) {
    const auto* p = reinterpret_cast<const char*>(m + offset);
    return std::string(p, ::strnlen(p, size));
}

bool writeAtomically(const std::filesystem::path& file, const std::string& bytes) {
    const std::filesystem::path temp = file.string() + ".part";
    common::FileDescriptor fd(::open(temp.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644));
    std::size_t done = 0;
    while (fd.valid() && done < bytes.size()) {
        const ssize_t n = ::write(fd.fd(), bytes.data() + done, bytes.size() - done);
        if (n <= 0)
            return false;
        done += static_cast<std::size_t>(n);
    }
    return fd.valid() && fd.close() && ::rename(temp.c_str(), file.c_str()) == 0;
}

}  // namespace

CorvidletService::CorvidletService(std::filesystem::path root, std::string address,
                                   std::chrono::milliseconds timeLimit)
    : root_(std::move(root)), address_(std::move(address)), timeLimit_(timeLimit) {}

CorvidletService::~CorvidletService() {
    stop();
}

bool CorvidletService::start(std::uint16_t port, std::string* error) {
    std::string why;
    listener_ = common::Socket::listenTcp(address_, port, 5, &why);
    if (!listener_.valid()) {
        if (error != nullptr)
            *error = "corvidlet port: " + why;
        return false;
    }
    std::error_code ec;
    std::filesystem::create_directories(folder(), ec);
    stopping_ = false;
    thread_ = std::thread([this] { run(); });
    return true;
}

void CorvidletService::stop() {
    stopping_ = true;
    if (thread_.joinable())
        thread_.join();
    if (inputThread_.joinable())
        inputThread_.join();
    listener_.close();
}

void CorvidletService::startControlInput(int fd, std::string corvid) {
    inputThread_ =
        std::thread([this, fd, corvid = std::move(corvid)] { readControlLines(fd, corvid); });
}

void CorvidletService::readControlLines(int fd, const std::string& corvid) {
    std::string pending;
    while (!stopping_) {
        pollfd p{fd, POLLIN, 0};
        if (::poll(&p, 1, 200) <= 0)
            continue;
        char chunk[1024];
        const ssize_t n = ::read(fd, chunk, sizeof chunk);
        if (n <= 0)
            return;  // end of input: the receiver goes on without it
        pending.append(chunk, static_cast<std::size_t>(n));
        for (auto nl = pending.find('\n'); nl != std::string::npos; nl = pending.find('\n')) {
            const std::string line = pending.substr(0, nl);
            pending.erase(0, nl + 1);
            if (line.find_first_not_of(" \t\r") == std::string::npos)
                continue;
            std::string error;
            if (corvid.empty())
                std::cerr << "receiver-sim: no Corvid to send to (give --corvid ADDR:PORT)\n";
            else if (SendControl(corvid, line, &error))
                std::cerr << "receiver-sim: sent " << line << "\n";
            else
                std::cerr << "receiver-sim: " << error << "\n";
        }
    }
}

int CorvidletService::sessionCount() const {
    std::lock_guard lock(mutex_);
    return sessions_;
}

bool CorvidletService::waitForSessions(int n, std::chrono::milliseconds timeout) const {
    std::unique_lock lock(mutex_);
    return stored_.wait_for(lock, timeout, [&] { return sessions_ >= n; });
}

void CorvidletService::run() {
    while (!stopping_) {
        common::Socket peer = listener_.accept(std::chrono::milliseconds(200));
        if (peer.valid())
            serve(peer);
    }
}

// Corvid sends and closes; nothing is answered. What arrives until the close (or until the
// peer stalls) is one session.
void CorvidletService::serve(const common::Socket& peer) {
    std::string raw;
    char chunk[4096];
    for (;;) {
        const ssize_t n = peer.receiveSome(chunk, sizeof chunk, timeLimit_);
        if (n <= 0)
            break;
        raw.append(chunk, static_cast<std::size_t>(n));
        if (raw.size() > 256 * kMessage)
            break;  // far more than 256 shares
    }
    std::string summary;
    std::size_t at = 0;
    for (; at + kMessage <= raw.size(); at += kMessage)
        summary += Describe(reinterpret_cast<const std::uint8_t*>(raw.data() + at)) + "\n";
    if (at < raw.size())
        summary += "incomplete message of " + std::to_string(raw.size() - at) + " bytes\n";
    std::lock_guard lock(mutex_);
    const std::string name = "session-" + std::to_string(sessions_ + 1);
    writeAtomically(folder() / (name + ".bin"), raw);
    writeAtomically(folder() / (name + ".txt"), summary);
    ++sessions_;
    stored_.notify_all();
}

std::string CorvidletService::Describe(const std::uint8_t* m) {
    if (std::memcmp(m, "VELK", 4) != 0)
        return "no magic";
    const std::uint32_t command = common::loadLe32(m + 4);
    switch (command) {
        case 16:
            return "ShareEntry user=" + field(m, 8, 20) + " key=" + field(m, 28, 32) +
                   " pass=" + field(m, 60, 256) + " host=" + field(m, 316, 256) +
                   " ip=" + field(m, 572, 15) + " share=" + field(m, 587, 12) +
                   " kind=" + field(m, 599, kMessage - 599);
        case 18:
            return "HostName host=" + field(m, 8, 256);
        case 24:
            return "DropConfiguration";
        case 25:
            return "EndOfConfiguration";
        default:
            return "unknown command " + std::to_string(command);
    }
}

bool CorvidletService::SendControl(const std::string& corvid, std::string_view line,
                                   std::string* error) {
    auto fail = [&](const std::string& why) {
        if (error != nullptr)
            *error = why;
        return false;
    };
    std::istringstream in{std::string(line)};
    std::string word, verb;
    in >> word >> verb;
    std::uint32_t command = 0;
    std::string destination, location;
    if (word != "control")
        return fail("not a control line");
    if (verb == "play" && (in >> destination)) {
        command = 1;
        std::getline(in >> std::ws, location);
    } else if ((verb == "key" || verb == "raw") && (in >> command)) {
    } else if (verb == "stop") {
        command = 9;
    } else {
        return fail("usage: control play DEST LOCATION | control key N | control stop");
    }
    const auto colon = corvid.rfind(':');
    if (colon == std::string::npos)
        return fail("--corvid wants ADDR:PORT");
    const int port = std::atoi(corvid.c_str() + colon + 1);
    if (port <= 0 || port > 65535)
        return fail("--corvid wants ADDR:PORT");
    // Length with the header, command, 16 bytes of destination, then the location (big-endian).
    std::vector<std::uint8_t> request(24 + location.size(), 0);
    common::storeBe32(request.data(), static_cast<std::uint32_t>(request.size()));
    common::storeBe32(request.data() + 4, command);
    std::memcpy(request.data() + 8, destination.data(),
                std::min<std::size_t>(16, destination.size()));
    std::memcpy(request.data() + 24, location.data(), location.size());
    std::string why;
    const auto timeout = std::chrono::seconds(5);
    common::Socket s = common::Socket::connectTcp(corvid.substr(0, colon),
                                                  static_cast<std::uint16_t>(port), timeout, &why);
    if (!s.valid())
        return fail("no connection to Corvid: " + why);
    if (!s.sendAll(request.data(), request.size(), timeout))
        return fail("the request could not be sent");
    return true;
}

}  // namespace receiversim
