#include "velkport/link/ChannelTable.h"

#include <cerrno>
#include <cstring>

#include "velkport/link/ReceiverAddress.h"
#include "velkport/shell/base/MessageCatalogue.h"
#include "velkport/shell/base/Prompter.h"

namespace velkport::link {

namespace {
constexpr int kReceiveErrorMessage = 160;  // "Receive error"
}  // namespace

ChannelTable::ChannelTable() = default;

ChannelTable::~ChannelTable() {
    for (auto& slot : slots_) {
        std::lock_guard<std::mutex> g(slot.lock);
        slot.socket.close();
    }
}

ChannelTable& ChannelTable::process() {
    static ChannelTable table;
    return table;
}

bool ChannelTable::InitialiseChannels(const std::string& address, std::uint16_t portBase) {
    {
        std::lock_guard<std::mutex> g(addressLock_);
        address_ = address.substr(0, kAddressLength);
        portBase_ = portBase;
    }
    for (int ch = kFirstChannel; ch <= kLastChannel; ++ch) {
        Slot& slot = slots_[static_cast<std::size_t>(ch)];
        std::lock_guard<std::mutex> g(slot.lock);
        slot.socket.close();
        slot.state = kClosed;
    }
    return true;
}

std::string ChannelTable::address() const {
    std::lock_guard<std::mutex> g(addressLock_);
    return address_;
}

std::string ChannelTable::LastConnectError() const {
    std::lock_guard<std::mutex> g(addressLock_);
    return connectError_;
}

bool ChannelTable::openLocked(Slot& slot, std::uint8_t ch) {
    slot.socket.close();
    if (!IsChannel(ch)) {
        slot.state = kBroken;
        return false;
    }
    const std::string host = address();
    // Only a dotted address is accepted: a name would mean a lookup that may take long.
    if (!ReceiverAddress::IsValid(host)) {
        slot.state = kConnectFailed;
        return false;
    }
    std::string error;
    slot.socket = common::Socket::connectTcp(host, ChannelPort(ch), timeLimit(), &error);
    if (!slot.socket.valid()) {
        slot.state = kConnectFailed;
        std::lock_guard<std::mutex> g(addressLock_);
        connectError_ = "cannot reach the receiver at " + host + " port " +
                        std::to_string(ChannelPort(ch)) + ": " + error;
        return false;
    }
    slot.state = kOpen;
    return true;
}

bool ChannelTable::OpenChannel(std::uint8_t ch) {
    if (ch >= kSlotCount)
        return false;
    Slot& slot = slots_[ch];
    std::lock_guard<std::mutex> g(slot.lock);
    return openLocked(slot, ch);
}

bool ChannelTable::CloseChannel(std::uint8_t ch) {
    if (ch >= kSlotCount)
        return true;
    Slot& slot = slots_[ch];
    std::lock_guard<std::mutex> g(slot.lock);
    slot.socket.close();
    slot.state = kClosed;
    return true;
}

void ChannelTable::ShutdownChannels() {
    // Every connection of slots 0-5 is closed, also one left behind by a failed send.
    for (int ch = kFirstChannel; ch <= kLastChannel; ++ch)
        CloseChannel(static_cast<std::uint8_t>(ch));
}

int ChannelTable::ChannelState(std::uint8_t ch) const {
    if (ch >= kSlotCount)
        return kBroken;
    return slots_[ch].state;
}

bool ChannelTable::EnsureOpen(std::uint8_t ch) {
    if (!IsChannel(ch))
        return false;
    Slot& slot = slots_[ch];
    std::lock_guard<std::mutex> g(slot.lock);
    if (slot.state == kOpen)
        return true;
    return openLocked(slot, ch);
}

bool ChannelTable::SendOnChannel(const void* buffer, std::size_t length, std::uint8_t ch) {
    if (!IsChannel(ch))
        return false;
    Slot& slot = slots_[ch];
    std::lock_guard<std::mutex> g(slot.lock);
    if (slot.state != kOpen)
        return false;
    if (length == 0 || !slot.socket.sendAll(buffer, length, timeLimit()))
        slot.state = kBroken;
    return true;
}

bool ChannelTable::ReceiveExactly(void* buffer, std::size_t length, std::size_t& received,
                                  std::uint8_t ch, shell::Prompter* prompter) {
    received = 0;
    if (!IsChannel(ch))
        return false;
    int error = 0;
    {
        Slot& slot = slots_[ch];
        std::lock_guard<std::mutex> g(slot.lock);
        if (slot.state != kOpen)
            return false;
        std::memset(buffer, 0, length);
        if (length == 0) {
            error = EINVAL;
        } else if (!slot.socket.receiveExactly(buffer, length, timeLimit(), &received)) {
            error = errno != 0 ? errno : EIO;
            slot.state = kBroken;
        }
    }
    if (error == 0)
        return true;
    report(error, prompter);
    return false;
}

void ChannelTable::MarkBroken(std::uint8_t ch, int errorNumber, shell::Prompter* prompter) {
    if (ch < kSlotCount) {
        Slot& slot = slots_[ch];
        std::lock_guard<std::mutex> g(slot.lock);
        slot.state = kBroken;
    }
    report(errorNumber, prompter);
}

std::string ChannelTable::ReceiveErrorText(int errorNumber) {
    return shell::Msg(kReceiveErrorMessage) + " (" + std::to_string(errorNumber) + ")";
}

void ChannelTable::report(int errorNumber, shell::Prompter* prompter) const {
    shell::Prompter* p = prompter ? prompter : prompter_.load();
    if (p)
        p->showMessage(ReceiveErrorText(errorNumber), shell::PromptIcon::Error);
}

}  // namespace velkport::link
