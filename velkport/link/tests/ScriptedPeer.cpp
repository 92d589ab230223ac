#include "ScriptedPeer.h"

#include <cerrno>

namespace fixtures {

using namespace std::chrono_literals;

namespace {
constexpr auto kTick = 20ms;       // how often a waiting step looks at the stop flag
constexpr auto kIoLimit = 5000ms;  // no step waits longer for the client
}  // namespace

ScriptedPeer::ScriptedPeer() {
    listener_ = common::Socket::listenTcp("127.0.0.1", 0);
    port_ = listener_.localPort();
}

ScriptedPeer::~ScriptedPeer() {
    {
        std::lock_guard<std::mutex> g(mutex_);
        stop_ = true;
    }
    changed_.notify_all();
    if (thread_.joinable())
        thread_.join();
}

ScriptedPeer& ScriptedPeer::send(Bytes bytes) {
    scripts_.back().push_back({Step::Send, std::move(bytes)});
    return *this;
}
ScriptedPeer& ScriptedPeer::pause(std::chrono::milliseconds gap) {
    scripts_.back().push_back({Step::Pause, {}, 0, gap});
    return *this;
}
ScriptedPeer& ScriptedPeer::expect(std::size_t n) {
    scripts_.back().push_back({Step::Expect, {}, n});
    return *this;
}
ScriptedPeer& ScriptedPeer::stall() {
    scripts_.back().push_back({Step::Stall});
    return *this;
}
ScriptedPeer& ScriptedPeer::sendForever(Bytes record) {
    scripts_.back().push_back({Step::SendForever, std::move(record)});
    return *this;
}
ScriptedPeer& ScriptedPeer::close() {
    scripts_.back().push_back({Step::Close});
    return *this;
}
ScriptedPeer& ScriptedPeer::nextConnection() {
    scripts_.emplace_back();
    return *this;
}

void ScriptedPeer::start() {
    thread_ = std::thread([this] { run(); });
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

void ScriptedPeer::run() {
    // Connections beyond the scripts are accepted and held silently, like a stalled peer.
    std::vector<common::Socket> extra;
    std::size_t i = 0;
    while (!stopping()) {
        common::Socket s = listener_.accept(kTick);
        if (!s.valid())
            continue;
        {
            std::lock_guard<std::mutex> g(mutex_);
            ++accepted_;
            received_.emplace_back();
        }
        changed_.notify_all();
        const bool scripted = i < scripts_.size();
        const bool holdOpen = scripted && play(s, scripts_[i], static_cast<int>(i));
        {
            std::lock_guard<std::mutex> g(mutex_);
            ++finished_;
        }
        changed_.notify_all();
        if (holdOpen)
            drainUntilClosed(s);
        else if (!scripted)
            extra.push_back(std::move(s));
        ++i;
    }
}

bool ScriptedPeer::play(const common::Socket& s, const std::vector<Step>& script, int index) {
    for (const Step& step : script) {
        switch (step.kind) {
            case Step::Send:
                if (!s.sendAll(step.bytes.data(), step.bytes.size(), kIoLimit))
                    return false;
                break;
            case Step::Pause: {
                std::unique_lock<std::mutex> g(mutex_);
                changed_.wait_for(g, step.gap, [&] { return stop_; });
                break;
            }
            case Step::Expect: {
                Bytes buf(step.count);
                std::size_t got = 0;
                while (got < step.count && !stopping()) {
                    ssize_t n = s.receiveSome(buf.data() + got, step.count - got, kTick);
                    if (n == 0)
                        break;
                    if (n > 0)
                        got += static_cast<std::size_t>(n);
                    else if (errno != ETIMEDOUT)
                        break;
                }
                std::lock_guard<std::mutex> g(mutex_);
                auto& r = received_[static_cast<std::size_t>(index)];
                r.insert(r.end(), buf.begin(), buf.begin() + static_cast<std::ptrdiff_t>(got));
                if (got < step.count)
                    return false;
                break;
            }
            case Step::Stall:
                drainUntilClosed(s);
                return false;
            case Step::SendForever:
                while (!stopping())
                    if (!s.sendAll(step.bytes.data(), step.bytes.size(), kTick * 5))
                        if (errno != ETIMEDOUT)
                            return false;
                return false;
            case Step::Close:
                return false;
        }
    }
    // A script without Close keeps the connection until the client closes it.
    return true;
}

void ScriptedPeer::drainUntilClosed(const common::Socket& s) {
    std::uint8_t sink[4096];
    while (!stopping()) {
        ssize_t n = s.receiveSome(sink, sizeof sink, kTick);
        if (n == 0 || (n < 0 && errno != ETIMEDOUT))
            return;
    }
}

}  // namespace fixtures
