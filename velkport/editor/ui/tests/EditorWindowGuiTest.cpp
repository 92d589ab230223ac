#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMimeData>
#include <QPushButton>
#include <QSignalSpy>
#include <QTableView>
#include <QTableWidget>
#include <QTest>
#include <QTimer>
#include <QTreeWidget>

#include <functional>
#include <map>

#include "tests/fixtures/RecordingPrompter.h"
#include "tests/fixtures/RunningSim.h"
#include "tests/fixtures/TempDir.h"
#include "velkport/channels/ChannelListFile.h"
#include "velkport/channels/tests/ChannelTestData.h"
#include "velkport/editor/ui/ChannelInfoDialogView.h"
#include "velkport/editor/ui/EditorWindow.h"
#include "velkport/editor/ui/InputDialogView.h"
#include "velkport/editor/ui/MembersList.h"
#include "velkport/editor/ui/SatelliteTransponderDialogView.h"
#include "velkport/editor/ui/ServiceTableModel.h"
#include "velkport/shell/base/MessageCatalogue.h"
#include "velkport/shell/widgets/ProgressWindow.h"

using namespace velkport;
using channels::kRadio;
using channels::kTv;
using velkport::editor::EditorButton;
using velkport::editor::EditorWindow;
using Status = velkport::shell::JobResult::Status;

namespace {

// A channel list with TV services named A..E numbered 1..5 (or as given), two radio services
// and one TV favorite group holding the first service.
std::string SampleList(const std::vector<int>& tvNumbers = {1, 2, 3, 4, 5}) {
    using namespace channels::testdata;
    std::string body;
    for (std::size_t i = 0; i < tvNumbers.size(); ++i)
        body += serviceXml(tvNumbers[i], std::string(1, static_cast<char>('A' + i)), "TV",
                           "<Carrier Type=\"DVBC\"><Frequency>" + std::to_string(11000 + i) +
                               "</Frequency><SymbolRate>27500</SymbolRate><QAM>64</QAM></Carrier>");
    body += serviceXml(1, "Radio 1", "Radio") + serviceXml(2, "Radio 2", "Radio");
    return listXml(body + "<Favoritelist>" + groupXml("News", "TV", {1}) + "</Favoritelist>");
}

// Runs f on the next modal dialog of type T once it is open.
template <typename T>
void OnNextDialog(std::function<void(T&)> f) {
    QTimer::singleShot(0, [f] {
        T* dialog = nullptr;
        if (!QTest::qWaitFor(
                [&] { return (dialog = qobject_cast<T*>(QApplication::activeModalWidget())); },
                5000))
            return;
        f(*dialog);
    });
}

class EditorWindowGuiTest : public ::testing::Test {
  protected:
    void SetUp() override {
        shell::MessageCatalogue::instance().SetLanguage(shell::kEnglish);
        ASSERT_TRUE(sim.ok()) << sim.error();
        app.receiverAddress = sim->address();
        app.ftpPort = sim->ftpPort();
        app.portBase = sim->portBase();
        app.userId = "root";
        app.pinCode = "2468";
        app.programFolder = pc.path();
    }

    void open(bool online = true) {
        window = std::make_unique<EditorWindow>(
            app, prompter, online,
            [this](velkport::shell::ToolWindowEvent e) { events.push_back(e); });
        window->exchange().setPacing(false);
        window->exchange().setTempFolder(pc.path());
        window->exchange().setTimeout(std::chrono::milliseconds(5000));
        window->show();
    }

    // Presses a transfer button and waits for the worker to end; its result.
    Status transfer(EditorButton b) {
        QSignalSpy done(window.get(), &EditorWindow::transferFinished);
        QTest::mouseClick(window->button(b), Qt::LeftButton);
        if (!done.wait(30000))
            return static_cast<Status>(99);
        return done.at(0).at(0).value<shell::JobResult>().status;
    }

    // Presses a file button, and the file dialog it opens picks pc/NAME.
    void pick(EditorButton b, const std::string& name) {
        const QString path = QString::fromStdString((pc / name).string());
        window->setFileChooser([path](bool) { return path; });
        QTest::mouseClick(window->button(b), Qt::LeftButton);
    }

    void seed(const std::string& xml) { fixtures::writeFile(sim.channelList(), xml); }

    // The window open with the receiver's list XML loaded.
    bool openLoaded(const std::string& xml = SampleList()) {
        seed(xml);
        open();
        return transfer(EditorButton::LoadFromDvr) == Status::Done;
    }

    // "name=number " for every row shown.
    std::string rows() const {
        std::string out;
        for (int r = 0; r < window->model().rowCount(); ++r)
            out += window->model().index(r, 1).data().toString().toStdString() + "=" +
                   window->model().index(r, 0).data().toString().toStdString() + " ";
        return out;
    }
    std::vector<std::string> column(int col) const {
        std::vector<std::string> out;
        auto& m = window->model();
        for (int r = 0; r < m.rowCount(); ++r)
            out.push_back(m.index(r, col).data().toString().toStdString());
        return out;
    }

    void selectRows(const std::vector<int>& rows) {
        QTableView* v = window->serviceList();
        v->clearSelection();
        for (int r : rows)
            v->selectionModel()->select(window->model().index(r, 0),
                                        QItemSelectionModel::Select | QItemSelectionModel::Rows);
    }

    // Drops what is dragged (services or members) on a point of a control's viewport.
    void drop(QWidget* viewport, const char* type, QPoint at) {
        QMimeData mime;
        mime.setData(type, "x");
        QDragEnterEvent enter(at, Qt::MoveAction, &mime, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(viewport, &enter);
        ASSERT_TRUE(enter.isAccepted());
        QDropEvent dropEvent(QPointF(at), Qt::MoveAction, &mime, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(viewport, &dropEvent);
    }

    std::vector<std::string> memberNames() const {
        std::vector<std::string> out;
        for (int i = 0; i < window->membersList()->topLevelItemCount(); ++i)
            out.push_back(window->membersList()->topLevelItem(i)->text(1).toStdString());
        return out;
    }

    fixtures::RunningSim sim{receiversim::SimOptions{.pin = "2468"}};  // not the usual PIN
    fixtures::TempDir pc;
    shell::AppContext app;
    fixtures::RecordingPrompter prompter;
    fixtures::RecordingPrompter quiet;
    std::vector<velkport::shell::ToolWindowEvent> events;
    std::unique_ptr<EditorWindow> window;
};

using Strings = std::vector<std::string>;

}  // namespace

TEST_F(EditorWindowGuiTest,
       OpensEmptyWithItsControlsNeverSendsAnEmptyListAndOfflineCannotTransfer) {
    open();
    EXPECT_EQ(window->windowTitle(), "Channel Edit");
    EXPECT_EQ(window->model().rowCount(), 0);
    EXPECT_EQ(window->servicePosition()->text(), "0/0");
    ASSERT_EQ(window->favoritesTree()->topLevelItemCount(), 2);
    EXPECT_EQ(window->favoritesTree()->topLevelItem(0)->text(0), "TV Favorites");
    EXPECT_EQ(window->favoritesTree()->topLevelItem(1)->text(0), "Radio Favorites");
    EXPECT_TRUE(window->button(EditorButton::LoadFromDvr)->isEnabled());
    EXPECT_FALSE(window->button(EditorButton::Save)->isEnabled());  // nothing to save
    EXPECT_EQ(window->model().headerData(0, Qt::Horizontal, Qt::DisplayRole), "ChannelNo");
    EXPECT_EQ(window->model().headerData(11, Qt::Horizontal, Qt::DisplayRole), "Skip");

    // An empty list is never sent.
    window->sendToReceiver();
    EXPECT_FALSE(window->transferRunning());
    EXPECT_FALSE(std::filesystem::exists(sim.channelList()));
    EXPECT_TRUE(prompter.entries.empty());

    open(false);  // offline: no transfers
    EXPECT_FALSE(window->button(EditorButton::LoadFromDvr)->isEnabled());
    EXPECT_FALSE(window->button(EditorButton::SendToDvr)->isEnabled());
    EXPECT_TRUE(window->button(EditorButton::Open)->isEnabled());
}

TEST_F(EditorWindowGuiTest, LoadFromDvrDisablesEveryControlWhileItRunsThenFillsTheListAndTheTree) {
    seed(SampleList());
    open();
    window->exchange().setPacing(true);  // the worker takes its pauses: time to look
    QSignalSpy done(window.get(), &EditorWindow::transferFinished);
    QTest::mouseClick(window->button(EditorButton::LoadFromDvr), Qt::LeftButton);
    EXPECT_TRUE(window->transferRunning());
    for (int b = 0; b < editor::kEditorButtonCount; ++b)
        EXPECT_FALSE(window->button(static_cast<EditorButton>(b))->isEnabled()) << b;
    EXPECT_FALSE(window->radioBox()->isEnabled());
    // The window keeps drawing: the progress window comes up with its text.
    EXPECT_TRUE(QTest::qWaitFor([&] { return window->progressWindow()->isVisible(); }, 5000));
    EXPECT_EQ(window->progressWindow()->text(), "Loading Channels ...");
    // Keys in the window are discarded meanwhile, and the window does not close.
    window->close();
    EXPECT_TRUE(window->isVisible());
    ASSERT_TRUE(done.wait(30000));
    EXPECT_TRUE(events.empty());

    // Then the list and the tree are filled, and the temporary copy is gone.
    ASSERT_TRUE(done.at(0).at(0).value<shell::JobResult>().done());
    EXPECT_EQ(rows(), "A=1 B=2 C=3 D=4 E=5 ");
    EXPECT_EQ(window->model().index(0, 2).data().toString(), "TV");
    EXPECT_EQ(window->model().index(0, 5).data().toString(), "11000");
    EXPECT_EQ(window->servicePosition()->text(), "0/5");
    QTreeWidgetItem* tv = window->favoritesTree()->topLevelItem(0);
    ASSERT_EQ(tv->childCount(), 1);
    EXPECT_EQ(tv->child(0)->text(0), "News");
    EXPECT_FALSE(std::filesystem::exists(pc / "tempchannel.xml"));
    EXPECT_TRUE(window->button(EditorButton::Renumbering)->isEnabled());
    EXPECT_FALSE(window->progressWindow()->isVisible());
    EXPECT_TRUE(prompter.entries.empty());

    QTest::mouseClick(window->radioBox(), Qt::LeftButton);
    EXPECT_EQ(column(1), (Strings{"Radio 1", "Radio 2"}));
    EXPECT_EQ(window->model().index(0, 2).data().toString(), "RADIO");
}

TEST_F(EditorWindowGuiTest, LoadWithoutAListOnTheReceiverShowsTheFtpErrorAndStaysEmpty) {
    open();
    EXPECT_EQ(transfer(EditorButton::LoadFromDvr), Status::Failed);
    ASSERT_FALSE(prompter.entries.empty());
    EXPECT_EQ(prompter.entries.back().icon, shell::PromptIcon::Error);
    EXPECT_EQ(window->model().rowCount(), 0);
    EXPECT_TRUE(window->button(EditorButton::LoadFromDvr)->isEnabled());
}

TEST_F(EditorWindowGuiTest, RenumberAMoveAndAFavoriteDragArriveAtTheReceiver) {
    ASSERT_TRUE(openLoaded(SampleList({1, 3, 2, 5, 4})));
    EXPECT_EQ(column(1), (Strings{"A", "B", "C", "D", "E"}));

    // Renumbering numbers the rows 1..5 in their order.
    QTest::mouseClick(window->button(EditorButton::Renumbering), Qt::LeftButton);
    EXPECT_EQ(column(0), (Strings{"1", "2", "3", "4", "5"}));

    // Move to: rows 4 and 5 to number 1.
    selectRows({3, 4});
    OnNextDialog<editor::InputDialogView>([](editor::InputDialogView& d) {
        d.field()->setText("1");
        QTest::mouseClick(d.okButton(), Qt::LeftButton);
    });
    window->runServiceCommand(channels::kCmdMoveTo);
    EXPECT_EQ(rows(), "D=1 E=2 A=3 B=4 C=5 ");

    // A drag of rows 1 and 2 onto the group "News" (holding A) appends them.
    QTreeWidget* tree = window->favoritesTree();
    QTreeWidgetItem* news = tree->topLevelItem(0)->child(0);
    ASSERT_NE(news, nullptr);
    tree->setCurrentItem(news);
    ASSERT_EQ(memberNames(), (Strings{"A"}));
    selectRows({0, 1});
    drop(tree->viewport(), editor::ServiceTableModel::kMimeType,
         tree->visualItemRect(news).center());
    EXPECT_EQ(memberNames(), (Strings{"A", "D", "E"}));
    EXPECT_EQ(window->memberPosition()->text(), "0/3");

    ASSERT_EQ(transfer(EditorButton::SendToDvr), Status::Done);
    channels::ChannelDatabase db;
    ASSERT_EQ(channels::ChannelListFile::read(db, sim.channelList(), quiet), 0);
    EXPECT_EQ(channels::testdata::listed(db, {kTv}), "D=1 E=2 A=3 B=4 C=5 ");
    ASSERT_EQ(db.favoriteGroups(kTv).size(), 1u);
    EXPECT_EQ(channels::testdata::members(*db.favoriteGroups(kTv)[0]), "A D E ");
    EXPECT_FALSE(std::filesystem::exists(pc / "tempchannel.xml"));
}

TEST_F(EditorWindowGuiTest, RowsDroppedInTheListGoAfterTheRowUnderTheCursorButOnTheTreeAddNothing) {
    ASSERT_TRUE(openLoaded());
    selectRows({0, 1});
    QTableView* v = window->serviceList();
    drop(v->viewport(), editor::ServiceTableModel::kMimeType,
         v->visualRect(window->model().index(3, 1)).center());
    // The numbers stay until Renumbering.
    EXPECT_EQ(rows(), "C=3 D=4 A=1 B=2 E=5 ");

    // Rows dropped on a branch, or members dropped on a group, change no group.
    selectRows({0, 1});
    QTreeWidget* tree = window->favoritesTree();
    drop(tree->viewport(), editor::ServiceTableModel::kMimeType,
         tree->visualItemRect(tree->topLevelItem(0)).center());
    QTreeWidgetItem* news = tree->topLevelItem(0)->child(0);
    drop(tree->viewport(), editor::MembersList::kMimeType, tree->visualItemRect(news).center());
    tree->setCurrentItem(news);
    EXPECT_EQ(memberNames(), (Strings{"A"}));
}

TEST_F(EditorWindowGuiTest, OpenAcceptsXmlInAnyCaseRenumbersWhenNeededAndRefusesOtherFiles) {
    open();
    fixtures::writeFile(pc / "list.XML", SampleList({4, 2, 5, 7, 8}));
    fixtures::writeFile(pc / "list.txt", SampleList());
    pick(EditorButton::Open, "list.XML");
    EXPECT_EQ(rows(), "B=1 A=2 C=3 D=4 E=5 ");  // sorted by number, then renumbered
    EXPECT_EQ(channels::testdata::listed(window->logic().database(), {kTv}),
              "B=1 A=2 C=3 D=4 E=5 ");  // the table follows
    EXPECT_EQ(window->windowTitle(), "Channel Edit - list.XML");

    pick(EditorButton::Open, "missing.xml");
    EXPECT_EQ(window->model().rowCount(), 5);  // the current content stays
    EXPECT_EQ(window->windowTitle(), "Channel Edit");

    pick(EditorButton::Open, "list.txt");
    EXPECT_EQ(window->model().rowCount(), 0);
    EXPECT_EQ(prompter.texts(),
              (Strings{"Channel number is not correct. Channel rearrange is necessary",
                       "This is incorrect file", "This is incorrect file"}));
}

TEST_F(EditorWindowGuiTest, SaveAsAddsTheDefaultExtensionAndRefusesOtherOnes) {
    ASSERT_TRUE(openLoaded());
    EXPECT_FALSE(window->button(EditorButton::Save)->isEnabled());  // no current path yet
    pick(EditorButton::SaveAs, "mine.txt");
    EXPECT_FALSE(std::filesystem::exists(pc / "mine.txt"));

    pick(EditorButton::SaveAs, "mine");
    ASSERT_TRUE(std::filesystem::exists(pc / "mine.xml"));
    EXPECT_TRUE(window->button(EditorButton::Save)->isEnabled());

    // Save writes the current file again.
    QTest::mouseClick(window->button(EditorButton::Renumbering), Qt::LeftButton);
    selectRows({0});
    window->runServiceCommand(channels::kCmdLockChannels);
    QTest::mouseClick(window->button(EditorButton::Save), Qt::LeftButton);
    channels::ChannelDatabase db;
    channels::ChannelListFile::read(db, pc / "mine.xml", quiet);
    EXPECT_EQ(db.services(kTv).at(0)->locked, 1);
}

TEST_F(EditorWindowGuiTest, EscLeavesTheEditorOpenAndDeleteRemovesTheSelectedChannels) {
    ASSERT_TRUE(openLoaded());
    QTableView* v = window->serviceList();
    v->setFocus();
    QTest::keyClick(v, Qt::Key_Escape);
    EXPECT_TRUE(window->isVisible());

    selectRows({1});
    prompter.answerYes();
    QTest::keyClick(v, Qt::Key_Delete);
    EXPECT_EQ(prompter.texts(), (Strings{"Are you sure you want delete 'B' item ?"}));
    EXPECT_EQ(rows(), "A=1 C=2 D=3 E=4 ");
}

TEST_F(EditorWindowGuiTest, GroupLabelsFollowTheRenameRules) {
    ASSERT_TRUE(openLoaded());
    QTreeWidget* tree = window->favoritesTree();
    tree->setCurrentItem(tree->topLevelItem(0));
    QTest::mouseClick(window->button(EditorButton::CreateFavorite), Qt::LeftButton);
    QTreeWidgetItem* tv = tree->topLevelItem(0);
    ASSERT_EQ(tv->childCount(), 2);
    EXPECT_EQ(tv->child(1)->text(0), "Favorite");

    tv->child(1)->setText(0, "Sport");
    EXPECT_EQ(tree->topLevelItem(0)->child(1)->text(0), "Sport");
    tree->topLevelItem(0)->child(1)->setText(0, "news");  // another group's name
    EXPECT_EQ(tree->topLevelItem(0)->child(1)->text(0), "Sport");
    EXPECT_TRUE(prompter.said("This favorite name is already exist"));
}

TEST_F(EditorWindowGuiTest, DoubleClickEditsTheChannelThroughChannelInfo) {
    ASSERT_TRUE(openLoaded());
    QTableView* v = window->serviceList();
    OnNextDialog<editor::ChannelInfoDialogView>([](editor::ChannelInfoDialogView& d) {
        d.sidField()->setText("-1");
        QTest::mouseClick(d.okButton(), Qt::LeftButton);  // refused: the dialog stays
        d.sidField()->setText("77");
        d.nameField()->setText("Renamed");
        d.numberField()->setText("4");
        QTest::mouseClick(d.okButton(), Qt::LeftButton);
    });
    const QPoint at = v->visualRect(window->model().index(1, 1)).center();
    QTest::mouseClick(v->viewport(), Qt::LeftButton, Qt::NoModifier, at);
    QTest::mouseDClick(v->viewport(), Qt::LeftButton, Qt::NoModifier, at);
    EXPECT_TRUE(prompter.said("Fill a Sid"));
    // Channel 2 became 4: the old 3 and 4 moved up to 2 and 3.
    EXPECT_EQ(rows(), "A=1 Renamed=4 C=2 D=3 E=5 ");
    EXPECT_EQ(column(7)[1], "77");
}

TEST_F(EditorWindowGuiTest, SatelliteDialogChecksItsFieldsInOrder) {
    open();
    OnNextDialog<editor::SatelliteTransponderDialogView>(
        [](editor::SatelliteTransponderDialogView& d) {
            QTest::mouseClick(d.satelliteButton(0), Qt::LeftButton);  // New
            EXPECT_EQ(d.satelliteList()->rowCount(), 1);
            EXPECT_EQ(d.satelliteField(0)->text(), "New Satellite");
            d.satelliteField(0)->clear();
            d.satelliteField(1)->clear();
            QTest::mouseClick(d.satelliteButton(1), Qt::LeftButton);  // Save
            d.satelliteField(0)->setText("Astra");
            QTest::mouseClick(d.satelliteButton(1), Qt::LeftButton);
            d.satelliteField(1)->setText("9750");
            QTest::mouseClick(d.satelliteButton(1), Qt::LeftButton);
            QTest::mouseClick(d.transponderButton(0), Qt::LeftButton);  // New transponder
            EXPECT_EQ(d.transponderList()->rowCount(), 1);
            EXPECT_EQ(d.transponderField(0)->text(), "0");
            d.polarization()->setCurrentIndex(-1);
            QTest::mouseClick(d.transponderButton(1), Qt::LeftButton);  // no polarization
            d.reject();
        });
    QTest::mouseClick(window->button(EditorButton::SatTp), Qt::LeftButton);
    EXPECT_EQ(prompter.texts(),
              (Strings{"Fill a satellite name", "Fill a LO1Frequency", "Select a polarization"}));
    ASSERT_NE(window->logic().database().satellite(1), nullptr);
    EXPECT_EQ(window->logic().database().satellite(1)->name, "Astra");
    EXPECT_EQ(window->logic().database().satellite(1)->lo1, 9750);
}

TEST_F(EditorWindowGuiTest, ServiceMenuOffersTheCommandsOfTheState) {
    ASSERT_TRUE(openLoaded());
    selectRows({0, 1});
    auto menu = window->makeServiceMenu();
    std::map<std::string, bool> enabled;
    for (QAction* a : menu->actions())
        if (!a->isSeparator())
            enabled[a->text().toStdString()] = a->isEnabled();
    EXPECT_TRUE(enabled.at("Start Numbering"));
    EXPECT_FALSE(enabled.at("End Numbering"));
    EXPECT_FALSE(enabled.at("Edit Channel"));  // two rows selected
    EXPECT_TRUE(enabled.at("Delete Channel(s)"));
}

TEST_F(EditorWindowGuiTest, ClosingTheProgramDuringASendNeitherHangsNorAsks) {
    // A gap in the numbers: the send's worker will ask whether to renumber first.
    const std::string seeded = SampleList({1, 2, 3, 4, 6});
    ASSERT_TRUE(openLoaded(seeded));
    ASSERT_TRUE(prompter.entries.empty());
    QTest::mouseClick(window->button(EditorButton::SendToDvr), Qt::LeftButton);
    ASSERT_TRUE(window->transferRunning());
    window.reset();  // the main window goes away with its editor
    EXPECT_TRUE(prompter.entries.empty());
    EXPECT_EQ(fixtures::readFile(sim.channelList()), seeded);
}
