#pragma once
// The command channels to the receiver: one TCP connection per channel number, on port
// port base + channel (34000 + channel on a real receiver). The table keeps the receiver address,
// the connection and the state of every slot:
//    0 open, 1 closed, -1 the socket was not created or its last send / receive failed,
//   -2 the connection attempt failed.
// Only channels 0-5 are ever opened; every send and receive on another number, or on a slot
// whose state is not 0, is refused at once without touching a socket.
//
// Every connect, send and receive has a time limit (30 s unless set otherwise): a receiver that
// stops answering fails the operation with a message instead of holding the thread.
//
// A failed receive shows the catalogue's "Receive error" text followed by the system error
// number in parentheses, e.g. "Receive error (110)" for a receiver that stopped answering and
// "Receive error (104)" for one that closed the connection.
//
// One table serves the whole program (process()); tests make their own. A slot is used by one
// request at a time; each slot has its own lock so that shutting down while another thread's
// request runs is safe (it waits for that request's current send or receive). A slot's state
// can be read at any time without waiting.

#include <array>
#include <atomic>
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <mutex>
#include <string>

#include "common/Socket.h"

namespace velkport::shell {
class Prompter;
}

namespace velkport::link {

class ChannelTable {
  public:
    static constexpr int kSlotCount = 30;
    static constexpr std::uint8_t kFirstChannel = 0;
    static constexpr std::uint8_t kLastChannel = 5;
    static constexpr std::uint16_t kDefaultPortBase = 34000;
    static constexpr std::size_t kAddressLength = 15;  // dotted IPv4 text, at most 15 characters
    static constexpr std::chrono::milliseconds kDefaultTimeLimit{30000};

    enum State : int { kOpen = 0, kClosed = 1, kBroken = -1, kConnectFailed = -2 };

    ChannelTable();
    ~ChannelTable();
    ChannelTable(const ChannelTable&) = delete;
    ChannelTable& operator=(const ChannelTable&) = delete;

    // The table of the running program.
    static ChannelTable& process();

    // Keeps the address (its first 15 characters), closes whatever slots 0-5 still hold and
    // leaves them closed (state 1). Returns true (the socket layer needs no start-up here).
    bool InitialiseChannels(const std::string& address, std::uint16_t portBase = kDefaultPortBase);
    // Connects slot ch to address:portBase+ch. State 0 on success; -1 when no socket could be
    // made (also for a channel outside 0-5); -2 when the connection fails or the table has no
    // usable address.
    bool OpenChannel(std::uint8_t ch);
    // Closes the slot's connection; state 1. Returns true.
    bool CloseChannel(std::uint8_t ch);
    // Closes every connection of slots 0-5 and leaves them closed.
    void ShutdownChannels();
    // The slot's state (-1 for a number beyond the table).
    int ChannelState(std::uint8_t ch) const;

    // Sends the whole buffer. Refused (false, nothing sent) when ch is not 0-5 or its state is
    // not 0. A send that fails does not change the answer of this call (true: the send was
    // made) but sets the state to -1, so every later call on the slot refuses.
    bool SendOnChannel(const void* buffer, std::size_t length, std::uint8_t ch);
    // Zero-fills the buffer and receives exactly length bytes; received holds the count.
    // Refused quietly (false, received 0) when ch is not 0-5 or its state is not 0. An error, a
    // closed connection or the time limit ends it: state -1, the message above through the
    // prompter (the table's own when none is given), false. Length 0 shows the same message
    // and returns false without changing the state.
    bool ReceiveExactly(void* buffer, std::size_t length, std::size_t& received, std::uint8_t ch,
                        shell::Prompter* prompter = nullptr);

    // A request's first step: a slot that is not open (closed, or broken by an earlier failure)
    // is closed and opened again. True when the slot is open afterwards.
    bool EnsureOpen(std::uint8_t ch);
    // Gives up on a connection whose stream cannot be trusted any more (for example a reply
    // that never comes): state -1 and the receive-error message with the given number.
    void MarkBroken(std::uint8_t ch, int errorNumber, shell::Prompter* prompter = nullptr);

    static bool IsChannel(int ch) { return ch >= kFirstChannel && ch <= kLastChannel; }
    std::uint16_t ChannelPort(std::uint8_t ch) const {
        return static_cast<std::uint16_t>(portBase_ + ch);
    }
    std::string address() const;
    // Why the last connect of a channel failed: "cannot reach the receiver at ADDRESS port N:
    // reason"; empty while every connect went through.
    std::string LastConnectError() const;
    std::uint16_t portBase() const { return portBase_; }

    void setTimeLimit(std::chrono::milliseconds limit) { timeLimit_ = limit; }
    std::chrono::milliseconds timeLimit() const { return timeLimit_.load(); }
    // The prompter used when a call names none (the program sets its message-box prompter).
    void setPrompter(shell::Prompter* prompter) { prompter_ = prompter; }

    // The text shown for a failed receive.
    static std::string ReceiveErrorText(int errorNumber);

  private:
    struct Slot {
        mutable std::mutex lock;
        common::Socket socket;
        std::atomic<int> state{kClosed};  // readable without waiting for a running receive
    };
    bool openLocked(Slot& slot, std::uint8_t ch);
    void report(int errorNumber, shell::Prompter* prompter) const;

    mutable std::mutex addressLock_;
    std::string address_;
    std::string connectError_;  // under addressLock_
    std::atomic<std::uint16_t> portBase_{kDefaultPortBase};
    std::atomic<std::chrono::milliseconds> timeLimit_{kDefaultTimeLimit};
    std::atomic<shell::Prompter*> prompter_{nullptr};
    std::array<Slot, kSlotCount> slots_;
};

}  // namespace velkport::link
