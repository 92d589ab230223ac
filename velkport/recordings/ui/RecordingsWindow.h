#pragma once
// The recordings window ("RECORD Manager"): the receiver's recordings beside the recording files
// of the local record folder, each list with its folder tree, disk bar and picture area (the
// thumbnail and programme text of the clicked recording), the Radio and Multi-View toggles, the
// buttons and pop-up menus. Transfers and the icon-view builders run on a worker thread behind
// the shared progress window; the logic is RecordManager's.

#include <QWidget>

#include <array>
#include <atomic>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "velkport/recordings/RecordManager.h"
#include "velkport/shell/base/JobResult.h"
#include "velkport/shell/base/Prompter.h"
#include "velkport/shell/base/ToolWindowEvent.h"

class QCheckBox;
class QLabel;
class QListWidget;
class QMenu;
class QProgressBar;
class QPushButton;
class QTimer;
class QTreeWidget;
class QTreeWidgetItem;

namespace velkport::link {
class ChannelTable;
}
namespace velkport::shell {
class ProgressWindow;
class UiThreadPrompter;
class BackgroundJob;
}  // namespace velkport::shell

namespace velkport::recordings {

class RecordingsPane;

enum class RecordButton : int { Download = 0, Upload, Refresh, Setting, Delete };
inline constexpr int kRecordButtonCount = 5;

// The columns of the two lists.
enum ReceiverColumn : int {
    kRecName = 0,
    kRecChNum,
    kRecChName,
    kRecStart,
    kRecDuration,
    kRecScrambled
};
enum PcColumn : int { kPcName = 0, kPcChannel, kPcSize, kPcType, kPcModified };

class RecordingsWindow : public QWidget {
    Q_OBJECT
  public:
    enum class Side { Receiver, Pc };

    // localFolder: the record folder to start with; empty reads "LocalPath" from the settings
    // (or the default documents folder + "/Record"). online enables the receiver side.
    RecordingsWindow(link::ChannelTable& table, shell::Prompter& prompter, bool online,
                     shell::ToolWindowNotify notify, std::filesystem::path localFolder = {},
                     RecordManagerOptions options = {}, QWidget* parent = nullptr);
    ~RecordingsWindow() override;

    // The window as the main window opens it for Record: it goes away when it closes, so that
    // the main window's slot empties.
    static QWidget* Create(link::ChannelTable& table, shell::Prompter& prompter, bool online,
                           shell::ToolWindowNotify notify, QWidget* owner);

    RecordManager& manager() { return *manager_; }
    bool online() const { return online_; }
    bool workerRunning() const;

    // The controls, for the tests and the main window.
    QPushButton* button(RecordButton b) const { return buttons_[static_cast<std::size_t>(b)]; }
    QCheckBox* radioBox() const { return radio_; }
    QCheckBox* multiViewBox() const { return multiView_; }
    QTreeWidget* receiverList() const { return recList_; }
    QTreeWidget* pcList() const { return pcList_; }
    QListWidget* receiverIcons() const { return recIcons_; }
    QListWidget* pcIcons() const { return pcIcons_; }
    QTreeWidget* receiverFolders() const { return recFolders_; }
    QTreeWidget* pcFolders() const { return pcFolders_; }
    RecordingsPane* pane(Side side) const { return side == Side::Receiver ? recPane_ : pcPane_; }
    QLabel* picture(Side side) const;
    QLabel* pictureText(Side side) const;
    QProgressBar* diskBar(Side side) const { return side == Side::Receiver ? recDisk_ : pcDisk_; }
    shell::ProgressWindow* progressWindow() const;

    // The pop-up menu of a list or folder tree, built for the current state.
    std::unique_ptr<QMenu> makeMenu(QWidget* control);
    // Chooses a record folder for "Setting"; empty when cancelled. The default shows the
    // "Select Path" folder chooser.
    void setFolderChooser(std::function<QString(const QString& current)> chooser) {
        chooser_ = std::move(chooser);
    }
    // Opens a PC recording ("Open"); the default hands it to the desktop.
    void setFileOpener(std::function<void(const QString& path)> opener) {
        opener_ = std::move(opener);
    }

  public slots:
    void refreshLists();
    void refreshReceiverList();
    void refreshPcList();
    void downloadSelected();  // receiver to PC ("Upload")
    void uploadSelected();    // PC to receiver ("Download")
    void deleteAction();
    void chooseFolder();
    void setRadio(bool radio);
    void setMultiView(bool on);
    void newFolder();
    void openSelected();
    // The display of the picture area for the current item of a list.
    void showSelectedPicture(Side side);

  signals:
    // At the end of a batch, with the result that ended it.
    void transferFinished(const shell::JobResult& result);
    // When the icon view of both sides is built.
    void iconsBuilt();
    // After the picture area of a side changed.
    void pictureShown(Side side);

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

  private:
    // The pieces the window's work is split into; they act on its controls and state.
    friend class IconViewBuilder;
    friend class RecordingsEdits;
    friend class RecordingsFolderTrees;
    friend class RecordingsLists;
    friend class RecordingsMenu;
    friend class RecordingsTransfers;

    enum class Focus { ReceiverList, PcList, ReceiverTree, PcTree };

    void buildLayout();
    void updateDiskBars();
    void updateControls();
    void scheduleReceiverPicture();
    void schedulePcPicture();
    void clearPicture(Side side);
    void setPicture(Side side, const std::string& text, const ThumbnailResult& picture);
    void receiverFolderSelected();
    void pcFolderSelected();
    void showMenu(QWidget* control, const QPoint& pos);
    void buildIcons();
    // Runs job on the worker thread; done runs on this thread afterwards.
    bool startWorker(std::function<void(shell::Progress&)> work, std::function<void()> done);
    void beginTransfer();
    void finishTransfer(const shell::JobResult& result);

    std::unique_ptr<shell::UiThreadPrompter> prompter_;
    std::unique_ptr<RecordManager> manager_;
    std::unique_ptr<shell::BackgroundJob> job_;
    bool online_;
    shell::ToolWindowNotify notify_;
    std::function<QString(const QString&)> chooser_;
    std::function<void(const QString&)> opener_;
    std::filesystem::path baseFolder_;  // the folder of "LocalPath": the PC tree's root

    std::vector<RecordEntry> entries_;  // the receiver list, in list order
    std::vector<PcRecording> pcFiles_;

    std::array<QPushButton*, kRecordButtonCount> buttons_{};
    QCheckBox* radio_ = nullptr;
    QCheckBox* multiView_ = nullptr;
    QTreeWidget* recList_ = nullptr;
    QTreeWidget* pcList_ = nullptr;
    QListWidget* recIcons_ = nullptr;
    QListWidget* pcIcons_ = nullptr;
    RecordingsPane* recPane_ = nullptr;
    RecordingsPane* pcPane_ = nullptr;
    QTreeWidget* recFolders_ = nullptr;
    QTreeWidget* pcFolders_ = nullptr;
    QProgressBar* recDisk_ = nullptr;
    QProgressBar* pcDisk_ = nullptr;
    QTimer* recPictureTimer_ = nullptr;
    QTimer* pcPictureTimer_ = nullptr;

    Focus focus_ = Focus::ReceiverList;
    bool filling_ = false;  // lists or trees being filled: their change signals mean nothing
    bool iconView_ = false;
    bool destroying_ = false;
};

}  // namespace velkport::recordings
