#include "ScriptedPeer.h"

#include <cerrno>

namespace fixtures {

using namespace std::chrono_literals;

namespace {
constexpr auto kTick = 20ms;  // how often a waiting script looks at the stop flag
}  // namespace

ScriptedPeer::ScriptedPeer()
    : listener_(common::Socket::listenTcp("127.0.0.1", 0)), port_(listener_.localPort()) {}

ScriptedPeer::~ScriptedPeer() {
    {
        std::lock_guard<std::mutex> g(mutex_);
        stop_ = true;
    }
    changed_.notify_all();
    if (thread_.joinable())
        thread_.join();
}

void ScriptedPeer::start(std::vector<Script> scripts) {
    thread_ = std::thread([this, scripts = std::move(scripts)] { run(scripts); });
}

bool ScriptedPeer::stopping() const {
    std::lock_guard<std::mutex> g(mutex_);
    return stop_;
}

bool ScriptedPeer::waitForConnections(int n, std::chrono::milliseconds timeout) {
    std::unique_lock<std::mutex> g(mutex_);
    return changed_.wait_for(g, timeout, [&] { return accepted_ >= n; });
}

bool ScriptedPeer::waitForScriptEnd(int i, std::chrono::milliseconds timeout) {
    std::unique_lock<std::mutex> g(mutex_);
    return changed_.wait_for(g, timeout, [&] { return finished_ > i; });
}

int ScriptedPeer::connections() const {
    std::lock_guard<std::mutex> g(mutex_);
    return accepted_;
}

ScriptedPeer::Bytes ScriptedPeer::received(int connection) const {
    std::lock_guard<std::mutex> g(mutex_);
    if (connection < 0 || connection >= static_cast<int>(received_.size()))
        return {};
    return received_[static_cast<std::size_t>(connection)];
}

void ScriptedPeer::run(std::vector<Script> scripts) {
    std::vector<common::Socket> extra;
    for (std::size_t i = 0; !stopping();) {
        common::Socket s = listener_.accept(kTick);
        if (!s.valid())
            continue;
        {
            std::lock_guard<std::mutex> g(mutex_);
            ++accepted_;
            received_.emplace_back();
        }
        changed_.notify_all();
        if (i < scripts.size()) {
            Connection c(*this, std::move(s), static_cast<int>(i));
            scripts[i](c);
        } else {
            extra.push_back(std::move(s));
        }
        {
            std::lock_guard<std::mutex> g(mutex_);
            ++finished_;
        }
        changed_.notify_all();
        ++i;
    }
}

// Data already sent is read before the stop flag counts, so a script sees all the client sent.
ssize_t ScriptedPeer::Connection::receive(void* into, std::size_t n) {
    while (true) {
        const ssize_t got = socket_.receiveSome(into, n, kTick);
        if (got >= 0 || errno != ETIMEDOUT || peer_.stopping())
            return got >= 0 ? got : -1;
    }
}

void ScriptedPeer::Connection::pause(std::chrono::milliseconds gap) {
    std::unique_lock<std::mutex> g(peer_.mutex_);
    peer_.changed_.wait_for(g, gap, [&] { return peer_.stop_; });
}

bool ScriptedPeer::Connection::expect(std::size_t n) {
    Bytes buf(n);
    std::size_t got = 0;
    while (got < n) {
        const ssize_t r = receive(buf.data() + got, n - got);
        if (r <= 0)
            break;
        got += static_cast<std::size_t>(r);
    }
    std::lock_guard<std::mutex> g(peer_.mutex_);
    auto& kept = peer_.received_[static_cast<std::size_t>(index_)];
    kept.insert(kept.end(), buf.begin(), buf.begin() + static_cast<std::ptrdiff_t>(got));
    return got == n;
}

std::string ScriptedPeer::Connection::line() {
    std::string text;
    char c = 0;
    while (receive(&c, 1) == 1 && c != '\n')
        text += c;
    if (!text.empty() && text.back() == '\r')
        text.pop_back();
    return text;
}

void ScriptedPeer::Connection::stall() {
    std::uint8_t sink[4096];
    while (receive(sink, sizeof sink) > 0) {
    }
}

void ScriptedPeer::Connection::sendForever(const Bytes& record) {
    while (!peer_.stopping())
        if (!socket_.sendAll(record.data(), record.size(), kTick * 5) && errno != ETIMEDOUT)
            return;
}

}  // namespace fixtures
