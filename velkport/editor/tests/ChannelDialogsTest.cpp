#include <gtest/gtest.h>

#include <functional>
#include <tuple>

#include "tests/fixtures/RecordingPrompter.h"
#include "velkport/channels/tests/ChannelTestData.h"
#include "velkport/editor/ChannelInfoDialog.h"
#include "velkport/editor/InputDialog.h"
#include "velkport/editor/SatelliteTransponderDialog.h"

namespace velkport::editor {
namespace {

using namespace channels;

using shell::PromptIcon;

// The last message shown.
std::string said(const fixtures::RecordingPrompter& p) {
    return p.entries.empty() ? "" : p.entries.back().text;
}

// ---- Channel Info

class ChannelInfo : public ::testing::Test {
  protected:
    bool accept(int rows = 5) { return ChannelInfoDialog::accept(fields, rows, copy, prompter); }

    Service service{.channelNumber = 2,
                    .name = "ZDF",
                    .sid = 28006,
                    .onid = 1,
                    .tsid = 1079,
                    .vpid = 110,
                    .carrierFrequency = 450000,
                    .carrierSymbolRate = 6900,
                    .carrierQam = 256};
    Service copy;
    ChannelInfoFields fields = ChannelInfoDialog::fill(service);
    fixtures::RecordingPrompter prompter;
};

TEST_F(ChannelInfo, OpeningFillsEveryControlFromTheCopy) {
    EXPECT_EQ(fields.channelNumber, "2");
    EXPECT_EQ(fields.name, "ZDF");
    EXPECT_EQ(fields.qam, 2);
    EXPECT_EQ(fields.videoPid, "110");
    service.carrierQam = 16;
    EXPECT_EQ(ChannelInfoDialog::fill(service).qam, -1);  // not 64, 128 or 256: no choice
}

// Every field starts wrong; each refusal names the first wrong field in the dialog's order, and
// mending that field moves the refusal on to the next.
TEST_F(ChannelInfo, ChecksRunInTheDialogsOrderAndNothingIsTakenWhileRefused) {
    fields.channelNumber = "0";
    fields.name.clear();
    fields.frequency.clear();
    fields.qam = -1;
    fields.sid = "-1";
    fields.oid.clear();
    fields.tsid = "-5";
    fields.symbolRate.clear();
    const std::pair<const char*, std::function<void()>> steps[] = {
        {"Channel Range : 1 ~ 5", [&] { fields.channelNumber = "6"; }},
        {"Channel Range : 1 ~ 5", [&] { fields.channelNumber = "5"; }},
        {"Fill a channel name", [&] { fields.name = "x"; }},
        {"Fill a frequency", [&] { fields.frequency = "1"; }},
        {"Select QAM", [&] { fields.qam = 0; }},
        {"Fill a Sid", [&] { fields.sid = "1"; }},
        {"Fill a Oid", [&] { fields.oid = "1"; }},
        {"Fill a Tsid", [&] { fields.tsid = "1"; }},
        {"Fill a symbol rate", [&] { fields.symbolRate = "1"; }},
    };
    for (const auto& [text, mend] : steps) {
        EXPECT_FALSE(accept());
        EXPECT_EQ(said(prompter), text);
        EXPECT_EQ(prompter.entries.back().icon, PromptIcon::Error);
        mend();
    }
    EXPECT_EQ(copy.name, "");
    EXPECT_TRUE(accept());
    EXPECT_EQ(copy.name, "x");
}

TEST_F(ChannelInfo, OkTakesTheFieldsButNotThePids) {
    copy = service;
    fields.channelNumber = "4";
    fields.name = std::string(300, 'n');
    fields.qam = 1;
    fields.serviceType = 1;
    fields.locked = 1;
    fields.skipped = 1;
    fields.scrambled = 1;
    fields.videoPid = "999";
    ASSERT_TRUE(accept());
    EXPECT_EQ(copy.name.size(), 255u);
    EXPECT_EQ(std::tuple(copy.channelNumber, copy.carrierQam, copy.serviceType, copy.locked,
                         copy.skipped, copy.scrambled, copy.sid),
              std::tuple(4, 128, kRadio, 1, 1, 1, 28006));
    EXPECT_EQ(copy.vpid, 110);  // the PIDs are shown only
}

// ---- Input

TEST(Input, NumbersOutsideTheListAndSelectedTargetsAreRefused) {
    fixtures::RecordingPrompter p;
    EXPECT_EQ(InputDialog::accept("0", InputMode::Start, 5, {}, p), std::nullopt);
    EXPECT_EQ(p.entries.back().text, "Input Channel Range : 1 ~ 5");
    EXPECT_EQ(InputDialog::accept("6", InputMode::Start, 5, {}, p), std::nullopt);
    EXPECT_EQ(InputDialog::accept("", InputMode::Start, 5, {}, p), std::nullopt);
    EXPECT_EQ(InputDialog::accept("5", InputMode::Start, 5, {}, p), 5);
    EXPECT_EQ(InputDialog::accept("3", InputMode::Move, 5, {2, 3}, p), std::nullopt);
    EXPECT_EQ(p.entries.back().text, "Selected channel can not be target number");
    EXPECT_EQ(InputDialog::accept("3", InputMode::Start, 5, {2, 3}, p), 3);
    EXPECT_EQ(InputDialog::accept("1", InputMode::Move, 5, {2, 3}, p), 1);
    EXPECT_EQ(InputDialog::title(InputMode::Start), "Input Start Channel Number");
    EXPECT_EQ(InputDialog::prompt(InputMode::Move), "Enter target channel number");
}

// ---- Satellite & Transponder

class SatTp : public ::testing::Test {
  protected:
    SatelliteFields fullSatellite() { return {"Astra", "9750", "10600", "22", "192", "0"}; }
    TransponderFields fullTransponder() { return {"11362", "22000", "1", "2", 1}; }

    fixtures::RecordingPrompter prompter;
    ChannelListEditor editor{prompter};
    SatelliteTransponderDialog dialog{editor};
};

TEST_F(SatTp, SatelliteSaveChecksTheFieldsInOrderThenTheSelection) {
    Satellite* s = dialog.newSatellite();
    ASSERT_NE(s, nullptr);
    EXPECT_EQ(SatelliteTransponderDialog::fieldsOf(*s).name, "New Satellite");
    // Every field empty; each refusal names the first empty one, in the dialog's order.
    SatelliteFields f;
    for (auto [field, text] : {std::pair{&SatelliteFields::name, "Fill a satellite name"},
                               {&SatelliteFields::lo1, "Fill a LO1Frequency"},
                               {&SatelliteFields::lo2, "Fill a LO2Frequency"},
                               {&SatelliteFields::bandSwitch, "Fill a BandSwitchFreq"},
                               {&SatelliteFields::longitude, "Fill a longitude"},
                               {&SatelliteFields::skewOffset, "Fill a SkewOffset"}}) {
        EXPECT_FALSE(dialog.saveSatellite(f));
        EXPECT_EQ(said(prompter), text);
        f.*field = fullSatellite().*field;
    }
    dialog.newSatellite();
    dialog.selectSatellites({0, 1});
    EXPECT_FALSE(dialog.saveSatellite(fullSatellite()));
    EXPECT_EQ(said(prompter), "Select just one satellite");
    dialog.clickSatellite(0);
    ASSERT_TRUE(dialog.saveSatellite(fullSatellite()));
    EXPECT_EQ(std::tuple(s->name, s->lo2, s->longitude), std::tuple("Astra", 10600, 192));
}

TEST_F(SatTp, TransponderSaveNeedsAPolarization) {
    EXPECT_EQ(dialog.newTransponder(), nullptr);  // no satellite yet
    dialog.newSatellite();
    Transponder* t = dialog.newTransponder();
    ASSERT_NE(t, nullptr);
    EXPECT_EQ(t->satelliteId, 1);
    TransponderFields f = fullTransponder();
    f.polarization = -1;
    EXPECT_FALSE(dialog.saveTransponder(f));
    EXPECT_EQ(said(prompter), "Select a polarization");
    f = fullTransponder();
    f.osid.clear();
    EXPECT_FALSE(dialog.saveTransponder(f));
    EXPECT_EQ(said(prompter), "Fill a Oid");
    ASSERT_TRUE(dialog.saveTransponder(fullTransponder()));
    EXPECT_EQ(std::tuple(t->polarization, t->onid), std::tuple('H', 2));
    EXPECT_EQ(SatelliteTransponderDialog::fieldsOf(*t).polarization, 1);
    TransponderFields v = fullTransponder();
    v.polarization = 0;
    dialog.saveTransponder(v);
    EXPECT_EQ(t->polarization, 'V');
}

TEST_F(SatTp, DeletingASatelliteRemovesItsServicesOnlyAfterYes) {
    auto& db = editor.database();
    dialog.newSatellite();  // id 1
    dialog.newSatellite();  // id 2
    db.addService(
        std::make_unique<Service>(Service{.satelliteId = 2, .channelNumber = 1, .name = "linked"}));
    db.addService(testdata::service(kTv, 2, "from a file"));  // satellite id 0
    editor.fillFromDatabase();
    editor.selectOnly({0, 1});
    FavoriteGroup* g = editor.addToNewFavorite(kTv);

    dialog.clickSatellite(0);
    prompter.answerYes();
    ASSERT_TRUE(dialog.deleteSatellites());
    EXPECT_EQ(prompter.entries.back().text,
              "Are you sure you want delete this satellite?\n\r\n\rAll channels are deleted in "
              "this satellite");
    EXPECT_EQ(db.countServices(kTv), 2);  // services with id 0 stay
    EXPECT_EQ(db.countSatellites(), 1);

    dialog.clickSatellite(0);  // now satellite 2
    prompter.answerNo();
    EXPECT_FALSE(dialog.deleteSatellites());
    EXPECT_EQ(db.countSatellites(), 1);
    prompter.answerYes();
    ASSERT_TRUE(dialog.deleteSatellites());
    EXPECT_EQ(db.countSatellites(), 0);
    EXPECT_EQ(testdata::listed(db), "from a file=2 ");
    ASSERT_EQ(editor.rowCount(), 1);
    EXPECT_EQ(editor.row(0).service->name, "from a file");
    EXPECT_EQ(testdata::members(*g), "from a file ");
}

TEST_F(SatTp, DeletingATransponderRemovesTheServicesOnItsFrequency) {
    auto& db = editor.database();
    dialog.newSatellite();
    Transponder* t = dialog.newTransponder();
    dialog.saveTransponder(fullTransponder());
    int number = 0;
    for (auto [frequency, name] : {std::pair{t->frequency, "on"}, {12000, "off"}})
        db.addService(std::make_unique<Service>(Service{.satelliteId = 1,
                                                        .transponderFrequency = frequency,
                                                        .channelNumber = ++number,
                                                        .name = name,
                                                        .serviceType = kRadio}));
    editor.fillFromDatabase();
    dialog.clickTransponder(0);
    prompter.answerYes();
    ASSERT_TRUE(dialog.deleteTransponders());
    EXPECT_TRUE(dialog.transponderRows().empty());
    EXPECT_EQ(testdata::listed(db), "off=2 ");
}

}  // namespace
}  // namespace velkport::editor
