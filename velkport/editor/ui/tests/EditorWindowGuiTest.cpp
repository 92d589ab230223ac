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

#include <algorithm>
#include <functional>
#include <map>

#include "tests/fixtures/RecordingPrompter.h"
#include "tests/fixtures/TempDir.h"
#include "tools/receiver-sim/ReceiverSim.h"
#include "velkport/channels/ChannelListFile.h"
#include "velkport/editor/ui/ChannelInfoDialogView.h"
#include "velkport/editor/ui/EditorWindow.h"
#include "velkport/editor/ui/InputDialogView.h"
#include "velkport/editor/ui/MembersList.h"
#include "velkport/editor/ui/SatelliteTransponderDialogView.h"
#include "velkport/editor/ui/ServiceTableModel.h"
#include "velkport/shell/base/MessageCatalogue.h"
#include "velkport/shell/widgets/ProgressWindow.h"

using namespace velkport;
using velkport::editor::EditorButton;
using velkport::editor::EditorWindow;
using Status = velkport::shell::JobResult::Status;

namespace {

const std::filesystem::path kListFolder = "ftproot/System/Programmliste (Channel List)";

// A channel list with TV services named A..E numbered 1..5 (or as given), two radio services
// and one TV favorite group holding the first service.
std::string SampleList(const std::vector<int>& tvNumbers = {1, 2, 3, 4, 5}) {
    channels::ChannelDatabase db;
    for (std::size_t i = 0; i < tvNumbers.size(); ++i) {
        auto s = std::make_unique<channels::Service>();
        s->name = std::string(1, static_cast<char>('A' + i));
        s->channelNumber = tvNumbers[i];
        s->sid = 100 + static_cast<int>(i);
        s->carrierFrequency = 11000 + static_cast<int>(i);
        s->carrierSymbolRate = 27500;
        s->carrierQam = 64;
        db.addService(std::move(s));
    }
    for (int i = 0; i < 2; ++i) {
        auto s = std::make_unique<channels::Service>();
        s->name = "Radio " + std::to_string(i + 1);
        s->serviceType = channels::kRadio;
        s->channelNumber = i + 1;
        db.addService(std::move(s));
    }
    auto g = std::make_unique<channels::FavoriteGroup>();
    g->id = 1;
    g->kind = channels::kTv;
    g->name = "News";
    g->append(db.service(channels::kTv, 0));
    channels::FavoriteGroup* group = g.get();
    db.addFavoriteGroup(std::move(g));
    return channels::ChannelListFile::toText(db, {group}, {});
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
        std::filesystem::create_directories(root / kListFolder);
        receiversim::SimOptions options;
        options.root = root.path();
        options.pin = "2468";
        sim = std::make_unique<receiversim::ReceiverSim>(options);
        std::string error;
        ASSERT_TRUE(sim->start(&error)) << error;
        app.receiverAddress = sim->address();
        app.ftpPort = sim->ftpPort();
        app.portBase = sim->portBase();
        app.userId = "root";
        app.pinCode = "2468";
        app.programFolder = pc.path();
    }
    void TearDown() override {
        window.reset();
        sim->stop();
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
        return static_cast<Status>(done.at(0).at(0).toInt());
    }

    void seed(const std::string& xml) {
        fixtures::writeFile(root / kListFolder / "channel.xml", xml);
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

    // The channel list that arrived at the receiver.
    std::vector<std::string> receivedNames(int kind, channels::ChannelDatabase& db) {
        channels::ChannelListFile::read(db, root / kListFolder / "channel.xml", quiet);
        std::vector<std::string> out;
        for (channels::Service* s : db.services(kind))
            out.push_back(std::to_string(s->channelNumber) + s->name);
        return out;
    }

    fixtures::TempDir root;
    fixtures::TempDir pc;
    std::unique_ptr<receiversim::ReceiverSim> sim;
    shell::AppContext app;
    fixtures::RecordingPrompter prompter;
    fixtures::RecordingPrompter quiet;
    std::vector<velkport::shell::ToolWindowEvent> events;
    std::unique_ptr<EditorWindow> window;
};

using Strings = std::vector<std::string>;

}  // namespace

TEST_F(EditorWindowGuiTest, OpensEmptyWithItsTitleButtonsAndBranches) {
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
}

TEST_F(EditorWindowGuiTest, OfflineEditorCannotTalkToTheReceiver) {
    open(false);
    EXPECT_FALSE(window->button(EditorButton::LoadFromDvr)->isEnabled());
    EXPECT_FALSE(window->button(EditorButton::SendToDvr)->isEnabled());
    EXPECT_TRUE(window->button(EditorButton::Open)->isEnabled());
}

TEST_F(EditorWindowGuiTest, LoadFromDvrFillsTheListAndTheTreeAndRemovesTheTemporaryCopy) {
    seed(SampleList());
    open();
    ASSERT_EQ(transfer(EditorButton::LoadFromDvr), Status::Done);
    EXPECT_EQ(column(1), (Strings{"A", "B", "C", "D", "E"}));
    EXPECT_EQ(column(0), (Strings{"1", "2", "3", "4", "5"}));
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

TEST_F(EditorWindowGuiTest, EveryControlIsDisabledWhileTheTransferRuns) {
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
    EXPECT_EQ(window->model().rowCount(), 5);
    EXPECT_TRUE(events.empty());
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
    seed(SampleList({5, 2, 9, 12, 14}));
    open();
    ASSERT_EQ(transfer(EditorButton::LoadFromDvr), Status::Done);

    // Renumbering numbers the rows 1..5 in their order.
    QTest::mouseClick(window->button(EditorButton::Renumbering), Qt::LeftButton);
    EXPECT_EQ(column(0), (Strings{"1", "2", "3", "4", "5"}));

    // Move to: rows 4 and 5 to number 1.
    const Strings before = column(1);
    selectRows({3, 4});
    OnNextDialog<editor::InputDialogView>([](editor::InputDialogView& d) {
        d.field()->setText("1");
        QTest::mouseClick(d.okButton(), Qt::LeftButton);
    });
    window->runServiceCommand(channels::kCmdMoveTo);
    EXPECT_EQ(column(1), (Strings{before[3], before[4], before[0], before[1], before[2]}));
    EXPECT_EQ(column(0), (Strings{"1", "2", "3", "4", "5"}));

    // A drag of rows 1 and 2 onto the group "News" appends those not yet in it.
    QTreeWidget* tree = window->favoritesTree();
    QTreeWidgetItem* news = tree->topLevelItem(0)->child(0);
    ASSERT_NE(news, nullptr);
    tree->setCurrentItem(news);
    QTreeWidget* members = window->membersList();
    Strings expected;
    for (int i = 0; i < members->topLevelItemCount(); ++i)
        expected.push_back(members->topLevelItem(i)->text(1).toStdString());
    const Strings order = column(1);
    for (int r : {0, 1})
        if (std::find(expected.begin(), expected.end(), order[r]) == expected.end())
            expected.push_back(order[r]);
    selectRows({0, 1});
    drop(tree->viewport(), editor::ServiceTableModel::kMimeType,
         tree->visualItemRect(news).center());
    Strings shown;
    for (int i = 0; i < members->topLevelItemCount(); ++i)
        shown.push_back(members->topLevelItem(i)->text(1).toStdString());
    EXPECT_EQ(shown, expected);
    EXPECT_EQ(window->memberPosition()->text(),
              QString("0/%1").arg(static_cast<int>(expected.size())));

    ASSERT_EQ(transfer(EditorButton::SendToDvr), Status::Done);
    channels::ChannelDatabase db;
    const Strings received = receivedNames(channels::kTv, db);
    ASSERT_EQ(received.size(), 5u);
    for (std::size_t i = 0; i < 5; ++i)
        EXPECT_EQ(received[i], std::to_string(i + 1) + order[i]);
    ASSERT_EQ(db.favoriteGroups(channels::kTv).size(), 1u);
    EXPECT_EQ(db.favoriteGroups(channels::kTv)[0]->memberCount(),
              static_cast<int>(expected.size()));
    EXPECT_FALSE(std::filesystem::exists(pc / "tempchannel.xml"));
}

TEST_F(EditorWindowGuiTest, DroppingRowsInTheListPutsThemAfterTheRowUnderTheCursor) {
    seed(SampleList());
    open();
    ASSERT_EQ(transfer(EditorButton::LoadFromDvr), Status::Done);
    selectRows({0, 1});
    QTableView* v = window->serviceList();
    drop(v->viewport(), editor::ServiceTableModel::kMimeType,
         v->visualRect(window->model().index(3, 1)).center());
    EXPECT_EQ(column(1), (Strings{"C", "D", "A", "B", "E"}));
    // The numbers stay until Renumbering.
    EXPECT_EQ(column(0), (Strings{"3", "4", "1", "2", "5"}));
}

TEST_F(EditorWindowGuiTest, DroppingOnABranchOrMembersOnTheTreeChangesNoGroup) {
    seed(SampleList());
    open();
    ASSERT_EQ(transfer(EditorButton::LoadFromDvr), Status::Done);
    selectRows({1, 2});
    QTreeWidget* tree = window->favoritesTree();
    drop(tree->viewport(), editor::ServiceTableModel::kMimeType,
         tree->visualItemRect(tree->topLevelItem(0)).center());
    QTreeWidgetItem* news = tree->topLevelItem(0)->child(0);
    drop(tree->viewport(), editor::MembersList::kMimeType, tree->visualItemRect(news).center());
    tree->setCurrentItem(news);
    EXPECT_EQ(window->membersList()->topLevelItemCount(), 1);
}

TEST_F(EditorWindowGuiTest, SendWithAnEmptyListDoesNothing) {
    open();
    EXPECT_FALSE(window->button(EditorButton::SendToDvr)->isEnabled() && window->transferRunning());
    window->sendToReceiver();
    EXPECT_FALSE(window->transferRunning());
    EXPECT_FALSE(std::filesystem::exists(root / kListFolder / "channel.xml"));
    EXPECT_TRUE(prompter.entries.empty());
}

TEST_F(EditorWindowGuiTest, OpenAcceptsXmlInAnyCaseAndRefusesOtherFiles) {
    open();
    fixtures::writeFile(pc / "list.XML", SampleList({3, 1, 2, 4, 5}));
    fixtures::writeFile(pc / "list.txt", SampleList());
    QString next;
    window->setFileChooser([&](bool) { return next; });

    next = QString::fromStdString((pc / "list.XML").string());
    QTest::mouseClick(window->button(EditorButton::Open), Qt::LeftButton);
    EXPECT_EQ(window->model().rowCount(), 5);
    EXPECT_EQ(column(0), (Strings{"1", "2", "3", "4", "5"}));  // sorted by number
    EXPECT_EQ(window->windowTitle(), "Channel Edit - list.XML");

    next = QString::fromStdString((pc / "missing.xml").string());
    QTest::mouseClick(window->button(EditorButton::Open), Qt::LeftButton);
    EXPECT_EQ(window->model().rowCount(), 5);  // the current content stays
    EXPECT_EQ(window->windowTitle(), "Channel Edit");

    next = QString::fromStdString((pc / "list.txt").string());
    QTest::mouseClick(window->button(EditorButton::Open), Qt::LeftButton);
    EXPECT_EQ(window->model().rowCount(), 0);
    EXPECT_EQ(prompter.texts(), (Strings(2, "This is incorrect file")));
}

TEST_F(EditorWindowGuiTest, SaveAsAddsTheDefaultExtensionAndRefusesOtherOnes) {
    seed(SampleList());
    open();
    ASSERT_EQ(transfer(EditorButton::LoadFromDvr), Status::Done);
    EXPECT_FALSE(window->button(EditorButton::Save)->isEnabled());  // no current path yet
    QString next = QString::fromStdString((pc / "mine.txt").string());
    window->setFileChooser([&](bool) { return next; });
    QTest::mouseClick(window->button(EditorButton::SaveAs), Qt::LeftButton);
    EXPECT_FALSE(std::filesystem::exists(pc / "mine.txt"));

    next = QString::fromStdString((pc / "mine").string());
    QTest::mouseClick(window->button(EditorButton::SaveAs), Qt::LeftButton);
    ASSERT_TRUE(std::filesystem::exists(pc / "mine.xml"));
    EXPECT_TRUE(window->button(EditorButton::Save)->isEnabled());

    // Save writes the current file again.
    QTest::mouseClick(window->button(EditorButton::Renumbering), Qt::LeftButton);
    selectRows({0});
    window->runServiceCommand(channels::kCmdLockChannels);
    QTest::mouseClick(window->button(EditorButton::Save), Qt::LeftButton);
    channels::ChannelDatabase db;
    channels::ChannelListFile::read(db, pc / "mine.xml", quiet);
    EXPECT_EQ(db.services(channels::kTv).at(0)->locked, 1);
}

TEST_F(EditorWindowGuiTest, EscLeavesTheEditorOpenAndDeleteRemovesTheSelectedChannels) {
    seed(SampleList());
    open();
    ASSERT_EQ(transfer(EditorButton::LoadFromDvr), Status::Done);
    QTableView* v = window->serviceList();
    v->setFocus();
    QTest::keyClick(v, Qt::Key_Escape);
    EXPECT_TRUE(window->isVisible());

    selectRows({1});
    prompter.answerYes();
    QTest::keyClick(v, Qt::Key_Delete);
    EXPECT_EQ(prompter.texts(), (Strings{"Are you sure you want delete 'B' item ?"}));
    EXPECT_EQ(column(1), (Strings{"A", "C", "D", "E"}));
    EXPECT_EQ(column(0), (Strings{"1", "2", "3", "4"}));
}

TEST_F(EditorWindowGuiTest, GroupLabelsFollowTheRenameRules) {
    seed(SampleList());
    open();
    ASSERT_EQ(transfer(EditorButton::LoadFromDvr), Status::Done);
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
    seed(SampleList());
    open();
    ASSERT_EQ(transfer(EditorButton::LoadFromDvr), Status::Done);
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
    EXPECT_EQ(column(1), (Strings{"A", "Renamed", "C", "D", "E"}));
    EXPECT_EQ(column(0), (Strings{"1", "4", "2", "3", "5"}));
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

TEST_F(EditorWindowGuiTest, ClosingReportsTheEditorDone) {
    open();
    window->close();
    EXPECT_EQ(events, (std::vector<shell::ToolWindowEvent>{
                          {shell::Manager::Channel, shell::ToolWindowEvent::What::Closed}}));
}

TEST_F(EditorWindowGuiTest, ServiceMenuOffersTheCommandsOfTheState) {
    seed(SampleList());
    open();
    ASSERT_EQ(transfer(EditorButton::LoadFromDvr), Status::Done);
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
    const std::string seeded = SampleList();
    seed(seeded);
    open();
    ASSERT_EQ(transfer(EditorButton::LoadFromDvr), Status::Done);
    // Rows out of number order: the send's worker will ask whether to renumber first.
    selectRows({0});
    QTableView* v = window->serviceList();
    drop(v->viewport(), editor::ServiceTableModel::kMimeType,
         v->visualRect(window->model().index(2, 1)).center());
    prompter.entries.clear();
    QTest::mouseClick(window->button(EditorButton::SendToDvr), Qt::LeftButton);
    ASSERT_TRUE(window->transferRunning());
    window.reset();  // the main window goes away with its editor
    EXPECT_TRUE(prompter.entries.empty());
    EXPECT_EQ(fixtures::readFile(root / kListFolder / "channel.xml"), seeded);
}
