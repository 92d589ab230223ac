#include <gtest/gtest.h>

#include <sys/resource.h>

#include <csignal>
#include <optional>
#include <tuple>

#include "tests/fixtures/RecordingPrompter.h"
#include "tests/fixtures/TempDir.h"
#include "velkport/channels/ChannelListEditor.h"
#include "velkport/channels/ChannelListFile.h"
#include "velkport/channels/tests/ChannelTestData.h"

namespace velkport::channels {
namespace {

using testdata::groupXml;
using testdata::listXml;
using testdata::serviceXml;

class ChannelListRead : public ::testing::Test {
  protected:
    int readText(const std::string& xml) { return ChannelListFile::readText(db, xml, p); }

    ChannelDatabase db;
    fixtures::RecordingPrompter p;
};

TEST_F(ChannelListRead, ServicesTakeEveryFieldFromTheirElements) {
    const std::string xml = listXml(
        "<Service><ChannelNo>7</ChannelNo><Name>Das Erste &amp; mehr</Name><Sid>28106</Sid>"
        "<Tsid>1101</Tsid><Onid>1</Onid><Carrier Type=\"DVBC\"><Frequency>346000</Frequency>"
        "<SymbolRate>6900</SymbolRate><QAM>256</QAM><Longitude>192</Longitude><Band>Ku</Band>"
        "<Pol>Horizontal</Pol><FEC>DVBS_3_4</FEC></Carrier><Vpid>101</Vpid><Apid>102</Apid>"
        "<PCRpid>103</PCRpid><Scrambled>true</Scrambled><Skipped>true</Skipped>"
        "<Locked>TRUE</Locked><ServiceType>TV</ServiceType></Service>");
    EXPECT_EQ(readText(xml), 0);
    ASSERT_EQ(db.countServices(kTv), 1);
    const Service& s = *db.service(kTv, 0);
    EXPECT_EQ(s.name, "Das Erste & mehr");
    EXPECT_EQ(std::tuple(s.channelNumber, s.sid, s.tsid, s.onid, s.vpid, s.apid, s.pcrPid),
              std::tuple(7, 28106, 1101, 1, 101, 102, 103));
    EXPECT_EQ(std::tuple(s.carrierFrequency, s.carrierSymbolRate, s.carrierQam, s.carrierLongitude,
                         s.carrierBand, s.carrierPolarization, s.carrierFec),
              std::tuple(346000, 6900, 256, 192, 1, 'H', 3));
    // Only the exact text "true" counts; the satellite links are not in a service's element.
    EXPECT_EQ(std::tuple(s.scrambled, s.skipped, s.locked, s.satelliteId, s.transponderFrequency),
              std::tuple(1, 1, 0, 0, 0));
    EXPECT_TRUE(p.entries.empty());
}

TEST_F(ChannelListRead, ServiceTypesAndFlagsFollowTheExactTexts) {
    readText(listXml(serviceXml(1, "data", "DATA") + serviceXml(2, "music", "Music") +
                     serviceXml(3, "radio", "Radio") + serviceXml(4, "lower", "radio") +
                     serviceXml(5, "caps", "TV", "<Scrambled>TRUE</Scrambled>")));
    EXPECT_EQ(testdata::listed(db), "music=2 lower=4 caps=5 radio=3 ");
    EXPECT_EQ(db.service(kTv, 2)->scrambled, 0);
}

TEST_F(ChannelListRead, BandsAndFecNamesTakeTheirCodes) {
    auto carrier = [](const std::string& band, const std::string& fec) {
        return "<Carrier><Band>" + band + "</Band><FEC>" + fec + "</FEC></Carrier>";
    };
    readText(listXml(serviceXml(1, "a", "TV", carrier("C-Band", "8PSK_9_10")) +
                     serviceXml(2, "b", "TV", carrier("Ku", "8psk_9_10")) +
                     serviceXml(3, "c", "TV", carrier("KU", "")) +
                     serviceXml(4, "d", "TV", carrier("Kua", "DVBS_1_2"))));
    std::vector<std::pair<int, int>> codes;  // band, FEC
    for (const Service* s : db.services(kTv))
        codes.emplace_back(s->carrierBand, s->carrierFec);
    EXPECT_EQ(codes, (std::vector<std::pair<int, int>>{{0, 19}, {1, 20}, {2, 20}, {2, 1}}));
}

TEST_F(ChannelListRead, UnknownElementsAndMisplacedValuesAreSkipped) {
    readText(listXml("<Vendor><Service><Name>hidden</Name></Service></Vendor>" +
                     serviceXml(1, "kept", "TV", "<Nid>5</Nid><Extra><Sid>9</Sid></Extra>") +
                     "<Comment>x</Comment>"));
    EXPECT_EQ(testdata::listed(db), "kept=1 ");
    EXPECT_EQ(db.service(kTv, 0)->sid, 1);
}

// Files that hold no list leave the database empty, also when it held services before. The
// parser's failures are shown by its name for the code; a list under another root is no failure.
TEST_F(ChannelListRead, FilesWithoutAListGiveTheParsersCodeAndName) {
    fixtures::TempDir dir;
    std::filesystem::create_directories(dir / "folder.xml");
    const std::string one = listXml(serviceXml(1, "a", "TV"));
    struct Case {
        const char* file;
        std::optional<std::string> text;  // nothing: not written
        int rc;
        std::vector<std::string> shown;
        int services;
    };
    const Case cases[] = {
        {"missing.xml", std::nullopt, 101, {"NO_SUCH_FILE"}, 0},
        {"folder.xml", std::nullopt, 102, {"INSUFFICIENT_MEMORY"}, 0},
        {"empty.xml", "", 12, {"SYNTAX_ERR"}, 0},
        {"unclosed.xml", "<Servicelist><Service></Servicelist>", 12, {"SYNTAX_ERR"}, 0},
        {"root.xml", "<ServiceList>" + serviceXml(1, "a", "TV") + "</ServiceList>", 0, {}, 0},
        // The parser reads up to the first NUL: what follows it is never looked at.
        {"nul.xml", std::string("\0", 1) + one, 0, {}, 0},
        {"tail.xml", one + std::string("\0<junk", 6), 0, {}, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.file);
        db.addService(testdata::service(kTv, 1, "old"));
        p.entries.clear();
        if (c.text)
            fixtures::writeFile(dir / c.file, *c.text);
        const int rc = ChannelListFile::read(db, dir / c.file, p);
        EXPECT_EQ(rc, c.rc);
        EXPECT_EQ(db.countServices(kTv), c.services);
        EXPECT_EQ(p.texts(), c.shown);
        for (const auto& e : p.entries) {
            EXPECT_EQ(e.text, ChannelListFile::ixmlErrorName(rc));
            EXPECT_EQ(e.icon, shell::PromptIcon::Error);
        }
    }
    // Codes the library never gives have no name of their own.
    EXPECT_STREQ(ChannelListFile::ixmlErrorName(103), "** UNKNOWN EROR CODE !! **");
    EXPECT_STREQ(ChannelListFile::ixmlErrorName(-1), "** UNKNOWN EROR CODE !! **");
}

// A list cut short by a receiver that dropped the connection: every cut is refused (or, before
// the first element, reads as empty), from a file exactly as from memory. The parser once read
// past the end of such text in an unclosed CDATA section and in a character reference.
TEST_F(ChannelListRead, AListCutAnywhereIsRefusedTheSameFromAFileAndFromMemory) {
    const std::string full =
        listXml(serviceXml(1, "<![CDATA[Kanal]]>", "TV") + serviceXml(2, "S&#xFC;d &#228;", "TV"));
    fixtures::TempDir dir;
    for (std::size_t cut = 1; cut < full.size() - 1; ++cut) {
        const std::string part = full.substr(0, cut);
        fixtures::writeFile(dir / "cut.xml", part);
        ChannelDatabase fromFile;
        ChannelDatabase fromText;
        const int rc = ChannelListFile::read(fromFile, dir / "cut.xml", p);
        EXPECT_EQ(ChannelListFile::readText(fromText, part, p), rc) << cut;
        EXPECT_EQ(fromFile.countServices(kTv), 0) << cut;
        EXPECT_EQ(fromText.countServices(kTv), 0) << cut;
    }
    EXPECT_EQ(readText(full), 0);
    EXPECT_EQ(db.countServices(kTv), 2);
    EXPECT_EQ(readText("<Servicelist><Name><![CDATA[x\x02"), 12);
    EXPECT_EQ(readText("<Servicelist><Name>&#x"), 106);
    EXPECT_EQ(readText("<Servicelist><Name>&#12"), 106);
}

TEST_F(ChannelListRead, TablesStopAtTheirCapacity) {
    std::string body;
    for (int i = 1; i <= 3501; ++i)
        body += serviceXml(i, "tv" + std::to_string(i), "TV");
    for (int i = 1; i <= 1501; ++i)
        body += serviceXml(i, "r" + std::to_string(i), "Radio");
    readText(listXml(body));
    EXPECT_EQ(db.countServices(kTv), 3500);
    EXPECT_EQ(db.service(kTv, 3499)->name, "tv3500");
    EXPECT_EQ(db.countServices(kRadio), 1500);
    EXPECT_EQ(db.service(kRadio, 1499)->name, "r1500");
}

TEST_F(ChannelListRead, FavoritesResolveByTablePositionAndTheNinthGroupIsDropped) {
    std::string body = serviceXml(1, "t1", "TV") + serviceXml(2, "t2", "TV") +
                       serviceXml(1, "r1", "Radio") + "<Favoritelist>";
    for (int i = 0; i < 9; ++i)
        body += groupXml("G" + std::to_string(i), "TV", {2, 0, 3501, 1, 2});
    body += groupXml("Radios", "Radio", {1, 2});
    body +=
        "<FavoriteGroup><Name>late</Name><ChannelNo>1</ChannelNo>"
        "<ServiceType>Radio</ServiceType><ChannelNo>1</ChannelNo></FavoriteGroup>";
    body += "</Favoritelist>";
    readText(listXml(body));
    auto tv = db.favoriteGroups(kTv);
    ASSERT_EQ(tv.size(), 8u);
    for (int k = 0; k < 8; ++k)
        EXPECT_EQ(
            std::tuple(tv[static_cast<std::size_t>(k)]->id, tv[static_cast<std::size_t>(k)]->name),
            std::tuple(1 << k, "G" + std::to_string(k)));
    // 0 and 3501 have no slot; the second 2 is the same service again.
    EXPECT_EQ(testdata::members(*tv[0]), "t2 t1 ");
    auto radio = db.favoriteGroups(kRadio);
    ASSERT_EQ(radio.size(), 2u);
    EXPECT_EQ(radio[0]->name, "Radios");
    EXPECT_EQ(testdata::members(*radio[0]), "r1 ");
    // A ChannelNo before the group's ServiceType was taken while the group was still TV.
    EXPECT_EQ(radio[1]->name, "late");
    EXPECT_EQ(testdata::members(*radio[1]), "t1 r1 ");
}

TEST_F(ChannelListRead, SatellitesAndTranspondersAreReadWithTheirIds) {
    readText(
        listXml("<Satellitelist><Satellite><SatName>Astra 19.2\xC2\xB0"
                "E</SatName><Longitude>192</Longitude><Band>Ku</Band>"
                "<Transponder><Frequency>11362</Frequency><SymbolRate>22000</SymbolRate>"
                "<Tsid>1</Tsid><Onid>2</Onid><Nid>3</Nid><Pol>H</Pol><FEC>DVBS_2_3</FEC>"
                "</Transponder></Satellite><Satellite><SatName>Hot Bird</SatName>"
                "<Band>C</Band></Satellite></Satellitelist>"));
    ASSERT_EQ(db.countSatellites(), 2);
    const Satellite& s = *db.satellite(1);
    EXPECT_EQ(s.name,
              "Astra 19.2\xC2\xB0"
              "E");
    EXPECT_EQ(std::tuple(s.longitude, s.band, db.satellite(2)->band), std::tuple(192, 1, 0));
    ASSERT_TRUE(s.transponders[0]);
    const Transponder& t = *s.transponders[0];
    EXPECT_EQ(std::tuple(t.satelliteId, t.frequency, t.nid, t.polarization, t.fec),
              std::tuple(1, 11362, 3, 'H', 2));
}

TEST_F(ChannelListRead, NonAsciiNamesStayUtf8AndLongNamesAreCutAtACharacter) {
    std::string longName;
    for (int i = 0; i < 100; ++i)
        longName += "\xE2\x82\xAC";  // 300 bytes of euro signs
    readText(listXml(serviceXml(1, "\xC3\x96sterreich \xE6\x97\xA5\xE6\x9C\xAC", "TV") +
                     serviceXml(2, longName, "TV")));
    EXPECT_EQ(db.service(kTv, 0)->name, "\xC3\x96sterreich \xE6\x97\xA5\xE6\x9C\xAC");
    EXPECT_EQ(db.service(kTv, 1)->name, longName.substr(0, 255));  // 85 whole characters
}

class ChannelListWrite : public ::testing::Test {
  protected:
    // Services of a kind named as given, numbered from 1, shown in the editor.
    void add(int kind, const std::vector<std::string>& names) {
        for (std::size_t i = 0; i < names.size(); ++i)
            editor.database().addService(
                testdata::service(kind, static_cast<int>(i) + 1, names[i]));
        editor.fillFromDatabase();
    }
    // Writes the editor's list to NAME and reads it back into `back`.
    void saveAndReadBack(const std::string& name) {
        ASSERT_TRUE(editor.writeChannelList(dir / name, false));
        ASSERT_EQ(ChannelListFile::read(back, dir / name, prompter), 0);
    }

    fixtures::RecordingPrompter prompter;
    ChannelListEditor editor{prompter};
    fixtures::TempDir dir;
    ChannelDatabase back;
};

TEST_F(ChannelListWrite, OneServiceGivesTheExactLayout) {
    auto s = testdata::service(kTv, 1, "ABC");
    s->sid = 0;
    editor.database().addService(std::move(s));
    editor.fillFromDatabase();
    ASSERT_TRUE(editor.writeChannelList(dir / "one.xml", false));
    EXPECT_EQ(fixtures::readFile(dir / "one.xml"),
              "<?xml version=\"1.0\"?>\r\n"
              "<Servicelist>\r\n"
              "  <Service>\r\n"
              "    <ChannelNo>1</ChannelNo>\r\n"
              "    <Name>ABC</Name>\r\n"
              "    <Sid>0</Sid>\r\n"
              "    <Tsid>0</Tsid>\r\n"
              "    <Onid>0</Onid>\r\n"
              "    <Carrier Type=\"DVBC\">\r\n"
              "    <Frequency>0</Frequency>\r\n"
              "    <SymbolRate>0</SymbolRate>\r\n"
              "    <QAM>0</QAM>\r\n"
              "    </Carrier>\r\n"
              "    <Vpid>0</Vpid>\r\n"
              "    <Apid>0</Apid>\r\n"
              "    <PCRpid>0</PCRpid>\r\n"
              "    <Scrambled>false</Scrambled>\r\n"
              "    <Skipped>false</Skipped>\r\n"
              "    <Locked>false</Locked>\r\n"
              "    <ServiceType>TV</ServiceType>\r\n"
              "  </Service>\r\n"
              "    <Favoritelist></Favoritelist>\r\n"
              "</Servicelist>\r\n");
    EXPECT_EQ(editor.currentPath(), dir / "one.xml");
    EXPECT_TRUE(prompter.entries.empty());
}

TEST_F(ChannelListWrite, RoundTripKeepsEscapedAndLongNonAsciiNamesAndFavorites) {
    std::string longName;
    for (int i = 0; i < 70; ++i)
        longName += "\xC3\xA9";  // 70 characters: more than the old 63-character buffer
    add(kTv, {"TV <1>", longName, "TV <3>"});
    add(kRadio, {"Radio & 1", "Radio & 2"});
    FavoriteGroup* news = editor.createFavorite(kTv);
    editor.selectOnly({2, 1});
    editor.addToFavorite(news);
    editor.renameFavorite(news, "News \xC3\xBC");
    FavoriteGroup* music = editor.createFavorite(kRadio);
    music->append(editor.database().service(kRadio, 1));
    music->append(editor.database().service(kRadio, 0));
    saveAndReadBack("list.xml");
    EXPECT_EQ(testdata::listed(back),
              "TV <1>=1 " + longName + "=2 TV <3>=3 Radio & 1=1 Radio & 2=2 ");
    ASSERT_EQ(back.favoriteGroups(kTv).size(), 1u);
    EXPECT_EQ(back.favoriteGroups(kTv)[0]->name, "News \xC3\xBC");
    EXPECT_EQ(testdata::members(*back.favoriteGroups(kTv)[0]), longName + " TV <3> ");
    EXPECT_EQ(testdata::members(*back.favoriteGroups(kRadio).at(0)), "Radio & 2 Radio & 1 ");
}

TEST_F(ChannelListWrite, SatellitesAreNeverWritten) {
    fixtures::writeFile(dir / "in.xml",
                        listXml("<Satellitelist><Satellite><SatName>S</SatName></Satellite>"
                                "</Satellitelist>" +
                                serviceXml(1, "a", "TV")));
    ASSERT_TRUE(editor.openFile(dir / "in.xml"));
    EXPECT_EQ(editor.database().countSatellites(), 1);
    saveAndReadBack("out.xml");
    EXPECT_EQ(fixtures::readFile(dir / "out.xml").find("Satellite"), std::string::npos);
    EXPECT_EQ(testdata::listed(back), "a=1 ");
}

TEST_F(ChannelListWrite, GapsAskForRenumberingAndNoWritesNothing) {
    editor.database().addService(testdata::service(kTv, 5, "five"));
    editor.database().addService(testdata::service(kTv, 2, "two"));
    editor.fillFromDatabase();
    prompter.answerNo();
    EXPECT_EQ(editor.writeChannelList(dir / "no.xml", false).kind,
              ChannelListEditor::WriteResult::Declined);
    EXPECT_FALSE(std::filesystem::exists(dir / "no.xml"));
    EXPECT_TRUE(editor.currentPath().empty());
    EXPECT_EQ(prompter.texts(),
              std::vector<std::string>{"Renumbering is necessary.\n\nDo you want renumbering?"});

    prompter.answerYes();
    ASSERT_TRUE(editor.writeChannelList(dir / "yes.xml", true));
    EXPECT_TRUE(editor.currentPath().empty());  // the temporary copy keeps the current path
    EXPECT_EQ(testdata::listed(editor.database()), "two=1 five=2 ");
}

TEST_F(ChannelListWrite, TheHiddenListIsPutInOrderSoItsFavoritesSurvive) {
    add(kTv, {"tv"});
    editor.database().addService(testdata::service(kRadio, 9, "nine"));
    editor.database().addService(testdata::service(kRadio, 4, "four"));
    editor.fillFromDatabase();
    editor.createFavorite(kRadio)->append(editor.database().service(kRadio, 0));  // "nine"
    prompter.answerYes();
    saveAndReadBack("l.xml");
    ASSERT_EQ(back.favoriteGroups(kRadio).size(), 1u);
    EXPECT_EQ(testdata::members(*back.favoriteGroups(kRadio)[0]), "nine ");
}

TEST_F(ChannelListWrite, ControlCharactersInNamesNeverMakeTheFileUnreadable) {
    editor.database().addService(
        testdata::service(kTv, 2, "\xC3\xA4\xFF\xC3\xEF\xBF\xBE\xED\xA0\x80\xF0\x9F\x98\x80"));
    editor.database().addService(testdata::service(kTv, 1, std::string("bad\x01name\x1b")));
    editor.fillFromDatabase();
    editor.createFavorite(kTv)->name = "fav\x02";
    saveAndReadBack("c.xml");
    // Whole characters stay; each byte that starts no valid character becomes '?'.
    EXPECT_EQ(testdata::listed(back), "bad name =1 \xC3\xA4????????\xF0\x9F\x98\x80=2 ");
    EXPECT_EQ(back.favoriteGroups(kTv)[0]->name, "fav ");
}

TEST_F(ChannelListWrite, AfterAnEditTheFileStandsInNumberOrderAndFavoritesSurvive) {
    add(kTv, {"A", "B", "C", "D", "E"});
    editor.selectOnly({1});  // B
    ASSERT_NE(editor.addToNewFavorite(kTv), nullptr);
    Service copy = *editor.row(1).service;
    copy.channelNumber = 4;  // B becomes 4, C and D move up
    ASSERT_TRUE(editor.applyEdit(1, copy));
    saveAndReadBack("e.xml");
    EXPECT_TRUE(prompter.entries.empty());  // the numbers were right: nothing to ask
    EXPECT_EQ(testdata::listed(back), "A=1 C=2 D=3 B=4 E=5 ");
    EXPECT_EQ(testdata::members(*back.favoriteGroups(kTv)[0]), "B ");
}

TEST_F(ChannelListWrite, AWriteThatFailsLeavesTheOldFileAndTheCurrentNameAndSaysWhy) {
    add(kTv, {"a"});
    fixtures::writeFile(dir / "list.xml", "the old list");
    editor.setCurrentPath(dir / "old.xml");
    // A file-size limit stops the write part-way, as a full disk would.
    rlimit saved{};
    ::getrlimit(RLIMIT_FSIZE, &saved);
    rlimit small = saved;
    small.rlim_cur = 100;
    auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    ::setrlimit(RLIMIT_FSIZE, &small);
    const auto result = editor.writeChannelList(dir / "list.xml", false);
    ::setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, oldHandler);
    EXPECT_EQ(result.kind, ChannelListEditor::WriteResult::Failed);
    EXPECT_EQ(fixtures::readFile(dir / "list.xml"), "the old list");
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()), {}), 1);
    EXPECT_EQ(editor.currentPath(), dir / "old.xml");
    ASSERT_EQ(prompter.entries.size(), 1u);
    EXPECT_EQ(prompter.entries[0].icon, shell::PromptIcon::Error);
    EXPECT_NE(prompter.entries[0].text.find("list.xml"), std::string::npos);

    EXPECT_EQ(editor.writeChannelList(dir / "no" / "folder.xml", true).kind,
              ChannelListEditor::WriteResult::Failed);
    EXPECT_EQ(prompter.entries.size(), 2u);
}

TEST_F(ChannelListWrite, ANameWithALineFeedIsWrittenUnchangedAtEverySave) {
    add(kTv, {"two\nlines"});
    for (int round = 0; round < 3; ++round) {
        ASSERT_TRUE(editor.writeChannelList(dir / "lf.xml", false));
        ASSERT_TRUE(ChannelListEditor::readSucceeded(editor.readChannelList(dir / "lf.xml")));
    }
    EXPECT_EQ(editor.database().service(kTv, 0)->name, "two\nlines");
}

TEST_F(ChannelListWrite, AServiceTurnedIntoRadioIsSavedInTheRadioTable) {
    add(kTv, {"tv1", "tv2", "tv3"});
    add(kRadio, {"radio1"});
    editor.selectOnly({0});
    ASSERT_NE(editor.addToNewFavorite(kTv), nullptr);
    Service copy = *editor.row(0).service;
    copy.serviceType = kRadio;
    ASSERT_TRUE(editor.applyEdit(0, copy));
    EXPECT_EQ(editor.rowCount(), 2);
    saveAndReadBack("t.xml");
    EXPECT_EQ(testdata::listed(back), "tv2=1 tv3=2 radio1=1 tv1=2 ");
    EXPECT_EQ(back.favoriteGroups(kTv)[0]->memberCount(), 0);
}

}  // namespace
}  // namespace velkport::channels
