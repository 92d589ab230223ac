// The recordings window against the emulated receiver on loopback: both lists with their
// columns, the Radio toggle, downloads and uploads through the buttons, Cancel, rename and
// delete on both sides, the picture areas, the receiver folders, the icon view and closing.

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QHeaderView>
#include <QLabel>
#include <QListWidget>
#include <QMenu>
#include <QProgressBar>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <QTreeWidget>

#include "common/Text.h"
#include "tests/fixtures/RecordingPrompter.h"
#include "tests/fixtures/RunningSim.h"
#include "tests/fixtures/TempDir.h"
#include "velkport/link/ChannelTable.h"
#include "velkport/recordings/RecordManager.h"
#include "velkport/recordings/RecordText.h"
#include "velkport/recordings/StreamBlock.h"
#include "velkport/recordings/tests/TestMedia.h"
#include "velkport/recordings/ui/RecordingsWindow.h"
#include "velkport/shell/base/MessageCatalogue.h"
#include "velkport/shell/base/SettingsStore.h"
#include "velkport/shell/widgets/ProgressWindow.h"

using namespace velkport::recordings;
using Side = RecordingsWindow::Side;
using Strings = std::vector<std::string>;
using Status = velkport::shell::JobResult::Status;
namespace fs = std::filesystem;

namespace {

using fixtures::kNewsJson;
const char* kZetaJson = R"({"channelNumber": 9, "channelName": "Neun", "title": "Zeta",
  "start": 1700003600, "duration": 60, "scrambled": 1})";
const std::string kNewsFile = "Kanal_ Sieben_News_REC0001.ts";

class RecordingsWindowGuiTest : public ::testing::Test {
  protected:
    static void SetUpTestSuite() {
        tv_ = fixtures::RecordingStream(8, kStreamPayloadSize);
        ASSERT_GT(tv_.size(), 24 * kStreamPayloadSize);  // over 1 MiB: a download is kept
    }

    void SetUp() override {
        velkport::shell::MessageCatalogue::instance().SetLanguage(velkport::shell::kEnglish);
        ASSERT_TRUE(sim.ok()) << sim.error();
        sim.addRecording(false, "REC0001", tv_, kNewsJson);  // every case starts with the news
        table.InitialiseChannels("127.0.0.1", sim->portBase());
        table.setTimeLimit(std::chrono::seconds(10));
    }
    void TearDown() override {
        window.reset();
        table.ShutdownChannels();
    }

    // A TV recording on the receiver that takes a while to download.
    void addLongRecording() {
        std::string big;
        for (int i = 0; i < 8; ++i)
            big += tv_;
        sim.addRecording(false, "REC0001", big, kNewsJson);
    }
    // A recording file in the PC folder, made by downloading a receiver recording.
    fs::path seedPcFile(const std::string& name, bool radio = false) {
        RecordManager m(table, quiet, local.path());
        m.setRadio(radio);
        velkport::shell::NullProgress progress;
        auto out = m.DownloadRecording(name, "News", progress);
        EXPECT_TRUE(out.result.done());
        fs::remove(local / "temp.header");
        return out.file;
    }
    void open(bool online = true, fs::path folder = {}) {
        window = std::make_unique<RecordingsWindow>(
            table, prompter, online,
            [this](velkport::shell::ToolWindowEvent e) { events.push_back(e); },
            folder.empty() && !useSettings ? local.path() : folder);
        window->show();
    }
    // Presses a button and waits for the batch to end; its result.
    Status transfer(RecordButton b) {
        QSignalSpy done(window.get(), &RecordingsWindow::transferFinished);
        QTest::mouseClick(window->button(b), Qt::LeftButton);
        return done.wait(60000) ? finished(done) : static_cast<Status>(99);
    }
    static Status finished(const QSignalSpy& done) {
        return done.at(0).at(0).value<velkport::shell::JobResult>().status;
    }
    static Strings column(QTreeWidget* list, int col) {
        Strings out;
        for (int i = 0; i < list->topLevelItemCount(); ++i)
            out.push_back(list->topLevelItem(i)->text(col).toStdString());
        return out;
    }
    // The texts of an item's first columns.
    static Strings row(QTreeWidgetItem* item, int columns) {
        Strings out;
        for (int c = 0; c < columns; ++c)
            out.push_back(item->text(c).toStdString());
        return out;
    }
    static void select(QTreeWidget* list, const std::vector<int>& rows) {
        list->clearSelection();
        for (int r : rows) {
            list->topLevelItem(r)->setSelected(true);
            list->setCurrentItem(list->topLevelItem(r), 0, QItemSelectionModel::NoUpdate);
        }
    }
    Strings localFiles() const { return fixtures::SortedNames(local.path()); }
    Strings tvFiles() const { return fixtures::SortedNames(sim / "recordings/tv", ".ts"); }

    static inline std::string tv_;
    fixtures::RunningSim sim;
    fixtures::TempDir local;
    velkport::link::ChannelTable table;
    fixtures::RecordingPrompter prompter;
    fixtures::RecordingPrompter quiet;
    std::vector<velkport::shell::ToolWindowEvent> events;
    bool useSettings = false;
    std::unique_ptr<RecordingsWindow> window;
};

}  // namespace

TEST_F(RecordingsWindowGuiTest, ListsReceiverRecordingsAndPcFilesWithTheirColumns) {
    sim.addRecording(false, "REC0002", "x", kZetaJson);
    const fs::path pc = seedPcFile("REC0001");
    fixtures::writeFile(local / "junk.ts", std::string(100, 'j'));  // no header: not listed
    open();
    EXPECT_EQ(window->windowTitle(), "RECORD Manager");
    EXPECT_EQ(window->button(RecordButton::Download)->text(), "Download");
    EXPECT_EQ(window->button(RecordButton::Upload)->text(), "Upload");

    QTreeWidget* rec = window->receiverList();
    EXPECT_EQ(rec->headerItem()->text(kRecChNum), "CH-Num");
    EXPECT_EQ(rec->headerItem()->text(kRecScrambled), "Scrambled");
    ASSERT_EQ(rec->topLevelItemCount(), 2);
    EXPECT_EQ(row(rec->topLevelItem(0), kRecScrambled + 1),
              (Strings{"News", "7", "Kanal: Sieben", FormatStartTime(1700000000), "1:02:05", "0"}));
    EXPECT_EQ(rec->topLevelItem(0)->textAlignment(kRecChNum) & Qt::AlignRight, Qt::AlignRight);
    EXPECT_EQ(rec->topLevelItem(1)->text(kRecScrambled), "1");

    QTreeWidget* pcList = window->pcList();
    EXPECT_EQ(pcList->headerItem()->text(kPcModified), "Modified");
    ASSERT_EQ(column(pcList, kPcName), Strings{kNewsFile});
    EXPECT_EQ(row(pcList->topLevelItem(0), kPcModified),
              (Strings{kNewsFile, "CH-", common::FormatSizeKB(fs::file_size(pc)), "TS"}));
    EXPECT_FALSE(pcList->topLevelItem(0)->text(kPcModified).isEmpty());
    // Column shares follow the list width: the name takes 30 %.
    EXPECT_NEAR(rec->header()->sectionSize(kRecName), 0.30 * (rec->width() - 2 * rec->frameWidth()),
                2.0);
    // Both disk bars show used and total space.
    EXPECT_TRUE(window->diskBar(Side::Pc)->text().contains("MB"));
    EXPECT_TRUE(window->diskBar(Side::Receiver)->text().contains("MB"));
}

TEST_F(RecordingsWindowGuiTest, LocalFolderComesFromTheSettingsAndSettingChangesIt) {
    velkport::shell::SettingsStore store;  // under the tests' own configuration folder
    ASSERT_TRUE(store.SaveLocalPath(local.path().string()));
    seedPcFile("REC0001");
    useSettings = true;
    open();
    EXPECT_EQ(window->pcList()->topLevelItemCount(), 1);

    fixtures::TempDir other;
    window->setFolderChooser([&](const QString& current) {
        EXPECT_EQ(current.toStdString(), local.path().string());
        return QString::fromStdString((other / "Rec").string());
    });
    QTest::mouseClick(window->button(RecordButton::Setting), Qt::LeftButton);
    EXPECT_TRUE(fs::is_directory(other / "Rec"));
    EXPECT_EQ(window->pcList()->topLevelItemCount(), 0);
    EXPECT_EQ(store.LoadLocalPath(), (other / "Rec").string());
    store.SaveLocalPath("");
}

TEST_F(RecordingsWindowGuiTest, RadioToggleSwitchesBothListsAndTurnsIconViewOff) {
    sim.addRecording(true, "RAD01", tv_,
                     R"({"channelNumber": 3, "channelName": "Radio 1", "title": "Jazz"})");
    seedPcFile("REC0001");
    const fs::path rts = seedPcFile("RAD01", true);
    open();
    ASSERT_EQ(column(window->receiverList(), kRecName), Strings{"News"});
    EXPECT_TRUE(window->multiViewBox()->isEnabled());

    window->radioBox()->click();
    QTRY_COMPARE_WITH_TIMEOUT(column(window->receiverList(), kRecName), Strings{"Jazz"}, 5000);
    QTRY_COMPARE_WITH_TIMEOUT(column(window->pcList(), kPcName), Strings{rts.filename().string()},
                              5000);
    EXPECT_EQ(window->pcList()->topLevelItem(0)->text(kPcType), "RTS");
    EXPECT_FALSE(window->multiViewBox()->isEnabled());

    window->radioBox()->click();
    QTRY_COMPARE_WITH_TIMEOUT(column(window->receiverList(), kRecName), Strings{"News"}, 5000);
    QTRY_COMPARE_WITH_TIMEOUT(column(window->pcList(), kPcName), Strings{kNewsFile}, 5000);
}

TEST_F(RecordingsWindowGuiTest, DownloadLandsInThePcFolderSkippingScrambledOnes) {
    sim.addRecording(false, "REC0002", tv_, kZetaJson);
    open();
    select(window->receiverList(), {0, 1});
    EXPECT_EQ(transfer(RecordButton::Upload), Status::Done);
    EXPECT_TRUE(prompter.said("This file(Zeta) is scrambled file"));
    EXPECT_EQ(localFiles(), Strings{kNewsFile});  // and no "temp.header" left behind

    // The new file stands selected in the PC list, whose picture area then shows it.
    QTreeWidget* pcList = window->pcList();
    ASSERT_EQ(column(pcList, kPcName), Strings{kNewsFile});
    EXPECT_TRUE(pcList->topLevelItem(0)->isSelected());
    EXPECT_FALSE(window->progressWindow()->isVisible());
    EXPECT_TRUE(window->button(RecordButton::Upload)->isEnabled());
    QTRY_VERIFY_WITH_TIMEOUT(!window->picture(Side::Pc)->pixmap().isNull(), 5000);
    EXPECT_TRUE(window->pictureText(Side::Pc)->text().startsWith("News\n"));
}

TEST_F(RecordingsWindowGuiTest, UploadAppearsOnTheReceiverSelected) {
    seedPcFile("REC0001");
    fs::remove(sim / "recordings/tv/REC0001.ts");
    fs::remove(sim / "recordings/tv/REC0001.json");
    open();
    ASSERT_EQ(window->receiverList()->topLevelItemCount(), 0);
    select(window->pcList(), {0});
    EXPECT_EQ(transfer(RecordButton::Download), Status::Done);
    ASSERT_EQ(tvFiles().size(), 1u);
    const std::string uploaded = tvFiles()[0];

    QTreeWidget* rec = window->receiverList();
    ASSERT_EQ(rec->topLevelItemCount(), 1);
    EXPECT_EQ(rec->topLevelItem(0)->text(kRecName), "News");
    EXPECT_EQ(rec->topLevelItem(0)->data(0, Qt::UserRole).toString().toStdString(), uploaded);
    EXPECT_TRUE(rec->topLevelItem(0)->isSelected());
}

TEST_F(RecordingsWindowGuiTest, CancelOrCloseDuringADownloadStopsTheBatchAndLeavesNoFile) {
    addLongRecording();
    sim.addRecording(false, "REC0003", tv_, R"({"title": "Later"})");
    open();
    select(window->receiverList(), {0, 1});
    QSignalSpy done(window.get(), &RecordingsWindow::transferFinished);
    QTest::mouseClick(window->button(RecordButton::Upload), Qt::LeftButton);
    ASSERT_TRUE(window->progressWindow()->isVisible());
    QTest::mouseClick(window->progressWindow()->cancelButton(), Qt::LeftButton);
    ASSERT_TRUE(done.wait(60000));
    EXPECT_EQ(finished(done), Status::Stopped);
    EXPECT_TRUE(localFiles().empty());  // neither part of the first nor the second recording
    EXPECT_FALSE(window->progressWindow()->isVisible());

    // The next batch is not cancelled by the old press.
    select(window->receiverList(), {1});
    EXPECT_EQ(transfer(RecordButton::Upload), Status::Done);
    EXPECT_EQ(localFiles().size(), 1u);
    fs::remove(local / localFiles()[0]);

    // Closing waits for the worker to stop, then reports the close.
    select(window->receiverList(), {0});
    done.clear();
    QTest::mouseClick(window->button(RecordButton::Upload), Qt::LeftButton);
    window->close();
    EXPECT_TRUE(window->isVisible());  // not while the worker runs
    EXPECT_TRUE(events.empty());
    ASSERT_TRUE(done.wait(60000));
    QTRY_VERIFY_WITH_TIMEOUT(!window->isVisible(), 5000);
    EXPECT_EQ(
        events,
        (std::vector<velkport::shell::ToolWindowEvent>{
            {velkport::shell::Manager::Record, velkport::shell::ToolWindowEvent::What::Closed}}));
    EXPECT_TRUE(localFiles().empty());
}

TEST_F(RecordingsWindowGuiTest, RenameAndDeleteOnTheReceiver) {
    sim.addRecording(false, "REC0002", "x", R"({"title": "Other"})");
    open();
    QTreeWidget* rec = window->receiverList();
    ASSERT_EQ(rec->topLevelItemCount(), 2);

    rec->topLevelItem(0)->setText(kRecName, "Weather");  // what the label editor does
    rec->topLevelItem(0)->setText(kRecName, "a/b");
    EXPECT_EQ(rec->topLevelItem(0)->text(kRecName), "Weather");  // refused, the old title stays
    EXPECT_TRUE(prompter.texts().back().starts_with(
        "A filename can not contain any of the following characters:"));
    window->refreshReceiverList();
    EXPECT_EQ(column(rec, kRecName), (Strings{"Weather", "Other"}));

    prompter.answerYes();
    select(rec, {0});
    QTest::keyClick(rec, Qt::Key_Delete);
    EXPECT_TRUE(prompter.said("Are you sure you want delete 'Weather' item ?"));
    EXPECT_EQ(column(rec, kRecName), Strings{"Other"});
    EXPECT_EQ(tvFiles(), Strings{"REC0002"});
}

TEST_F(RecordingsWindowGuiTest, PictureAreasAndIconViewShowTheUnscrambledRecordings) {
    sim.addRecording(false, "REC0002", tv_, kZetaJson);
    seedPcFile("REC0001");
    open();
    QTreeWidget* rec = window->receiverList();
    QSignalSpy shown(window.get(), &RecordingsWindow::pictureShown);
    select(rec, {0});
    ASSERT_TRUE(shown.wait(5000));
    const QPixmap picture = window->picture(Side::Receiver)->pixmap();
    ASSERT_FALSE(picture.isNull());
    EXPECT_EQ(picture.size(), QSize(180, 144));
    EXPECT_TRUE(window->pictureText(Side::Receiver)->text().startsWith("REC0001\n"));
    EXPECT_TRUE(window->pictureText(Side::Receiver)->text().contains("Headlines"));

    // A scrambled recording: "Scrambled" and no picture.
    select(rec, {1});
    ASSERT_TRUE(shown.wait(5000));
    EXPECT_EQ(window->pictureText(Side::Receiver)->text(), "Scrambled");
    EXPECT_TRUE(window->picture(Side::Receiver)->pixmap().isNull());

    // Reloading the list clears the area.
    window->refreshReceiverList();
    EXPECT_TRUE(window->pictureText(Side::Receiver)->text().isEmpty());

    // Multi-View shows icons of the unscrambled recordings on both sides.
    QSignalSpy built(window.get(), &RecordingsWindow::iconsBuilt);
    window->multiViewBox()->click();
    ASSERT_TRUE(built.wait(10000));
    QTRY_COMPARE_WITH_TIMEOUT(window->receiverIcons()->count(), 1, 5000);
    EXPECT_EQ(window->receiverIcons()->item(0)->text(), "News");
    EXPECT_FALSE(window->receiverIcons()->item(0)->icon().isNull());
    QTRY_COMPARE_WITH_TIMEOUT(window->pcIcons()->count(), 1, 5000);
    EXPECT_EQ(window->pcIcons()->item(0)->text().toStdString(), kNewsFile);

    // A download from the icon view lands like one from the list.
    fs::remove(local / kNewsFile);
    window->receiverIcons()->item(0)->setSelected(true);
    EXPECT_EQ(transfer(RecordButton::Upload), Status::Done);
    EXPECT_EQ(localFiles(), Strings{kNewsFile});
    ASSERT_TRUE(built.wait(10000));
    QTRY_COMPARE_WITH_TIMEOUT(window->pcIcons()->count(), 1, 5000);

    window->multiViewBox()->click();
    EXPECT_EQ(window->receiverList()->topLevelItemCount(), 2);
}

TEST_F(RecordingsWindowGuiTest, ReceiverFolderTreeSelectsWhatTheListShows) {
    fs::remove(sim / "recordings/tv/REC0001.ts");
    fs::remove(sim / "recordings/tv/REC0001.json");
    sim.addRecording(false, "TOP", "x", R"({"title": "Top"})");
    fs::create_directories(sim / "recordings/tv/Films");
    fixtures::writeFile(sim / "recordings/tv/Films/F1.ts", "x");
    fixtures::writeFile(sim / "recordings/tv/Films/F1.json", R"({"title": "Film"})");
    open();
    QTreeWidget* tree = window->receiverFolders();
    ASSERT_EQ(tree->topLevelItemCount(), 1);
    QTreeWidgetItem* rootItem = tree->topLevelItem(0);
    ASSERT_EQ(rootItem->childCount(), 1);
    EXPECT_EQ(rootItem->child(0)->text(0), "Films");
    EXPECT_EQ(column(window->receiverList(), kRecName), Strings{"Top"});

    tree->setCurrentItem(rootItem->child(0));
    EXPECT_EQ(column(window->receiverList(), kRecName), Strings{"Film"});

    // "New Folder" adds an entry on this side only, named after the first free number.
    auto menu = window->makeMenu(tree);
    ASSERT_FALSE(menu->actions().isEmpty());
    EXPECT_EQ(menu->actions().first()->text(), "New Folder");
    menu->actions().first()->trigger();
    menu->actions().first()->trigger();
    QTreeWidgetItem* films = rootItem->child(0);
    ASSERT_EQ(films->childCount(), 2);
    EXPECT_EQ(films->child(0)->text(0), "new folder(1)");
    EXPECT_EQ(films->child(1)->text(0), "new folder(2)");
}

TEST_F(RecordingsWindowGuiTest, PcFoldersAndFilesAreOpenedRenamedAndDeletedWithTheirParts) {
    seedPcFile("REC0001");
    const std::string stem = fs::path(kNewsFile).stem().string();
    fixtures::writeFile(local / (stem + "_1.ts.ots"), "part");
    fs::create_directories(local / "sub");
    open();
    QTreeWidget* tree = window->pcFolders();
    ASSERT_EQ(tree->topLevelItemCount(), 1);
    QTreeWidgetItem* top = tree->topLevelItem(0);
    ASSERT_EQ(top->childCount(), 1);

    tree->setCurrentItem(top->child(0));  // the empty subfolder
    EXPECT_EQ(window->manager().localFolder(), local / "sub");
    EXPECT_EQ(window->pcList()->topLevelItemCount(), 0);
    auto menu = window->makeMenu(tree);
    menu->actions().first()->trigger();
    EXPECT_TRUE(fs::is_directory(local / "sub" / "new folder(1)"));

    // Deleting the subfolder asks first and goes back to the record folder.
    prompter.answerYes();
    tree->setCurrentItem(tree->topLevelItem(0)->child(0));
    QTest::keyClick(tree, Qt::Key_Delete);
    EXPECT_FALSE(fs::exists(local / "sub"));
    EXPECT_EQ(window->manager().localFolder(), local.path());
    EXPECT_EQ(window->pcList()->topLevelItemCount(), 1);
    // The record folder itself is never deleted from here.
    tree->setCurrentItem(tree->topLevelItem(0));
    QTest::keyClick(tree, Qt::Key_Delete);
    EXPECT_TRUE(fs::exists(local / kNewsFile));

    QTreeWidget* pcList = window->pcList();
    ASSERT_EQ(pcList->topLevelItemCount(), 1);

    // "Open" hands the file to the player.
    QString opened;
    window->setFileOpener([&](const QString& path) { opened = path; });
    select(pcList, {0});
    menu = window->makeMenu(pcList);
    ASSERT_EQ(menu->actions().first()->text(), "Open");
    menu->actions().first()->trigger();
    EXPECT_EQ(opened.toStdString(), (local / kNewsFile).string());

    pcList->topLevelItem(0)->setText(kPcName, "Evening");
    EXPECT_EQ(pcList->topLevelItem(0)->text(kPcName), "Evening.ts");
    EXPECT_EQ(localFiles(), (Strings{"Evening.ts", "Evening_1.ts.ots"}));

    prompter.answerYes();
    select(pcList, {0});
    QTest::keyClick(pcList, Qt::Key_Delete);
    EXPECT_TRUE(prompter.said("Are you sure you want delete 'Evening.ts' item ?"));
    EXPECT_TRUE(localFiles().empty());
    EXPECT_EQ(pcList->topLevelItemCount(), 0);
}

TEST_F(RecordingsWindowGuiTest, OfflineWindowWorksOnThePcSideOnly) {
    seedPcFile("REC0001");
    open(false);
    EXPECT_EQ(window->receiverList()->topLevelItemCount(), 0);
    EXPECT_FALSE(window->button(RecordButton::Upload)->isEnabled());
    EXPECT_FALSE(window->button(RecordButton::Download)->isEnabled());
    EXPECT_EQ(window->pcList()->topLevelItemCount(), 1);
}
