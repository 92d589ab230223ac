// The FTP client against a scripted server that misbehaves on purpose: odd logon answers,
// silence, endless replies, failed transfers. Every case must end within its time limit.

#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <optional>
#include <string>
#include <thread>

#include "common/Socket.h"
#include "tests/fixtures/RecordingPrompter.h"
#include "tests/fixtures/TempDir.h"
#include "velkport/link/FtpClient.h"
#include "velkport/link/FtpReplyReader.h"

namespace velkport::link {
namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

// The server side of one control connection, as a script sees it.
class ServerSide {
  public:
    explicit ServerSide(common::Socket s)
        : socket_(std::move(s)), reader_([this](char* into, std::size_t n) -> long {
              return static_cast<long>(socket_.receiveSome(into, n, 5s));
          }) {}
    bool Send(const std::string& line) {
        std::string text = line + "\r\n";
        return socket_.sendAll(text.data(), text.size(), 5s);
    }
    // The next command line; "" when the client closed.
    std::string Read() {
        std::string line;
        return reader_.ReadLine(line) ? line : std::string();
    }
    bool SendRaw(const std::string& bytes) {
        return socket_.sendAll(bytes.data(), bytes.size(), 5s);
    }
    // Greets, expects USER and PASS and logs the client on.
    void Welcome() {
        Send("220 ready");
        Read();
        Send("331 pin please");
        Read();
        Send("230 in");
    }
    // After the logon: answers TYPE and PORT, connects the data connection and reads the
    // transfer command.
    common::Socket OpenData() {
        Welcome();
        Read();
        Send("200 binary");
        common::Socket data = ConnectData(Read());
        Send("200 port ok");
        Read();
        return data;
    }
    // Parses "PORT h1,h2,h3,h4,p1,p2" and connects to it.
    common::Socket ConnectData(const std::string& portLine) {
        int h1, h2, h3, h4, p1, p2;
        if (std::sscanf(portLine.c_str(), "PORT %d,%d,%d,%d,%d,%d", &h1, &h2, &h3, &h4, &p1, &p2) !=
            6)
            return {};
        std::string host = std::to_string(h1) + "." + std::to_string(h2) + "." +
                           std::to_string(h3) + "." + std::to_string(h4);
        return common::Socket::connectTcp(host, static_cast<std::uint16_t>(p1 * 256 + p2), 5s);
    }
    const common::Socket& socket() const { return socket_; }

  private:
    common::Socket socket_;
    FtpReplyReader reader_;
};

// Accepts one control connection on loopback and runs the script on it.
class ScriptedServer {
  public:
    explicit ScriptedServer(std::function<void(ServerSide&)> script)
        : listener_(common::Socket::listenTcp("127.0.0.1", 0)) {
        thread_ = std::thread([this, script] {
            common::Socket s = listener_.accept(10s);
            if (!s.valid())
                return;
            ServerSide side(std::move(s));
            script(side);
        });
    }
    ~ScriptedServer() { thread_.join(); }
    std::uint16_t port() const { return listener_.localPort(); }

  private:
    common::Socket listener_;
    std::thread thread_;
};

class FtpClientFaultTest : public ::testing::Test {
  protected:
    // Logs on to a script that begins with Welcome() or OpenData().
    FtpClient& LoggedOn(ScriptedServer& server, std::chrono::milliseconds limit = 5s) {
        client_.emplace(prompter_, limit);
        EXPECT_TRUE(client_->LogOn("127.0.0.1", server.port(), "root", "1"));
        return *client_;
    }
    // A logon that must fail, with the reply it leaves.
    std::string FailedLogOn(ScriptedServer& server, std::chrono::milliseconds limit = 5s) {
        FtpClient client(prompter_, limit);
        EXPECT_FALSE(client.LogOn("127.0.0.1", server.port(), "root", "1"));
        client.Close();
        return client.LastReply();
    }

    fixtures::RecordingPrompter prompter_;
    fixtures::TempDir local_;
    std::optional<FtpClient> client_;
};

TEST_F(FtpClientFaultTest, SendsThePassLineOnceMoreOnAClass3AnswerAndGivesUpAfterTheSecond) {
    for (const bool acceptSecond : {false, true}) {
        SCOPED_TRACE(acceptSecond);
        prompter_.entries.clear();
        std::vector<std::string> seen;
        {
            ScriptedServer server([&](ServerSide& s) {
                s.Send("220 ready");
                seen.push_back(s.Read());
                s.Send("331 pin please");
                seen.push_back(s.Read());
                s.Send("332 account please");
                seen.push_back(s.Read());
                s.Send(acceptSecond ? "230 in" : "332 account please");
                s.Read();  // until the client hangs up
            });
            FtpClient client(prompter_, 5s);
            EXPECT_EQ(client.LogOn("127.0.0.1", server.port(), "root", "4321"), acceptSecond);
            if (!acceptSecond) {
                EXPECT_EQ(client.LastReply(), "Logon failed");
                EXPECT_EQ(prompter_.texts(),
                          std::vector<std::string>{"Error Summat has gone wrong"});
            } else {
                EXPECT_TRUE(prompter_.entries.empty());
            }
            client.Close();
        }
        EXPECT_EQ(seen, (std::vector<std::string>{"USER root", "PASS 4321", "PASS 4321"}));
    }
}

TEST_F(FtpClientFaultTest, ANegativeGreetingFailsWithoutAMessage) {
    ScriptedServer server([](ServerSide& s) {
        s.Send("421 Service not available");
        s.Read();
    });
    EXPECT_EQ(FailedLogOn(server), "421 Service not available");
    EXPECT_TRUE(prompter_.entries.empty());
}

TEST_F(FtpClientFaultTest, AnUnreachableServerIsReportedAsNotConnected) {
    std::uint16_t closedPort;
    {
        common::Socket s = common::Socket::listenTcp("127.0.0.1", 0);
        closedPort = s.localPort();
    }
    FtpClient client(prompter_, 5s);
    EXPECT_FALSE(client.LogOn("127.0.0.1", closedPort, "root", "1"));
    EXPECT_EQ(client.LastReply(), "Unable to connect to server");
    EXPECT_EQ(prompter_.texts(), std::vector<std::string>{"Error OpenChannel"});
    EXPECT_EQ(client.HostText(), "127.0.0.1:" + std::to_string(closedPort));
}

TEST_F(FtpClientFaultTest, SilentSlowEndlessOrOverLongRepliesFailTheLogonWithinTheTimeLimit) {
    {
        ScriptedServer silent([](ServerSide& s) {
            s.Send("220 ready");
            s.Read();  // USER arrives, and no answer ever comes
            s.Read();
        });
        const auto start = Clock::now();
        EXPECT_EQ(FailedLogOn(silent, 300ms), "Network Error");
        EXPECT_LT(Clock::now() - start, 5s);
        EXPECT_EQ(prompter_.texts(), std::vector<std::string>{"Error Read String"});
    }
    {
        // Each piece arrives well inside the limit, the whole reply does not.
        ScriptedServer trickle([](ServerSide& s) {
            for (int i = 0; i < 60 && s.SendRaw("2"); ++i)
                std::this_thread::sleep_for(50ms);
        });
        const auto start = Clock::now();
        FailedLogOn(trickle, 300ms);
        EXPECT_LT(Clock::now() - start, 2s);
    }
    {
        ScriptedServer endless([](ServerSide& s) {
            while (s.Send("220-and more"))
                ;
        });
        EXPECT_EQ(FailedLogOn(endless), "Network Error");
    }
    {
        ScriptedServer overLong([](ServerSide& s) {
            s.SendRaw("220 " + std::string(100000, 'x') + "\r\n");
            s.Read();
        });
        EXPECT_EQ(FailedLogOn(overLong), "Network Error");
    }
}

TEST_F(FtpClientFaultTest, NamesTheControlConnectionsLocalAddressInPort) {
    EXPECT_EQ(FtpClient::PortArgument("192.168.1.5", 5001), "192,168,1,5,19,137");
    std::string portLine, typeLine;
    ScriptedServer server([&](ServerSide& s) {
        s.Welcome();
        typeLine = s.Read();
        s.Send("200 binary");
        portLine = s.Read();
        s.Send("500 no");
        s.Read();
    });
    fixtures::writeFile(local_ / "f", "x");
    FtpClient& client = LoggedOn(server);
    EXPECT_FALSE(client.TransferFile("f", local_ / "f", false));
    EXPECT_EQ(client.LastReply(), "500 no");
    client.Close();
    EXPECT_EQ(typeLine, "TYPE I");
    EXPECT_EQ(portLine.rfind("PORT 127,0,0,1,", 0), 0u) << portLine;
}

TEST_F(FtpClientFaultTest, ADownloadWhoseClosingReplyIsAFailureFailsAndKeepsTheOlderFile) {
    ScriptedServer server([](ServerSide& s) {
        common::Socket data = s.OpenData();
        s.Send("150 here it comes");
        data.sendAll("partial", 7, 5s);
        data.close();
        s.Send("451 Local error: the disk went away");
        s.Read();
    });
    fixtures::writeFile(local_ / "got", "older file");
    FtpClient& client = LoggedOn(server);
    EXPECT_FALSE(client.TransferFile("channel.xml", local_ / "got", true));
    EXPECT_EQ(client.LastReply(), "451 Local error: the disk went away");
    EXPECT_EQ(fixtures::readFile(local_ / "got"), "older file");
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(local_.path()), {}), 1);
    client.Close();
}

TEST_F(FtpClientFaultTest, ACancelledDownloadStopsAndKeepsTheOlderFile) {
    ScriptedServer server([](ServerSide& s) {
        common::Socket data = s.OpenData();
        s.Send("150 here it comes");
        for (int i = 0; i < 50 && data.sendAll("piece", 5, 5s); ++i)
            std::this_thread::sleep_for(20ms);
        s.Send("426 aborted");
        s.Read();
    });
    fixtures::writeFile(local_ / "got", "older file");
    FtpClient& client = LoggedOn(server);
    int polls = 0;
    client.SetCancel([&] { return ++polls > 3; });
    const auto start = Clock::now();
    EXPECT_FALSE(client.TransferFile("channel.xml", local_ / "got", true));
    EXPECT_LT(Clock::now() - start, 900ms);  // well before the server's last piece
    EXPECT_TRUE(client.Cancelled());
    EXPECT_EQ(fixtures::readFile(local_ / "got"), "older file");
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(local_.path()), {}), 1);
    client.Close();
}

TEST_F(FtpClientFaultTest, AnUploadWhoseClosingReplyIsAFailureFails) {
    std::string stored;
    ScriptedServer server([&](ServerSide& s) {
        common::Socket data = s.OpenData();
        s.Send("150 send it");
        char buf[64];
        ssize_t n;
        while ((n = data.receiveSome(buf, sizeof buf, 5s)) > 0)
            stored.append(buf, static_cast<std::size_t>(n));
        s.Send("452 Insufficient storage space");
        s.Read();
    });
    fixtures::writeFile(local_ / "firmware.bin", "firmware image");
    FtpClient& client = LoggedOn(server);
    EXPECT_FALSE(client.TransferFile("firmware.bin", local_ / "firmware.bin", false));
    EXPECT_EQ(client.LastReply(), "452 Insufficient storage space");
    client.Close();
    EXPECT_EQ(stored, "firmware image");
    EXPECT_TRUE(std::filesystem::exists(local_ / "firmware.bin"));
}

TEST_F(FtpClientFaultTest, AMissingOrStalledDataConnectionFailsTheDownloadWithinTheTimeLimit) {
    for (const bool connects : {false, true}) {
        SCOPED_TRACE(connects);
        ScriptedServer server([connects](ServerSide& s) {
            s.Welcome();
            s.Read();
            s.Send("200 binary");
            const std::string port = s.Read();
            common::Socket data = connects ? s.ConnectData(port) : common::Socket();
            s.Send("200 port ok");
            s.Read();
            s.Send("150 here it comes");
            if (connects)
                data.sendAll("some", 4, 5s);
            s.Read();  // holds everything open until the client gives up
        });
        FtpClient& client = LoggedOn(server, 300ms);
        const auto start = Clock::now();
        EXPECT_FALSE(client.TransferFile("channel.xml", local_ / "got", true));
        EXPECT_LT(Clock::now() - start, 5s);
        EXPECT_EQ(client.LastReply(), "Network Error");
        EXPECT_FALSE(std::filesystem::exists(local_ / "got"));
        client.Close();
    }
}

TEST_F(FtpClientFaultTest, RefusesToSendACommandWithALineBreakInIt) {
    std::string next;
    ScriptedServer server([&](ServerSide& s) {
        s.Welcome();
        next = s.Read();
        s.Send("200 ok");
        s.Read();
    });
    FtpClient& client = LoggedOn(server);
    EXPECT_FALSE(client.Command("CWD x\r\nDELE channel.xml"));
    EXPECT_EQ(client.LastReply(), "Network Error");
    EXPECT_TRUE(client.Command("NOOP"));
    client.LogOff();
    EXPECT_EQ(next, "NOOP");
}

TEST_F(FtpClientFaultTest, LogOffSaysQuitAndDestructionSaysNothing) {
    for (const bool logOff : {true, false}) {
        std::string afterLogon = "unset";
        {
            ScriptedServer server([&](ServerSide& s) {
                s.Welcome();
                afterLogon = s.Read();
            });
            FtpClient& client = LoggedOn(server);
            if (logOff)
                client.LogOff();
            client_.reset();
        }
        EXPECT_EQ(afterLogon, logOff ? "QUIT" : "");
    }
}

}  // namespace
}  // namespace velkport::link
