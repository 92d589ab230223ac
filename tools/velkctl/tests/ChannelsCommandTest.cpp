// velkctl channels, run as a program against the emulated receiver and against pyftpdlib.

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "tests/fixtures/PyFtpServer.h"
#include "tests/fixtures/RunningSim.h"
#include "tools/velkctl/tests/VelkctlRunner.h"
#include "velkport/channels/tests/ChannelTestData.h"

namespace {

namespace fs = std::filesystem;
using velkctl::testing::Outcome;
using velkctl::testing::RunVelkctl;
using velkport::channels::testdata::listXml;

const char* const kFolder = "ftproot/System/Programmliste (Channel List)";

// Runs velkctl against the FTP server on `port`, with its cache in `cache`.
Outcome velkAt(std::uint16_t port, const fs::path& cache, const std::vector<std::string>& args) {
    std::vector<std::string> all = {
        "--lang",    "ENG",   "--timeout", "10",         "--receiver",
        "127.0.0.1", "--pin", "0000",      "--ftp-port", std::to_string(port)};
    all.insert(all.end(), args.begin(), args.end());
    return RunVelkctl(all, {{"XDG_CACHE_HOME", cache.string()}});
}

std::string service(int no, const std::string& name, const std::string& type) {
    return "<Service><ChannelNo>" + std::to_string(no) + "</ChannelNo><Name>" + name +
           "</Name><Sid>" + std::to_string(no * 10) +
           "</Sid><Carrier Type=\"DVBC\"><Frequency>346000</Frequency><SymbolRate>6900"
           "</SymbolRate><QAM>64</QAM></Carrier><Locked>true</Locked><ServiceType>" +
           type + "</ServiceType></Service>\n";
}

class ChannelsCommand : public ::testing::Test {
  protected:
    void SetUp() override { ASSERT_TRUE(sim.ok()) << sim.error(); }
    // Its cache is the test's folder.
    Outcome velk(const std::vector<std::string>& args) {
        return velkAt(sim->ftpPort(), dir.path(), args);
    }

    fixtures::RunningSim sim;
    fixtures::TempDir dir;
};

TEST_F(ChannelsCommand, PullWritesTheReceiversListToAFile) {
    fixtures::writeFile(sim.channelList(),
                        listXml(service(1, "Eins", "TV") + service(2, "Zwei", "TV") +
                                service(1, "Radio Eins", "Radio")));
    const fs::path out = dir / "pulled.xml";
    Outcome r = velk({"channels", "pull", out.string()});
    ASSERT_EQ(r.status, 0) << r.err;
    Outcome shown = velk({"channels", "show", out.string(), "--tsv"});
    ASSERT_EQ(shown.status, 0) << shown.err;
    EXPECT_EQ(shown.out,
              "TV\t1\tEins\t10\t0\t0\t346000\t6900\t64\t0\t1\t0\n"
              "TV\t2\tZwei\t20\t0\t0\t346000\t6900\t64\t0\t1\t0\n"
              "Radio\t1\tRadio Eins\t10\t0\t0\t346000\t6900\t64\t0\t1\t0\n");
    EXPECT_FALSE(fs::exists(dir / "velkport" / "tempchannel.xml"));
}

TEST_F(ChannelsCommand, APullThatFailsLeavesTheFileAsItWasWithTheReason) {
    const fs::path out = dir / "mine.xml";
    fixtures::writeFile(out, "my own list");
    Outcome r = velk({"channels", "pull", out.string()});
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("550"), std::string::npos) << r.err;
    fixtures::writeFile(sim.channelList(), "<Servicelist><Service><Name>cut");  // does not parse
    r = velk({"channels", "pull", out.string()});
    EXPECT_EQ(r.status, 1);
    EXPECT_FALSE(r.err.empty());
    EXPECT_EQ(fixtures::readFile(out), "my own list");
}

TEST_F(ChannelsCommand, PushRenumbersWithYesAndSendsNothingWhenNotAsked) {
    const fs::path file = dir / "mine.xml";
    fixtures::writeFile(file, listXml(service(7, "Seven", "TV") + service(3, "Three", "TV")));
    Outcome no = velk({"channels", "push", file.string()});
    EXPECT_EQ(no.status, 1);
    EXPECT_NE(no.err.find("Renumbering is necessary."), std::string::npos) << no.err;
    EXPECT_FALSE(fs::exists(sim.channelList()));

    Outcome yes = velk({"--yes", "channels", "push", file.string()});
    ASSERT_EQ(yes.status, 0) << yes.err;
    ASSERT_TRUE(fs::exists(sim.channelList()));
    const std::string sent = fixtures::readFile(sim.channelList());
    EXPECT_LT(sent.find("<Name>Three</Name>"), sent.find("<Name>Seven</Name>"));
    EXPECT_NE(sent.find("<ChannelNo>2</ChannelNo>"), std::string::npos);
    EXPECT_EQ(sent.find("<ChannelNo>7</ChannelNo>"), std::string::npos);
}

TEST_F(ChannelsCommand, ShowListsServicesThenFavoritesTvFirst) {
    const fs::path file = dir / "fav.xml";
    fixtures::writeFile(
        file,
        listXml(service(1, "A", "TV") + service(2, "B", "TV") + service(3, "Kanal Süd", "TV") +
                service(1, "R", "Radio") +
                "<Favoritelist><FavoriteGroup><Name>Mix</Name><ServiceType>Radio</ServiceType>"
                "<ChannelNo>1</ChannelNo></FavoriteGroup><FavoriteGroup><Name>News</Name>"
                "<ServiceType>TV</ServiceType><ChannelNo>2</ChannelNo><ChannelNo>1</ChannelNo>"
                "</FavoriteGroup></Favoritelist>"));
    Outcome r = velk({"channels", "show", "--tsv", file.string()});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_NE(r.out.find("fav\tTV\tNews\t2,1\nfav\tRadio\tMix\t1\n"), std::string::npos) << r.out;
    Outcome table = velk({"channels", "show", file.string()});
    ASSERT_EQ(table.status, 0);
    EXPECT_NE(table.out.find("TV Favorites"), std::string::npos);
    // Columns line up on the terminal whatever the name's bytes: the frequency of a row with an
    // umlaut starts in the same character column as that of an ASCII row.
    auto frequencyColumn = [&](const std::string& rowStart) {
        const std::size_t row = table.out.find(rowStart);
        const std::size_t at = table.out.find("346000", row);
        if (row == std::string::npos || at == std::string::npos)
            return std::string::npos;
        std::size_t column = 0;
        for (std::size_t i = table.out.rfind('\n', row) + 1; i < at; ++i)
            column += (static_cast<unsigned char>(table.out[i]) & 0xC0) != 0x80 ? 1 : 0;
        return column;
    };
    EXPECT_NE(frequencyColumn("      2  B "), std::string::npos) << table.out;
    EXPECT_EQ(frequencyColumn("      3  Kanal Süd "), frequencyColumn("      2  B ")) << table.out;
}

TEST_F(ChannelsCommand, RenumberSortsEachListAndWritesTheFileBackButNeverABrokenOne) {
    const fs::path file = dir / "r.xml";
    fixtures::writeFile(file, listXml(service(9, "Nine", "TV") + service(4, "Four", "TV") +
                                      service(5, "R5", "Radio") + service(2, "R2", "Radio")));
    ASSERT_EQ(velk({"channels", "renumber", file.string()}).status, 0);
    Outcome r = velk({"channels", "show", file.string(), "--tsv"});
    EXPECT_EQ(r.out,
              "TV\t1\tFour\t40\t0\t0\t346000\t6900\t64\t0\t1\t0\n"
              "TV\t2\tNine\t90\t0\t0\t346000\t6900\t64\t0\t1\t0\n"
              "Radio\t1\tR2\t20\t0\t0\t346000\t6900\t64\t0\t1\t0\n"
              "Radio\t2\tR5\t50\t0\t0\t346000\t6900\t64\t0\t1\t0\n");
    const fs::path broken = dir / "broken.xml";
    fixtures::writeFile(broken, "<Servicelist><Service>");
    r = velk({"channels", "renumber", broken.string()});
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("_ERR"), std::string::npos) << r.err;
    EXPECT_EQ(fixtures::readFile(broken), "<Servicelist><Service>");
    const fs::path other = dir / "other.xml";
    fixtures::writeFile(other, "<Channels/>");
    EXPECT_EQ(velk({"channels", "renumber", other.string()}).status, 1);
    EXPECT_EQ(fixtures::readFile(other), "<Channels/>");
    EXPECT_EQ(velk({"channels", "show"}).status, 2);
}

TEST(ChannelsCommandPyFtpd, PullAndPushAgainstARealFtpServer) {
    fixtures::TempDir dir;
    fs::create_directories(dir / "disk" / kFolder);
    fixtures::PyFtpOptions o;
    o.root = dir / "disk";
    fixtures::PyFtpServer server(o);
    ASSERT_TRUE(server.ok()) << server.error();
    auto run = [&](const std::vector<std::string>& args) {
        return velkAt(server.port(), dir.path(), args).status;
    };
    const fs::path file = dir / "l.xml";
    fixtures::writeFile(file, listXml(service(1, "Real", "TV")));
    ASSERT_EQ(run({"channels", "push", file.string()}), 0);
    EXPECT_NE(fixtures::readFile(dir / "disk" / kFolder / "channel.xml").find("Real"),
              std::string::npos);
    ASSERT_EQ(run({"channels", "pull", (dir / "back.xml").string()}), 0);
    EXPECT_NE(fixtures::readFile(dir / "back.xml").find("<Name>Real</Name>"), std::string::npos);
    fs::remove_all(dir / "disk" / "ftproot");
    EXPECT_EQ(run({"channels", "pull", (dir / "x.xml").string()}), 1);
}

}  // namespace
