#pragma once
// The MP3 manager and the JPEG manager: one window class, its media type fixed at creation. The
// PC's folders and files on the left, the receiver's MP3 or JPEG area on the right (folder tree,
// list, disk bar), the buttons along the top, the pop-up menus, Back / Forward, and for JPEG the
// Multi-View icon view. Transfers and the icon views run on worker threads behind the shared
// progress window; the logic is MediaManager's and MediaTransfer's.

#include <QWidget>

#include <array>
#include <atomic>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "velkport/link/FolderEntry.h"
#include "velkport/media/FolderHistory.h"
#include "velkport/media/MediaManager.h"
#include "velkport/media/ui/MediaButtons.h"
#include "velkport/shell/base/Prompter.h"
#include "velkport/shell/base/ToolWindowEvent.h"

class QListWidget;
class QMenu;
class QProgressBar;
class QPushButton;
class QStackedWidget;
class QTreeView;
class QTreeWidget;
class QTreeWidgetItem;

namespace velkport::link {
class ChannelTable;
}
namespace velkport::shell {
class ProgressWindow;
class UiThreadPrompter;
class WindowProgress;
}  // namespace velkport::shell

namespace velkport::media {

class IconFiller;
class PcPane;

class MediaWindow : public QWidget {
    Q_OBJECT
  public:
    // pcFolder: where the PC side starts (the home folder when empty).
    MediaWindow(MediaType type, link::ChannelTable& table, shell::Prompter& prompter, bool online,
                shell::ToolWindowNotify notify, std::filesystem::path pcFolder = {},
                QWidget* parent = nullptr);
    ~MediaWindow() override;

    // The window as the main window opens it: it goes away when it closes.
    static QWidget* Create(MediaType type, link::ChannelTable& table, shell::Prompter& prompter,
                           bool online, shell::ToolWindowNotify notify, QWidget* owner);

    MediaType type() const { return manager_.type(); }
    MediaManager& manager() { return manager_; }
    bool workerRunning() const;
    bool multiView() const { return multiView_; }

    QPushButton* button(MediaButton b) const { return buttons_[static_cast<std::size_t>(b)]; }
    QTreeWidget* receiverTree() const { return recTree_; }
    QTreeWidget* receiverList() const { return recList_; }
    QListWidget* receiverIcons() const { return recIcons_; }
    PcPane* pc() const { return pc_; }
    QTreeView* pcList() const;
    QProgressBar* diskBar() const { return diskBar_; }
    const std::filesystem::path& pcFolder() const;

    // ----- The actions of the buttons and menus -----
    void refreshReceiver();
    void refreshPc();
    void enterReceiverFolder(const std::vector<std::string>& levels, bool record = true);
    void setPcFolder(const std::filesystem::path& folder, bool record = true);
    void upFolder();
    // Back (false) or Forward (true) through the history of selected folders.
    void go(bool forward);
    void newReceiverFolder();
    void newPcFolder();
    // Renames a receiver row after the rules of an edited name; false when refused or failed.
    bool renameReceiverRow(int row, const std::string& newName);
    void deleteReceiverRows(const std::vector<int>& rows);
    void deletePcFiles(const std::vector<std::filesystem::path>& files);
    // Renames a folder of the receiver tree after the rules of an edited name.
    bool renameTreeFolder(QTreeWidgetItem* item, const std::string& newName);
    // Removes a folder of the receiver tree (asks first).
    void removeTreeFolder(QTreeWidgetItem* item);
    // Transfers of the selected rows (or the given ones) on the worker thread.
    void download(std::vector<int> rows = {});
    void upload(std::vector<std::filesystem::path> files = {});
    void openReceiverFile(int row);
    void toggleMultiView();

    // Opens a fetched receiver file ("Open"); the default hands it to the desktop's program.
    void setFileOpener(std::function<void(const QString& path)> opener) {
        openFile_ = std::move(opener);
    }

    bool online() const { return online_; }
    const std::vector<link::FolderEntry>& entries() const { return entries_; }
    const link::FolderEntry* entryOf(QTreeWidgetItem* item) const;
    std::vector<int> selectedReceiverRows() const;
    std::vector<std::filesystem::path> selectedPcFiles() const;

  signals:
    void transferFinished(int result);
    void receiverIconsDone();

  protected:
    void closeEvent(QCloseEvent* event) override;

  private:
    void buildLayout();
    void updateControls();
    void fillReceiverTree();
    void showDiskUsage();
    void fillReceiverList();
    std::vector<std::string> rowNames() const;
    bool startWorker(std::function<int()> job, std::function<void(int)> done);
    void startReceiverIcons();
    // Stops the receiver's icon worker and waits for it: the channel is the window's again.
    void quietChannel();
    bool ask(int message, const std::string& arg);

    std::unique_ptr<shell::UiThreadPrompter> prompter_;  // before the manager that uses it
    MediaManager manager_;
    bool online_;
    shell::ToolWindowNotify notify_;
    std::function<void(const QString&)> openFile_;
    FolderHistory history_;
    std::vector<link::FolderEntry> entries_;  // the receiver list's rows, in order
    bool multiView_ = false;
    bool filling_ = false;

    std::array<QPushButton*, kMediaButtonCount> buttons_{};
    PcPane* pc_ = nullptr;
    QTreeWidget* recTree_ = nullptr;
    QTreeWidget* recList_ = nullptr;
    QListWidget* recIcons_ = nullptr;
    QStackedWidget* recStack_ = nullptr;
    QProgressBar* diskBar_ = nullptr;

    shell::ProgressWindow* progressWindow_ = nullptr;
    std::unique_ptr<shell::WindowProgress> progress_;
    std::thread worker_;
    std::atomic<bool> running_{false};
    IconFiller* recFiller_ = nullptr;
    bool destroying_ = false;
};

}  // namespace velkport::media
