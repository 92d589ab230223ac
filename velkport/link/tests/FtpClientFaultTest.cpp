// The FTP client against a scripted server that misbehaves on purpose: odd logon answers,
// silence, endless replies, failed transfers. Every case must end within its time limit.

#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <optional>
#include <string>
#include <thread>

#include "ScriptedPeer.h"
#include "common/Socket.h"
#include "tests/fixtures/RecordingPrompter.h"
#include "tests/fixtures/TempDir.h"
#include "velkport/link/FtpClient.h"

namespace velkport::link {
namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;
using Lines = std::vector<std::string>;

using fixtures::ScriptedPeer;
using Conn = ScriptedPeer::Connection;

bool Send(Conn& c, const std::string& line) {
    return c.send(line + "\r\n");
}
// A script of lines: "<" reads the client's next command (kept in *seen), anything else is sent.
ScriptedPeer::Script Dialogue(Lines steps, Lines* seen = nullptr) {
    return [steps, seen](Conn& c) {
        for (const auto& step : steps) {
            if (step != "<") {
                Send(c, step);
                continue;
            }
            const std::string line = c.line();
            if (seen)
                seen->push_back(line);
        }
    };
}
// Greets, expects USER and PASS and logs the client on.
const Lines kWelcome = {"220 ready", "<", "331 pin please", "<", "230 in"};
Lines Welcomed(Lines then) {
    then.insert(then.begin(), kWelcome.begin(), kWelcome.end());
    return then;
}
// After the logon: answers TYPE, connects to the PORT it is given (unless told not to) and reads
// the transfer command.
common::Socket OpenData(Conn& c, bool connect = true) {
    Dialogue(Welcomed({"<", "200 binary"}))(c);
    int h[4], p1, p2;
    const std::string port = c.line();
    common::Socket data;
    if (connect && std::sscanf(port.c_str(), "PORT %d,%d,%d,%d,%d,%d", &h[0], &h[1], &h[2], &h[3],
                               &p1, &p2) == 6)
        data = common::Socket::connectTcp(std::to_string(h[0]) + "." + std::to_string(h[1]) + "." +
                                              std::to_string(h[2]) + "." + std::to_string(h[3]),
                                          static_cast<std::uint16_t>(p1 * 256 + p2), 5s);
    Send(c, "200 port ok");
    c.line();
    return data;
}

class FtpClientFaultTest : public ::testing::Test {
  protected:
    // Starts the server's script and logs on to it (the script begins with Welcome or OpenData).
    FtpClient& LoggedOn(ScriptedPeer& server, ScriptedPeer::Script script,
                        std::chrono::milliseconds limit = 5s) {
        server.start({std::move(script)});
        client_.emplace(prompter_, limit);
        EXPECT_TRUE(client_->LogOn("127.0.0.1", server.port(), "root", "1"));
        return *client_;
    }

    fixtures::RecordingPrompter prompter_;
    fixtures::TempDir local_;
    std::optional<FtpClient> client_;
};

TEST_F(FtpClientFaultTest, SendsThePassLineOnceMoreOnAClass3AnswerAndGivesUpAfterTheSecond) {
    for (const bool acceptSecond : {false, true}) {
        SCOPED_TRACE(acceptSecond);
        prompter_.entries.clear();
        Lines seen;
        {
            ScriptedPeer server;
            server.start({Dialogue({"220 ready", "<", "331 pin please", "<", "332 account please",
                                    "<", acceptSecond ? "230 in" : "332 account please", "<"},
                                   &seen)});
            FtpClient client(prompter_, 5s);
            EXPECT_EQ(client.LogOn("127.0.0.1", server.port(), "root", "4321"), acceptSecond);
            EXPECT_EQ(client.LastReply(), acceptSecond ? "230 in" : "Logon failed");
            EXPECT_EQ(prompter_.texts(),
                      acceptSecond ? Lines{} : Lines{"Error Summat has gone wrong"});
            client.Close();
        }
        EXPECT_EQ(seen, (Lines{"USER root", "PASS 4321", "PASS 4321", ""}));
    }
}

// Logons that fail: a refusing, silent, trickling or over-long server. Each fails within its time
// limit with the reply it leaves and the messages it shows. A reply that never ends is cut off by
// the reply reader's line limit (its own test); an unreachable receiver's reply and message are
// checked by the firmware upgrade and the connect step.
struct LogOnFault {
    const char* name;
    ScriptedPeer::Script script;
    std::chrono::milliseconds limit, within;
    std::optional<std::string> reply;
    std::optional<Lines> prompts;
};

TEST_F(FtpClientFaultTest, FailedLogOnsEndWithinTheirTimeLimit) {
    const LogOnFault faults[] = {
        {"negative greeting", Dialogue({"421 Service not available", "<"}), 5s, 5s,
         "421 Service not available", Lines{}},
        {"silent after USER", Dialogue({"220 ready", "<", "<"}), 300ms, 5s, "Network Error",
         Lines{"Error Read String"}},
        // Each piece arrives well inside the limit, the whole reply does not.
        {"trickle",
         [](Conn& s) {
             for (int i = 0; i < 60 && s.send("2"); ++i)
                 std::this_thread::sleep_for(50ms);
         },
         300ms, 2s, std::nullopt, std::nullopt},
        {"over-long line",
         [](Conn& s) {
             s.send("220 " + std::string(100000, 'x') + "\r\n");
             s.line();
         },
         5s, 10s, "Network Error", std::nullopt},
    };
    for (const auto& f : faults) {
        SCOPED_TRACE(f.name);
        prompter_.entries.clear();
        ScriptedPeer server;
        server.start({f.script});
        FtpClient client(prompter_, f.limit);
        const auto start = Clock::now();
        EXPECT_FALSE(client.LogOn("127.0.0.1", server.port(), "root", "1"));
        EXPECT_LT(Clock::now() - start, f.within);
        client.Close();
        if (f.reply) {
            EXPECT_EQ(client.LastReply(), *f.reply);
        }
        if (f.prompts) {
            EXPECT_EQ(prompter_.texts(), *f.prompts);
        }
    }
}

TEST_F(FtpClientFaultTest, NamesTheControlConnectionsLocalAddressInPort) {
    EXPECT_EQ(FtpClient::PortArgument("192.168.1.5", 5001), "192,168,1,5,19,137");
    Lines seen;
    ScriptedPeer server;
    fixtures::writeFile(local_ / "f", "x");
    FtpClient& client =
        LoggedOn(server, Dialogue(Welcomed({"<", "200 binary", "<", "500 no"}), &seen));
    EXPECT_FALSE(client.TransferFile("f", local_ / "f", false));
    EXPECT_EQ(client.LastReply(), "500 no");
    client.Close();
    ASSERT_EQ(seen.size(), 4u);
    EXPECT_EQ(seen[3].rfind("PORT 127,0,0,1,", 0), 0u) << seen[3];
}

// Downloads that fail, stall or are cancelled: the older local file stays and no partial file is
// left beside it.
struct DownloadFault {
    const char* name;
    ScriptedPeer::Script script;
    std::chrono::milliseconds limit, within;
    bool cancel;
    std::optional<std::string> reply;
};

TEST_F(FtpClientFaultTest, AFailedStalledOrCancelledDownloadKeepsTheOlderFile) {
    const DownloadFault faults[] = {
        {"failure as closing reply",
         [](Conn& s) {
             common::Socket data = OpenData(s);
             Send(s, "150 here it comes");
             data.sendAll("partial", 7, 5s);
             data.close();
             Send(s, "451 Local error: the disk went away");
             s.line();
         },
         5s, 5s, false, "451 Local error: the disk went away"},
        {"cancelled",
         [](Conn& s) {
             common::Socket data = OpenData(s);
             Send(s, "150 here it comes");
             for (int i = 0; i < 50 && data.sendAll("piece", 5, 5s); ++i)
                 std::this_thread::sleep_for(20ms);
             Send(s, "426 aborted");
             s.line();
         },
         5s, 900ms /* well before the server's last piece */, true, std::nullopt},
        {"no data connection",
         [](Conn& s) {
             common::Socket data = OpenData(s, false);
             Send(s, "150 here it comes");
             s.line();  // holds everything open until the client gives up
         },
         300ms, 5s, false, "Network Error"},
        {"stalled data connection",
         [](Conn& s) {
             common::Socket data = OpenData(s);
             Send(s, "150 here it comes");
             data.sendAll("some", 4, 5s);
             s.line();
         },
         300ms, 5s, false, "Network Error"},
    };
    for (const auto& f : faults) {
        SCOPED_TRACE(f.name);
        fixtures::writeFile(local_ / "got", "older file");
        ScriptedPeer server;
        FtpClient& client = LoggedOn(server, f.script, f.limit);
        int polls = 0;
        if (f.cancel)
            client.SetCancel([&] { return ++polls > 3; });
        const auto start = Clock::now();
        EXPECT_FALSE(client.TransferFile("channel.xml", local_ / "got", true));
        EXPECT_LT(Clock::now() - start, f.within);
        EXPECT_EQ(client.Cancelled(), f.cancel);
        if (f.reply) {
            EXPECT_EQ(client.LastReply(), *f.reply);
        }
        EXPECT_EQ(fixtures::readFile(local_ / "got"), "older file");
        EXPECT_EQ(std::distance(std::filesystem::directory_iterator(local_.path()), {}), 1);
        client.Close();
    }
}

TEST_F(FtpClientFaultTest, AnUploadWhoseClosingReplyIsAFailureFails) {
    std::string stored;
    ScriptedPeer server;
    auto script = [&](Conn& s) {
        common::Socket data = OpenData(s);
        Send(s, "150 send it");
        char buf[64];
        ssize_t n;
        while ((n = data.receiveSome(buf, sizeof buf, 5s)) > 0)
            stored.append(buf, static_cast<std::size_t>(n));
        Send(s, "452 Insufficient storage space");
        s.line();
    };
    fixtures::writeFile(local_ / "firmware.bin", "firmware image");
    FtpClient& client = LoggedOn(server, script);
    EXPECT_FALSE(client.TransferFile("firmware.bin", local_ / "firmware.bin", false));
    EXPECT_EQ(client.LastReply(), "452 Insufficient storage space");
    client.Close();
    EXPECT_EQ(stored, "firmware image");
    EXPECT_TRUE(std::filesystem::exists(local_ / "firmware.bin"));
}

TEST_F(FtpClientFaultTest, RefusesALineBreakInACommandAndSaysQuitOnLogOffButNotOnDestruction) {
    for (const bool logOff : {true, false}) {
        Lines seen;
        {
            ScriptedPeer server;
            const auto script = Dialogue(Welcomed({"<", "200 ok", "<"}), &seen);
            FtpClient& client = LoggedOn(server, script);
            EXPECT_FALSE(client.Command("CWD x\r\nDELE channel.xml"));
            EXPECT_EQ(client.LastReply(), "Network Error");
            EXPECT_TRUE(client.Command("NOOP"));
            if (logOff)
                client.LogOff();
            client_.reset();
        }
        EXPECT_EQ(seen, (Lines{"USER root", "PASS 1", "NOOP", logOff ? "QUIT" : ""}));
    }
}

}  // namespace
}  // namespace velkport::link
