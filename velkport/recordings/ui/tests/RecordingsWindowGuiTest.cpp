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

#include "tests/fixtures/RecordingPrompter.h"
#include "tests/fixtures/TempDir.h"
#include "tools/receiver-sim/ReceiverSim.h"
#include "velkport/link/ChannelTable.h"
#include "velkport/recordings/RecordManager.h"
#include "velkport/recordings/RecordText.h"
#include "velkport/recordings/StreamBlock.h"
#include "velkport/recordings/TailHeader.h"
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

const char* kNewsJson = R"({"channelNumber": 7, "channelName": "Kanal: Sieben", "title": "News",
  "start": 1700000000, "duration": 3725, "scrambled": 0,
  "events": [{"start": 1700000000, "duration": 1800, "name": "Headlines",
              "description": "Today"}]})";
const char* kZetaJson = R"({"channelNumber": 9, "channelName": "Neun", "title": "Zeta",
  "start": 1700003600, "duration": 60, "scrambled": 1})";
const std::string kNewsFile = "Kanal_ Sieben_News_REC0001.ts";

class RecordingsWindowGuiTest : public ::testing::Test {
  protected:
    static void SetUpTestSuite() {
        media_ = new fixtures::TempDir;
        ASSERT_TRUE(fixtures::MakeTransportStream(*media_ / "tv.ts", "testsrc=size=720x576:rate=25",
                                                  8, true, "4M"));
        tv_ = fixtures::readFile(*media_ / "tv.ts");
        tv_.resize(tv_.size() / kStreamPayloadSize * kStreamPayloadSize);
        ASSERT_GT(tv_.size(), 24 * kStreamPayloadSize);  // over 1 MiB: a download is kept
    }
    static void TearDownTestSuite() {
        delete media_;
        media_ = nullptr;
    }

    void SetUp() override {
        velkport::shell::MessageCatalogue::instance().SetLanguage(velkport::shell::kEnglish);
        fs::create_directories(root / "recordings" / "tv");
        fs::create_directories(root / "recordings" / "radio");
        receiversim::SimOptions o;
        o.root = root.path();
        sim = std::make_unique<receiversim::ReceiverSim>(o);
        std::string error;
        ASSERT_TRUE(sim->start(&error)) << error;
        table.InitialiseChannels("127.0.0.1", sim->portBase());
        table.setTimeLimit(std::chrono::seconds(10));
    }
    void TearDown() override {
        window.reset();
        table.ShutdownChannels();
        sim->stop();
    }

    void addRecording(const std::string& kind, const std::string& name, const std::string& bytes,
                      const std::string& json) {
        fixtures::writeFile(root / "recordings" / kind / (name + ".ts"), bytes);
        fixtures::writeFile(root / "recordings" / kind / (name + ".json"), json);
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
        if (!done.wait(60000))
            return static_cast<Status>(99);
        return static_cast<Status>(done.at(0).at(0).toInt());
    }
    static Strings column(QTreeWidget* list, int col) {
        Strings out;
        for (int i = 0; i < list->topLevelItemCount(); ++i)
            out.push_back(list->topLevelItem(i)->text(col).toStdString());
        return out;
    }
    static void select(QTreeWidget* list, const std::vector<int>& rows) {
        list->clearSelection();
        for (int r : rows) {
            list->topLevelItem(r)->setSelected(true);
            list->setCurrentItem(list->topLevelItem(r), 0, QItemSelectionModel::NoUpdate);
        }
    }
    Strings localFiles() const {
        Strings out;
        for (const auto& e : fs::directory_iterator(local.path()))
            out.push_back(e.path().filename().string());
        std::sort(out.begin(), out.end());
        return out;
    }
    Strings receiverFiles(const std::string& kind) const {
        Strings out;
        for (const auto& e : fs::directory_iterator(root / "recordings" / kind))
            if (e.path().extension() == ".ts")
                out.push_back(e.path().stem().string());
        std::sort(out.begin(), out.end());
        return out;
    }

    static fixtures::TempDir* media_;
    static std::string tv_;
    fixtures::TempDir root;
    fixtures::TempDir local;
    std::unique_ptr<receiversim::ReceiverSim> sim;
    velkport::link::ChannelTable table;
    fixtures::RecordingPrompter prompter;
    fixtures::RecordingPrompter quiet;
    std::vector<velkport::shell::ToolWindowEvent> events;
    bool useSettings = false;
    std::unique_ptr<RecordingsWindow> window;
};
fixtures::TempDir* RecordingsWindowGuiTest::media_ = nullptr;
std::string RecordingsWindowGuiTest::tv_;

}  // namespace

TEST_F(RecordingsWindowGuiTest, ListsReceiverRecordingsAndPcFilesWithTheirColumns) {
    addRecording("tv", "REC0001", tv_, kNewsJson);
    addRecording("tv", "REC0002", "x", kZetaJson);
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
    QTreeWidgetItem* news = rec->topLevelItem(0);
    EXPECT_EQ(news->text(kRecName), "News");
    EXPECT_EQ(news->text(kRecChNum), "7");
    EXPECT_EQ(news->text(kRecChName), "Kanal: Sieben");
    EXPECT_EQ(news->text(kRecStart).toStdString(), FormatStartTime(1700000000));
    EXPECT_EQ(news->text(kRecDuration), "1:02:05");
    EXPECT_EQ(news->text(kRecScrambled), "0");
    EXPECT_EQ(news->textAlignment(kRecChNum) & Qt::AlignRight, Qt::AlignRight);
    EXPECT_EQ(rec->topLevelItem(1)->text(kRecScrambled), "1");

    QTreeWidget* pcList = window->pcList();
    EXPECT_EQ(pcList->headerItem()->text(kPcModified), "Modified");
    ASSERT_EQ(column(pcList, kPcName), Strings{kNewsFile});
    QTreeWidgetItem* file = pcList->topLevelItem(0);
    EXPECT_EQ(file->text(kPcChannel), "CH-");
    EXPECT_EQ(file->text(kPcSize).toStdString(), FormatSizeKiB(fs::file_size(pc)));
    EXPECT_EQ(file->text(kPcType), "TS");
    EXPECT_FALSE(file->text(kPcModified).isEmpty());
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
    addRecording("tv", "REC0001", tv_, kNewsJson);
    seedPcFile("REC0001");
    useSettings = true;
    open();
    EXPECT_EQ(window->manager().localFolder(), local.path());
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
    addRecording("tv", "REC0001", tv_, kNewsJson);
    addRecording("radio", "RAD01", tv_,
                 R"({"channelNumber": 3, "channelName": "Radio 1", "title": "Jazz"})");
    seedPcFile("REC0001");
    const fs::path rts = seedPcFile("RAD01", true);
    EXPECT_EQ(rts.extension(), ".rts");
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
    addRecording("tv", "REC0001", tv_, kNewsJson);
    addRecording("tv", "REC0002", tv_, kZetaJson);
    open();
    ASSERT_EQ(window->pcList()->topLevelItemCount(), 0);
    select(window->receiverList(), {0, 1});
    EXPECT_EQ(transfer(RecordButton::Upload), Status::Done);
    EXPECT_TRUE(prompter.said("This file(Zeta) is scrambled file"));
    EXPECT_EQ(localFiles(), Strings{kNewsFile});  // and no "temp.header" left behind
    TailHeaderContents c;
    ASSERT_EQ(ReadTailHeader(local / kNewsFile, c), TailStatus::Ok);
    EXPECT_EQ(c.title, "News");

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
    addRecording("tv", "REC0001", tv_, kNewsJson);
    seedPcFile("REC0001");
    fs::remove(root / "recordings/tv/REC0001.ts");
    fs::remove(root / "recordings/tv/REC0001.json");
    open();
    ASSERT_EQ(window->receiverList()->topLevelItemCount(), 0);
    select(window->pcList(), {0});
    EXPECT_EQ(transfer(RecordButton::Download), Status::Done);
    ASSERT_EQ(receiverFiles("tv").size(), 1u);
    const std::string uploaded = receiverFiles("tv")[0];
    EXPECT_EQ(fixtures::readFile(root / "recordings/tv" / (uploaded + ".ts")), tv_);

    QTreeWidget* rec = window->receiverList();
    ASSERT_EQ(rec->topLevelItemCount(), 1);
    EXPECT_EQ(rec->topLevelItem(0)->text(kRecName), "News");
    EXPECT_EQ(rec->topLevelItem(0)->data(0, Qt::UserRole).toString().toStdString(), uploaded);
    EXPECT_TRUE(rec->topLevelItem(0)->isSelected());
}

TEST_F(RecordingsWindowGuiTest, CancelDuringADownloadStopsTheBatchAndLeavesNoFile) {
    std::string big;
    for (int i = 0; i < 8; ++i)
        big += tv_;
    addRecording("tv", "REC0001", big, kNewsJson);
    addRecording("tv", "REC0003", tv_, R"({"title": "Later"})");
    open();
    select(window->receiverList(), {0, 1});
    QSignalSpy done(window.get(), &RecordingsWindow::transferFinished);
    QTest::mouseClick(window->button(RecordButton::Upload), Qt::LeftButton);
    ASSERT_TRUE(window->progressWindow()->isVisible());
    QTest::mouseClick(window->progressWindow()->cancelButton(), Qt::LeftButton);
    ASSERT_TRUE(done.wait(60000));
    EXPECT_EQ(done.at(0).at(0).toInt(), static_cast<int>(Status::Stopped));
    EXPECT_TRUE(localFiles().empty());  // neither part of the first nor the second recording
    EXPECT_FALSE(window->progressWindow()->isVisible());

    // The next batch is not cancelled by the old press.
    select(window->receiverList(), {1});
    EXPECT_EQ(transfer(RecordButton::Upload), Status::Done);
    EXPECT_EQ(localFiles().size(), 1u);
}

TEST_F(RecordingsWindowGuiTest, RenameAndDeleteOnTheReceiver) {
    addRecording("tv", "REC0001", tv_, kNewsJson);
    addRecording("tv", "REC0002", "x", R"({"title": "Other"})");
    open();
    QTreeWidget* rec = window->receiverList();
    ASSERT_EQ(rec->topLevelItemCount(), 2);

    rec->topLevelItem(0)->setText(kRecName, "Weather");  // what the label editor does
    EXPECT_EQ(rec->topLevelItem(0)->text(kRecName), "Weather");
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
    EXPECT_EQ(receiverFiles("tv"), Strings{"REC0002"});

    // No is no.
    select(rec, {0});
    QTest::keyClick(rec, Qt::Key_Delete);
    EXPECT_EQ(receiverFiles("tv"), Strings{"REC0002"});
}

TEST_F(RecordingsWindowGuiTest, RenameAndDeleteOnThePcWithTheirParts) {
    addRecording("tv", "REC0001", tv_, kNewsJson);
    seedPcFile("REC0001");
    const std::string stem = fs::path(kNewsFile).stem().string();
    fixtures::writeFile(local / (stem + "_1.ts.ots"), "part");
    open();
    QTreeWidget* pcList = window->pcList();
    ASSERT_EQ(pcList->topLevelItemCount(), 1);

    // "Open" hands the file to the player.
    QString opened;
    window->setFileOpener([&](const QString& path) { opened = path; });
    select(pcList, {0});
    auto menu = window->makeMenu(pcList);
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

TEST_F(RecordingsWindowGuiTest, PictureAreasShowTheThumbnailAndProgrammeText) {
    addRecording("tv", "REC0001", tv_, kNewsJson);
    addRecording("tv", "REC0002", tv_, kZetaJson);
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
}

TEST_F(RecordingsWindowGuiTest, ReceiverFolderTreeSelectsWhatTheListShows) {
    addRecording("tv", "TOP", "x", R"({"title": "Top"})");
    fs::create_directories(root / "recordings/tv/Films");
    fixtures::writeFile(root / "recordings/tv/Films/F1.ts", "x");
    fixtures::writeFile(root / "recordings/tv/Films/F1.json", R"({"title": "Film"})");
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

TEST_F(RecordingsWindowGuiTest, PcFolderTreeNewFolderAndSelection) {
    addRecording("tv", "REC0001", tv_, kNewsJson);
    seedPcFile("REC0001");
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
}

TEST_F(RecordingsWindowGuiTest, MultiViewShowsIconsOfUnscrambledRecordings) {
    addRecording("tv", "REC0001", tv_, kNewsJson);
    addRecording("tv", "REC0002", tv_, kZetaJson);
    seedPcFile("REC0001");
    open();
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

TEST_F(RecordingsWindowGuiTest, OfflineWindowWorksOnThePcSideOnly) {
    addRecording("tv", "REC0001", tv_, kNewsJson);
    seedPcFile("REC0001");
    open(false);
    EXPECT_EQ(window->receiverList()->topLevelItemCount(), 0);
    EXPECT_FALSE(window->button(RecordButton::Upload)->isEnabled());
    EXPECT_FALSE(window->button(RecordButton::Download)->isEnabled());
    EXPECT_EQ(window->pcList()->topLevelItemCount(), 1);
}

TEST_F(RecordingsWindowGuiTest, ClosingDuringADownloadStopsItThenReportsTheClose) {
    std::string big;
    for (int i = 0; i < 8; ++i)
        big += tv_;
    addRecording("tv", "REC0001", big, kNewsJson);
    open();
    select(window->receiverList(), {0});
    QSignalSpy done(window.get(), &RecordingsWindow::transferFinished);
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
