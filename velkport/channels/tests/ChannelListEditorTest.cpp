#include <gtest/gtest.h>

#include <tuple>

#include "tests/fixtures/RecordingPrompter.h"
#include "velkport/channels/ChannelListEditor.h"
#include "velkport/channels/tests/ChannelTestData.h"

namespace velkport::channels {
namespace {

using shell::PromptIcon;

class ScriptedDialogs : public EditorDialogs {
  public:
    std::optional<int> askNumber(InputMode mode, int, const std::vector<int>& selected) override {
        lastMode = mode;
        lastSelected = selected;
        return number;
    }
    bool editService(Service& copy, int) override {
        if (!edit)
            return false;
        edit(copy);
        return true;
    }
    std::optional<int> number;
    std::function<void(Service&)> edit;
    InputMode lastMode = InputMode::Start;
    std::vector<int> lastSelected;
};

class Editor : public ::testing::Test {
  protected:
    // TV rows named A, B, C ... numbered as given, in that table order, and radio services
    // named R and their number. The TV list is shown.
    void load(const std::vector<int>& tv, const std::vector<int>& radio = {}) {
        for (std::size_t i = 0; i < tv.size(); ++i)
            editor.database().addService(
                testdata::service(kTv, tv[i], std::string(1, static_cast<char>('A' + i))));
        for (int n : radio)
            editor.database().addService(testdata::service(kRadio, n, "R" + std::to_string(n)));
        editor.fillFromDatabase();
    }
    // "name=number " for every row shown.
    std::string shown() const {
        std::string out;
        for (const auto& r : editor.rows())
            out += r.service->name + "=" + std::to_string(r.shownNumber()) + " ";
        return out;
    }
    // COUNT numbers from FIRST on.
    static std::vector<int> range(int first, int count) {
        std::vector<int> out;
        for (int i = 0; i < count; ++i)
            out.push_back(first + i);
        return out;
    }
    // The rows selected and put into a new TV group.
    FavoriteGroup* newGroupOf(const std::vector<int>& rows) {
        editor.selectOnly(rows);
        return editor.addToNewFavorite(kTv);
    }
    // "name=number " for every TV service in table order.
    std::string table() const { return testdata::listed(editor.database(), {kTv}); }

    fixtures::RecordingPrompter prompter;
    ChannelListEditor editor{prompter};
    ScriptedDialogs dialogs;
};

// ---- renumbering and sorting

TEST_F(Editor, RenumberingNumbersTheShownRowsFromOneAndTheTableFollows) {
    load({5, 2, 9});
    editor.sortByColumn(Column::ServiceName);  // the first header click sorts ascending: A B C
    editor.sortByColumn(Column::ServiceName);  // descending: C B A
    ASSERT_EQ(shown(), "C=9 B=2 A=5 ");
    editor.renumber();
    EXPECT_EQ(shown(), "C=1 B=2 A=3 ");
    EXPECT_EQ(table(), "C=1 B=2 A=3 ");
}

TEST_F(Editor, HeaderClicksToggleTheDirectionAndKeepTheFocusedService) {
    load({3, 1, 2});
    editor.setFocusedRow(0);  // A
    editor.sortByColumn(Column::ChannelNo);
    EXPECT_EQ(editor.row(editor.focusedRow()).service->name, "A");
    EXPECT_TRUE(editor.sortAscending());
    EXPECT_EQ(shown(), "B=1 C=2 A=3 ");
    editor.sortByColumn(Column::ServiceName);
    EXPECT_FALSE(editor.sortAscending());
    EXPECT_EQ(shown(), "C=2 B=1 A=3 ");
    editor.sortByColumn(Column::ChannelNo);
    EXPECT_TRUE(editor.sortAscending());
    EXPECT_EQ(shown(), "B=1 C=2 A=3 ");
}

TEST_F(Editor, NumericColumnsSortByValueTextColumnsByText) {
    auto& db = editor.database();
    for (int f : {900, 10000, 80}) {
        auto s = testdata::service(kTv, 1, "x");
        s->carrierFrequency = f;
        db.addService(std::move(s));
    }
    editor.fillFromDatabase();
    editor.sortByColumn(Column::Frequency);
    EXPECT_EQ(editor.cellText(0, Column::Frequency), "80");
    EXPECT_EQ(editor.cellText(2, Column::Frequency), "10000");
    EXPECT_EQ(editor.cellText(0, Column::ServiceType), "TV");
    EXPECT_EQ(editor.cellText(0, Column::Scrambled), "false");
}

// ---- numbering mode

TEST_F(Editor, NumberingFromThreeClickingDThenAOrdersBCDAE) {
    load({1, 2, 3, 4, 5});
    ASSERT_TRUE(editor.startNumberingAt(3));
    editor.numberingClick(3);  // D
    editor.numberingClick(0);  // A
    EXPECT_EQ(shown(), "A=4 B=2 C=3 D=3 E=5 ");
    EXPECT_EQ(editor.numberingNext(), 5);
    editor.endNumbering();
    EXPECT_EQ(shown(), "B=1 C=2 D=3 A=4 E=5 ");
    EXPECT_EQ(table(), "B=1 C=2 D=3 A=4 E=5 ");
    EXPECT_FALSE(editor.numberingActive());
    EXPECT_EQ(editor.numberingNext(), -1);
}

TEST_F(Editor, ClickingTheLastNumberedRowTakesItsNumberBackAndCancelRestoresThemAll) {
    load({1, 2, 3, 4});
    editor.startNumberingAt(1);
    editor.numberingClick(2);  // C -> 1
    editor.numberingClick(3);  // D -> 2
    editor.numberingClick(2);  // earlier numbered: nothing
    EXPECT_EQ(shown(), "A=1 B=2 C=1 D=2 ");
    editor.numberingClick(3);  // last numbered: back to its own number
    EXPECT_EQ(shown(), "A=1 B=2 C=1 D=4 ");
    EXPECT_FALSE(editor.row(3).marked);
    EXPECT_EQ(editor.numberingNext(), 2);

    editor.cancelNumbering();  // every number as before
    EXPECT_EQ(shown(), "A=1 B=2 C=3 D=4 ");
    EXPECT_FALSE(editor.numberingActive());
}

TEST_F(Editor, NumberingStartsWithTheFocusedRowAndStopsAtTheRowCount) {
    load({1, 2, 3});
    editor.setFocusedRow(1);
    dialogs.number = 3;
    ASSERT_TRUE(editor.startNumbering(dialogs));
    EXPECT_EQ(dialogs.lastMode, InputMode::Start);
    EXPECT_TRUE(editor.row(1).marked);
    EXPECT_EQ(editor.row(1).shownNumber(), 3);
    editor.numberingClick(0);
    EXPECT_FALSE(editor.row(0).marked);
    ASSERT_EQ(prompter.entries.size(), 1u);
    EXPECT_EQ(prompter.entries[0].text, "Maximum channel number is 3");
    EXPECT_EQ(prompter.entries[0].icon, PromptIcon::Warning);
}

TEST_F(Editor, MenuCommandsFollowTheNumberingMode) {
    load({1, 2});
    editor.selectOnly({0});
    EXPECT_TRUE(editor.commandEnabled(kCmdStartNumbering));
    EXPECT_FALSE(editor.commandEnabled(kCmdEndNumbering));
    EXPECT_TRUE(editor.commandEnabled(kCmdEditChannel));
    EXPECT_TRUE(editor.commandEnabled(kCmdAddToNewTvFavorite));
    EXPECT_FALSE(editor.commandEnabled(kCmdAddToNewRadioFavorite));
    EXPECT_FALSE(editor.commandEnabled(kCmdAddToFavorite));  // no group selected
    editor.startNumberingAt(1);
    EXPECT_FALSE(editor.commandEnabled(kCmdStartNumbering));
    EXPECT_TRUE(editor.commandEnabled(kCmdEndNumbering));
    EXPECT_TRUE(editor.commandEnabled(kCmdCancelNumbering));
    EXPECT_FALSE(editor.commandEnabled(kCmdDeleteChannels));
    EXPECT_FALSE(editor.commandEnabled(kCmdMoveTo));
    EXPECT_FALSE(editor.deleteChannels());
}

TEST_F(Editor, SwitchingListsDuringNumberingAsksAndNoKeepsTheNumbering) {
    load({1, 2}, {2, 1});
    editor.startNumberingAt(1);
    editor.numberingClick(1);
    prompter.answerNo();
    EXPECT_FALSE(editor.switchView(true));
    EXPECT_TRUE(editor.numberingActive());
    EXPECT_FALSE(editor.radioView());
    prompter.answerYes();
    EXPECT_TRUE(editor.switchView(true));
    EXPECT_FALSE(editor.numberingActive());
    EXPECT_EQ(shown(), "R1=1 R2=2 ");  // the other list, sorted by number
    EXPECT_EQ(prompter.entries.back().text, "Do you want stop numbering");
    EXPECT_TRUE(editor.switchView(false));
    EXPECT_EQ(shown(), "A=1 B=2 ");
}

// ---- move to

TEST_F(Editor, MovingRowsPutsTheFirstMovedRowAtTheTargetNumberUpOrDown) {
    load({1, 2, 3, 4, 5});
    editor.selectOnly({3, 4});
    dialogs.number = 1;
    ASSERT_TRUE(editor.moveTo(dialogs));
    EXPECT_EQ(dialogs.lastMode, InputMode::Move);
    EXPECT_EQ(dialogs.lastSelected, (std::vector<int>{4, 5}));
    EXPECT_EQ(shown(), "D=1 E=2 A=3 B=4 C=5 ");
    EXPECT_EQ(table(), "D=1 E=2 A=3 B=4 C=5 ");
    EXPECT_EQ(editor.selectedRows(), (std::vector<int>{0, 1}));

    editor.selectOnly({0, 2});  // D and A down to 4: D stands at position 4 of the new order
    dialogs.number = 4;
    ASSERT_TRUE(editor.moveTo(dialogs));
    EXPECT_EQ(shown(), "E=1 B=2 C=3 D=4 A=5 ");
}

TEST_F(Editor, MoveAsksToSortFirstAndNoStops) {
    load({2, 1, 3});
    editor.selectOnly({0});
    dialogs.number = 3;
    prompter.answerNo();
    EXPECT_FALSE(editor.moveTo(dialogs));
    EXPECT_EQ(shown(), "A=2 B=1 C=3 ");
    EXPECT_EQ(prompter.entries.back().text,
              "Bofore move you must sort by channel number.\n\nDo you want sort by channel "
              "number?");
    prompter.answerYes();
    EXPECT_TRUE(editor.moveTo(dialogs));  // sorted to B A C, then A moves to 3
    EXPECT_EQ(shown(), "B=1 C=2 A=3 ");
}

TEST_F(Editor, DroppingRowsPutsThemAfterTheRowUnderTheCursorWithoutRenumbering) {
    load({1, 2, 3, 4});
    editor.selectOnly({0, 1});
    EXPECT_FALSE(editor.dropSelectedAfter(1));  // onto a selected row: nothing
    ASSERT_TRUE(editor.dropSelectedAfter(2));
    EXPECT_EQ(shown(), "C=3 A=1 B=2 D=4 ");
}

// ---- edit, add, delete, flags

TEST_F(Editor, EditingAChannelNumberShiftsTheNumbersInBetweenAndNeedsOneRow) {
    load({1, 2, 3, 4, 5});
    editor.selectOnly({1});
    dialogs.edit = [](Service& s) {
        s.channelNumber = 4;  // 2 -> 4: three and four move down
        s.name = "Bee";
    };
    ASSERT_TRUE(editor.editChannel(dialogs));
    EXPECT_EQ(shown(), "A=1 Bee=4 C=2 D=3 E=5 ");
    editor.selectOnly({4});
    dialogs.edit = [](Service& s) { s.channelNumber = 2; };  // 5 -> 2: two to four move up
    ASSERT_TRUE(editor.editChannel(dialogs));
    EXPECT_EQ(shown(), "A=1 Bee=5 C=3 D=4 E=2 ");

    // Edit needs exactly one row; a cancelled dialog changes nothing.
    editor.selectOnly({0, 1});
    EXPECT_FALSE(editor.editChannel(dialogs));
    editor.selectOnly({0});
    dialogs.edit = nullptr;
    EXPECT_FALSE(editor.editChannel(dialogs));
    EXPECT_EQ(shown(), "A=1 Bee=5 C=3 D=4 E=2 ");
}

TEST_F(Editor, AnEmptyChannelIsInsertedAtTheFocusedRowWithItsLinks) {
    auto s = testdata::service(kTv, 1, "A");
    s->satelliteId = 3;
    s->transponderFrequency = 11000;
    s->sid = 99;
    editor.database().addService(std::move(s));
    editor.database().addService(testdata::service(kTv, 2, "B"));
    editor.fillFromDatabase();
    editor.setFocusedRow(0);
    ASSERT_TRUE(editor.addEmptyChannel());
    ASSERT_EQ(editor.rowCount(), 3);
    const Service& e = *editor.row(0).service;
    EXPECT_EQ(std::tuple(e.name, e.channelNumber, e.satelliteId, e.transponderFrequency, e.sid),
              std::tuple("Empty Channel", 0, 3, 11000, 0));
    EXPECT_EQ(editor.database().countServices(kTv), 3);
    EXPECT_EQ(editor.database().service(kTv, 2), &e);  // first free slot
}

TEST_F(Editor, AnEmptyChannelNeedsConsecutiveNumbers) {
    load({1, 3});
    ASSERT_FALSE(editor.addEmptyChannel());
    EXPECT_EQ(editor.rowCount(), 2);
    ASSERT_EQ(prompter.entries.size(), 1u);
    EXPECT_EQ(prompter.entries[0].text,
              "Channel number is not correct. Channel rearrange is necessary");
    EXPECT_EQ(prompter.entries[0].icon, PromptIcon::Information);
}

TEST_F(Editor, AFullListRefusesAnEmptyChannel) {
    load({}, range(1, kMaxRadioServices));
    editor.switchView(true);
    editor.setFocusedRow(0);
    EXPECT_FALSE(editor.addEmptyChannel());
    EXPECT_EQ(editor.database().countServices(kRadio), kMaxRadioServices);
    EXPECT_TRUE(prompter.said("Can not add Radio channel. Maxium Radio channel is 1500"));
}

TEST_F(Editor, AServiceNumbered3500IsNotListedButStaysInTheTable) {
    load({1, 3500, 2});
    EXPECT_EQ(editor.rowCount(), 2);
    EXPECT_TRUE(prompter.said("Can not add TV channel. Maximum TV channel is 3500"));
    editor.renumber();
    EXPECT_EQ(editor.database().countServices(kTv), 3);  // never lost by a rebuild
    EXPECT_EQ(table(), "A=1 C=2 B=3500 ");
}

TEST_F(Editor, DeletingAsksByNameOrCountAndRemovesFromFavorites) {
    load({1, 2, 3, 4});
    FavoriteGroup* g = newGroupOf({0, 1, 2, 3});
    editor.selectOnly({1});
    prompter.answerNo();
    EXPECT_FALSE(editor.deleteChannels());
    EXPECT_EQ(prompter.entries.back().text, "Are you sure you want delete 'B' item ?");
    EXPECT_EQ(editor.rowCount(), 4);

    editor.selectOnly({1, 2});
    prompter.answerYes();
    ASSERT_TRUE(editor.deleteChannels());
    EXPECT_EQ(prompter.entries.back().text, "Are you sure you want delete 2 items ?");
    EXPECT_EQ(shown(), "A=1 D=2 ");
    EXPECT_EQ(table(), "A=1 D=2 ");
    EXPECT_EQ(testdata::members(*g), "A D ");
}

TEST_F(Editor, LockAndSkipSetTheFlagsOfTheSelectedRows) {
    load({1, 2, 3});
    editor.selectOnly({0, 2});
    editor.setLocked(true);
    editor.setSkipped(true);
    EXPECT_EQ(editor.row(0).service->locked, 1);
    EXPECT_EQ(editor.row(1).service->locked, 0);
    EXPECT_EQ(editor.row(2).service->skipped, 1);
    editor.setLocked(false);
    editor.setSkipped(false);
    EXPECT_EQ(editor.row(0).service->locked, 0);
    EXPECT_EQ(editor.row(2).service->skipped, 0);
}

// ---- favorites

TEST_F(Editor, NewGroupsTakeTheFirstFreeFavoriteName) {
    FavoriteGroup* a = editor.createFavorite(kTv);
    FavoriteGroup* b = editor.createFavorite(kTv);
    EXPECT_EQ(a->name, "Favorite");
    EXPECT_EQ(b->name, "Favorite(1)");
    EXPECT_EQ(editor.createFavorite(kTv)->name, "Favorite(2)");
    EXPECT_EQ(editor.createFavorite(kRadio)->name, "Favorite");
    ASSERT_TRUE(editor.renameFavorite(a, "FAVORITE(3)"));
    EXPECT_EQ(editor.createFavorite(kTv)->name, "Favorite");
    EXPECT_EQ(editor.createFavorite(kTv)->name, "Favorite(4)");
    EXPECT_EQ(b->id, 2);
}

TEST_F(Editor, ANinthGroupOfAKindIsRefusedUntilADeleteFreesASlot) {
    for (int i = 0; i < 8; ++i)
        ASSERT_NE(editor.createFavorite(kTv), nullptr);
    EXPECT_EQ(editor.createFavorite(kTv), nullptr);
    EXPECT_TRUE(prompter.said("Can not create more favorite"));
    EXPECT_NE(editor.createFavorite(kRadio), nullptr);
    editor.selectGroup(editor.branch(kTv)[2]);
    ASSERT_TRUE(editor.deleteFavorite(editor.branch(kTv)[2]));
    EXPECT_EQ(editor.selectedGroup(), nullptr);
    EXPECT_EQ(editor.database().freeFavoriteId(kTv), 4);
    FavoriteGroup* again = editor.createFavorite(kTv);
    ASSERT_NE(again, nullptr);
    EXPECT_EQ(again->id, 4);
    EXPECT_EQ(editor.branch(kTv).back(), again);  // last child of its branch
}

TEST_F(Editor, CreateFavoriteTakesTheKindOfTheTreeSelection) {
    EXPECT_EQ(editor.createFavoriteFromTree(), nullptr);
    editor.selectBranch(kRadio);
    FavoriteGroup* g = editor.createFavoriteFromTree();
    ASSERT_NE(g, nullptr);
    EXPECT_EQ(g->kind, kRadio);
    editor.selectGroup(g);
    EXPECT_EQ(editor.createFavoriteFromTree()->kind, kRadio);
}

TEST_F(Editor, AddingStopsAtOneHundredAndSkipsMembers) {
    load(range(1, 110));
    FavoriteGroup* g = newGroupOf(range(0, 95));
    ASSERT_EQ(g->memberCount(), 95);
    editor.selectOnly(range(90, 13));  // 5 already members, then 8 new ones
    editor.addToFavorite(g);
    EXPECT_EQ(g->memberCount(), 100);
    EXPECT_EQ(g->members[95], editor.row(95).service);
    EXPECT_EQ(g->members[99], editor.row(99).service);
}

TEST_F(Editor, AddToAGroupNeedsItsKindToMatchTheVisibleList) {
    load({1}, {1});
    FavoriteGroup* radio = editor.createFavorite(kRadio);
    editor.selectGroup(radio);
    editor.selectOnly({0});
    EXPECT_FALSE(editor.commandEnabled(kCmdAddToFavorite));
    EXPECT_FALSE(editor.addToSelectedFavorite());
    EXPECT_EQ(radio->memberCount(), 0);
    EXPECT_EQ(editor.commandText(kCmdAddToFavorite), "Add to 'Favorite' ");
}

TEST_F(Editor, AddToNewAndToAllGroups) {
    load({1, 2, 3});
    FavoriteGroup* a = newGroupOf({0});
    FavoriteGroup* b = newGroupOf({0, 2});
    ASSERT_NE(b, nullptr);
    EXPECT_EQ(b->name, "Favorite(1)");
    EXPECT_EQ(b->memberCount(), 2);
    EXPECT_EQ(editor.addToNewFavorite(kRadio), nullptr);
    editor.selectOnly({1, 2});
    editor.addToAllFavorites();
    EXPECT_EQ(testdata::members(*a), "A B C ");
    EXPECT_EQ(testdata::members(*b), "A C B ");
}

TEST_F(Editor, DeleteFromAllFavoritesTakesTheSelectedServicesOutOfEveryGroup) {
    load({1, 2, 3});
    FavoriteGroup* a = newGroupOf({0, 1, 2});
    FavoriteGroup* b = editor.addToNewFavorite(kTv);
    editor.selectOnly({1});
    editor.deleteFromAllFavorites();
    EXPECT_EQ(testdata::members(*a), "A C ");
    EXPECT_EQ(testdata::members(*b), "A C ");
    EXPECT_EQ(editor.rowCount(), 3);
}

TEST_F(Editor, MovingMembersPutsTheSelectedAfterTheDropTarget) {
    load({1, 2, 3, 4, 5});
    FavoriteGroup* g = newGroupOf({0, 1, 2, 3, 4});
    ASSERT_TRUE(editor.moveMembers(g, {0, 4}, 2));
    EXPECT_EQ(testdata::members(*g), "B C A E D ");
    editor.deleteFavorite(g);
    EXPECT_FALSE(editor.moveMembers(g, {0}, 1));
    EXPECT_TRUE(prompter.said("Can not find favorite group"));
}

TEST_F(Editor, RemovingMembersAsksAndKeepsTheServices) {
    load({1, 2, 3});
    FavoriteGroup* g = newGroupOf({0, 1, 2});
    prompter.answerYes();
    ASSERT_TRUE(editor.removeMembers(g, {0, 2}));
    EXPECT_EQ(prompter.entries.back().text, "Are you sure you want delete 2 items ?");
    EXPECT_EQ(testdata::members(*g), "B ");
    EXPECT_EQ(editor.rowCount(), 3);
    prompter.answerNo();
    EXPECT_FALSE(editor.removeMembers(g, {0}));
    EXPECT_EQ(prompter.entries.back().text, "Are you sure you want delete 'B' item ?");
    EXPECT_EQ(g->memberCount(), 1);
}

TEST_F(Editor, RenamingFollowsTheNameRules) {
    FavoriteGroup* a = editor.createFavorite(kTv);
    FavoriteGroup* b = editor.createFavorite(kTv);
    FavoriteGroup* r = editor.createFavorite(kRadio);
    EXPECT_FALSE(editor.renameFavorite(a, ""));
    EXPECT_EQ(prompter.entries.back().text, "You must type a channel name");
    EXPECT_FALSE(editor.renameFavorite(a, "a@b"));
    EXPECT_EQ(prompter.entries.back().text, "Channel name can not contain '@' character");
    EXPECT_FALSE(editor.renameFavorite(a, std::string(20, 'x')));
    EXPECT_EQ(prompter.entries.back().text, "Channel name is too long");
    EXPECT_TRUE(editor.renameFavorite(a, std::string(19, 'x')));
    // 19 characters of two bytes each are still shorter than 20 characters.
    std::string umlauts;
    for (int i = 0; i < 19; ++i)
        umlauts += "\xC3\xA4";
    EXPECT_TRUE(editor.renameFavorite(a, umlauts));
    EXPECT_FALSE(editor.renameFavorite(a, "FAVORITE(1)"));
    EXPECT_EQ(prompter.entries.back().text, "This favorite name is already exist");
    EXPECT_EQ(prompter.entries.back().icon, PromptIcon::Error);
    EXPECT_TRUE(editor.renameFavorite(b, "FAVORITE(1)"));  // its own name in other letters
    EXPECT_EQ(b->name, "FAVORITE(1)");
    EXPECT_TRUE(editor.renameFavorite(r, "favorite(1)"));  // same name, other kind
}

TEST_F(Editor, RenumberAllPutsBothListsInOrder) {
    load({5, 1}, {7, 3});
    editor.renumberAll();
    EXPECT_EQ(testdata::listed(editor.database()), "B=1 A=2 R3=1 R7=2 ");
}

}  // namespace
}  // namespace velkport::channels
