#include <gtest/gtest.h>

#include "velkport/channels/ChannelDatabase.h"
#include "velkport/channels/FecTable.h"
#include "velkport/channels/tests/ChannelTestData.h"

namespace velkport::channels {
namespace {

using testdata::service;

TEST(ChannelDatabase, ServicesGoToTheFirstFreeSlotOfTheirKindAndDataIsNeverKept) {
    ChannelDatabase db;
    EXPECT_TRUE(db.addService(service(kTv, 1, "A")));
    EXPECT_TRUE(db.addService(service(kTv, 2, "B")));
    EXPECT_TRUE(db.addService(service(kRadio, 1, "R")));
    EXPECT_FALSE(db.addService(service(kData, 1, "D")));
    EXPECT_EQ(testdata::listed(db), "A=1 B=2 R=1 ");
    db.removeService(db.service(kTv, 0));
    EXPECT_TRUE(db.addService(service(kTv, 3, "C")));
    EXPECT_EQ(testdata::listed(db, {kTv}), "C=3 B=2 ");
}

TEST(ChannelDatabase, RebuildingATableFollowsTheGivenOrderAndLosesNoService) {
    ChannelDatabase db;
    for (int i = 1; i <= 4; ++i)
        db.addService(service(kTv, i, std::string(1, static_cast<char>('A' + i - 1))));
    auto all = db.services(kTv);
    // D and B in that order; A and C are left out and must follow, not vanish.
    db.rebuildTable(kTv, {all[3], all[1]});
    EXPECT_EQ(testdata::listed(db, {kTv}), "D=4 B=2 A=1 C=3 ");
}

TEST(ChannelDatabase, SatellitesTakeIdSlotPlusOneUntilTwoHundred) {
    ChannelDatabase db;
    for (int i = 1; i <= kMaxSatellites; ++i) {
        Satellite* s = db.newSatellite();
        ASSERT_NE(s, nullptr);
        EXPECT_EQ(s->id, i);
        EXPECT_EQ(s->name, "New Satellite");
    }
    EXPECT_EQ(db.newSatellite(), nullptr);
    db.deleteSatellite(7);
    EXPECT_EQ(db.newSatellite()->id, 7);
}

TEST(ChannelDatabase, TranspondersNeedTheirSatelliteAndStopAtThreeHundred) {
    ChannelDatabase db;
    EXPECT_FALSE(db.addTransponder(1, std::make_unique<Transponder>()));
    db.newSatellite();
    for (int i = 0; i < kMaxTransponders; ++i)
        ASSERT_TRUE(db.addTransponder(1, std::make_unique<Transponder>()));
    EXPECT_FALSE(db.addTransponder(1, std::make_unique<Transponder>()));
}

TEST(ChannelDatabase, FavoriteIdsAreBitsOfTheirSlot) {
    ChannelDatabase db;
    auto group = [](int kind, int id) {
        return std::make_unique<FavoriteGroup>(FavoriteGroup{.id = id, .kind = kind});
    };
    EXPECT_TRUE(db.addFavoriteGroup(group(kTv, 1)));
    EXPECT_TRUE(db.addFavoriteGroup(group(kTv, 2)));
    EXPECT_EQ(db.freeFavoriteId(kTv), 4);
    EXPECT_EQ(db.freeFavoriteId(kRadio), 1);
    EXPECT_FALSE(db.addFavoriteGroup(group(kTv, 2)));    // slot taken
    EXPECT_FALSE(db.addFavoriteGroup(group(kTv, 3)));    // not one bit
    EXPECT_FALSE(db.addFavoriteGroup(group(kTv, 256)));  // beyond the eighth slot
    for (int k = 2; k < 8; ++k)
        EXPECT_TRUE(db.addFavoriteGroup(group(kTv, 1 << k)));
    EXPECT_EQ(db.freeFavoriteId(kTv), -1);
    EXPECT_EQ(favoriteSlot(128), 7);
    EXPECT_EQ(favoriteSlot(0), -1);
    EXPECT_EQ(favoriteSlot(-128), -1);
}

TEST(FavoriteGroup, HoldsAtMostOneHundredMembersAndClosesUpOnRemoval) {
    ChannelDatabase db;
    for (int i = 0; i < 101; ++i)
        db.addService(service(kTv, i + 1, "s"));
    FavoriteGroup g;
    for (int i = 0; i < 100; ++i)
        ASSERT_TRUE(g.append(db.service(kTv, i)));
    EXPECT_FALSE(g.append(db.service(kTv, 100)));
    g.remove(db.service(kTv, 0));
    EXPECT_EQ(g.memberCount(), 99);
    EXPECT_EQ(g.members[0], db.service(kTv, 1));
    EXPECT_EQ(g.members[99], nullptr);
}

TEST(FecTable, NamesMatchExactlyAndCaseSensitively) {
    EXPECT_EQ(FecTable::codeOf("DVBS_1_2"), 1);
    EXPECT_EQ(FecTable::codeOf("8PSK_9_10"), 19);
    EXPECT_EQ(FecTable::codeOf("8psk_9_10"), 20);
    EXPECT_EQ(FecTable::nameOf(FecTable::codeOf("8psk_9_10")), "UNDEFINED");
    EXPECT_EQ(FecTable::codeOf(""), 20);
    EXPECT_EQ(FecTable::nameOf(11), "DVBS2_QPSK_5_6");
    EXPECT_EQ(FecTable::nameOf(0), "UNDEFINED");
}

TEST(ChannelText, CutsKeepWholeCharactersAndNumbersReadLikeAtoi) {
    std::string umlauts;
    for (int i = 0; i < 200; ++i)
        umlauts += "\xC3\xA4";  // 400 bytes
    const std::string cut = cutUtf8(umlauts);
    EXPECT_EQ(cut.size(), 254u);  // 255 would split the 128th character
    EXPECT_EQ(cutUtf8("abc"), "abc");
    EXPECT_EQ(leadingInt("  42abc"), 42);
    EXPECT_EQ(leadingInt("-7"), -7);
    EXPECT_EQ(leadingInt("x1"), 0);
    EXPECT_EQ(leadingInt("99999999999999"), 2147483647);
    EXPECT_EQ(leadingInt("-99999999999999"), -2147483647 - 1);
}

}  // namespace
}  // namespace velkport::channels
