// velkctl channels, run as a program against the emulated receiver. The exchange itself, also
// against pyftpdlib, is checked in the channel exchange tests.

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "tools/velkctl/tests/VelkctlRunner.h"
#include "velkport/channels/tests/ChannelTestData.h"

namespace {

namespace fs = std::filesystem;
using velkctl::testing::Outcome;
using velkport::channels::testdata::groupXml;
using velkport::channels::testdata::listXml;
using velkport::channels::testdata::serviceXml;

// A cable service whose number is also its service id.
std::string service(int no, const std::string& name, const std::string& type) {
    return serviceXml(no, name, type,
                      "<Carrier Type=\"DVBC\"><Frequency>346000</Frequency><SymbolRate>6900"
                      "</SymbolRate><QAM>64</QAM></Carrier><Locked>true</Locked>");
}

using ChannelsCommand = velkctl::testing::VelkctlOnSim;

TEST_F(ChannelsCommand, PullWritesTheReceiversListToAFile) {
    fixtures::writeFile(sim_.channelList(),
                        listXml(service(1, "Eins", "TV") + service(2, "Zwei", "TV") +
                                service(1, "Radio Eins", "Radio")));
    const fs::path out = local_ / "pulled.xml";
    Outcome r = Run({"channels", "pull", out.string()});
    ASSERT_EQ(r.status, 0) << r.err;
    Outcome shown = Run({"channels", "show", out.string(), "--tsv"});
    ASSERT_EQ(shown.status, 0) << shown.err;
    EXPECT_EQ(shown.out,
              "TV\t1\tEins\t1\t0\t0\t346000\t6900\t64\t0\t1\t0\n"
              "TV\t2\tZwei\t2\t0\t0\t346000\t6900\t64\t0\t1\t0\n"
              "Radio\t1\tRadio Eins\t1\t0\t0\t346000\t6900\t64\t0\t1\t0\n");
}

TEST_F(ChannelsCommand, APullThatFailsLeavesTheFileAsItWasWithTheReason) {
    const fs::path out = local_ / "mine.xml";
    fixtures::writeFile(out, "my own list");
    Outcome r = Run({"channels", "pull", out.string()});
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("550"), std::string::npos) << r.err;
    EXPECT_EQ(fixtures::readFile(out), "my own list");
}

TEST_F(ChannelsCommand, PushRenumbersWithYesAndSendsNothingWhenNotAsked) {
    const fs::path file = local_ / "mine.xml";
    fixtures::writeFile(file, listXml(service(7, "Seven", "TV") + service(3, "Three", "TV")));
    answerYes_ = false;
    Outcome no = Run({"channels", "push", file.string()});
    EXPECT_EQ(no.status, 1);
    EXPECT_NE(no.err.find("Renumbering is necessary."), std::string::npos) << no.err;
    EXPECT_FALSE(fs::exists(sim_.channelList()));

    answerYes_ = true;
    Outcome yes = Run({"channels", "push", file.string()});
    ASSERT_EQ(yes.status, 0) << yes.err;
    const std::string sent = fixtures::readFile(sim_.channelList());
    EXPECT_LT(sent.find("<Name>Three</Name>"), sent.find("<Name>Seven</Name>"));
    EXPECT_NE(sent.find("<ChannelNo>2</ChannelNo>"), std::string::npos);
    EXPECT_EQ(sent.find("<ChannelNo>7</ChannelNo>"), std::string::npos);
}

TEST_F(ChannelsCommand, ShowListsServicesThenFavoritesTvFirst) {
    const fs::path file = local_ / "fav.xml";
    fixtures::writeFile(file, listXml(service(1, "A", "TV") + service(2, "B", "TV") +
                                      service(3, "Kanal Süd", "TV") + service(1, "R", "Radio") +
                                      "<Favoritelist>" + groupXml("Mix", "Radio", {1}) +
                                      groupXml("News", "TV", {2, 1}) + "</Favoritelist>"));
    Outcome r = Run({"channels", "show", "--tsv", file.string()});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_NE(r.out.find("fav\tTV\tNews\t2,1\nfav\tRadio\tMix\t1\n"), std::string::npos) << r.out;
    Outcome table = Run({"channels", "show", file.string()});
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
    const fs::path file = local_ / "r.xml";
    fixtures::writeFile(file, listXml(service(9, "Nine", "TV") + service(4, "Four", "TV") +
                                      service(5, "R5", "Radio") + service(2, "R2", "Radio")));
    ASSERT_EQ(Run({"channels", "renumber", file.string()}).status, 0);
    Outcome r = Run({"channels", "show", file.string(), "--tsv"});
    EXPECT_EQ(r.out,
              "TV\t1\tFour\t4\t0\t0\t346000\t6900\t64\t0\t1\t0\n"
              "TV\t2\tNine\t9\t0\t0\t346000\t6900\t64\t0\t1\t0\n"
              "Radio\t1\tR2\t2\t0\t0\t346000\t6900\t64\t0\t1\t0\n"
              "Radio\t2\tR5\t5\t0\t0\t346000\t6900\t64\t0\t1\t0\n");
    const fs::path broken = local_ / "broken.xml";
    fixtures::writeFile(broken, "<Servicelist><Service>");
    r = Run({"channels", "renumber", broken.string()});
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("_ERR"), std::string::npos) << r.err;
    EXPECT_EQ(fixtures::readFile(broken), "<Servicelist><Service>");
    EXPECT_EQ(Run({"channels", "show"}).status, 2);
}

}  // namespace
