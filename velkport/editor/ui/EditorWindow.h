#pragma once
// The channel editor window ("Channel Edit"): the service list, the favorites tree and the
// members list over the editor logic, its buttons, context menus, keyboard rules and drag and
// drop, and the transfers to and from the receiver on a worker thread with the progress window.

#include <QWidget>

#include <array>
#include <functional>
#include <memory>

#include "velkport/channels/ChannelExchange.h"
#include "velkport/channels/ChannelListEditor.h"
#include "velkport/shell/base/AppContext.h"
#include "velkport/shell/base/JobResult.h"
#include "velkport/shell/base/Prompter.h"
#include "velkport/shell/base/ToolWindowEvent.h"

class QCheckBox;
class QLabel;
class QMenu;
class QMimeData;
class QPushButton;
class QTableView;
class QTreeWidget;
class QTreeWidgetItem;

namespace velkport::shell {
class ProgressWindow;
class UiThreadPrompter;
class BackgroundJob;
}  // namespace velkport::shell

namespace velkport::editor {

class EditorKeyHandler;
class FavoritesTree;
class MembersList;
class QtEditorDialogs;
class ServiceTableModel;

enum class EditorButton : int {
    Open = 0,
    Save,
    SaveAs,
    Test,
    SatcoDX,
    CreateFavorite,
    Delete,
    AddToFavorite,
    SendToDvr,
    LoadFromDvr,
    Renumbering,
    SatTp,
};
inline constexpr int kEditorButtonCount = 12;

class EditorWindow : public QWidget {
    Q_OBJECT
  public:
    // notify hears when the window closes. online enables the receiver transfers.
    EditorWindow(const shell::AppContext& app, shell::Prompter& prompter, bool online,
                 shell::ToolWindowNotify notify, QWidget* parent = nullptr);
    ~EditorWindow() override;

    channels::ChannelListEditor& logic() { return *editor_; }
    channels::ChannelExchange& exchange() { return *exchange_; }
    ServiceTableModel& model() { return *model_; }
    QTableView* serviceList() const { return services_; }
    QTreeWidget* favoritesTree() const;
    QTreeWidget* membersList() const;
    QPushButton* button(EditorButton b) const { return buttons_[static_cast<std::size_t>(b)]; }
    QCheckBox* radioBox() const { return radio_; }
    QLabel* servicePosition() const { return servicePos_; }
    QLabel* memberPosition() const { return memberPos_; }
    shell::ProgressWindow* progressWindow() const;
    bool transferRunning() const { return transfer_; }

    // Chooses a file for Open (save false) or Save As (save true); empty when cancelled. The
    // default shows the file dialog.
    void setFileChooser(std::function<QString(bool save)> chooser) {
        chooser_ = std::move(chooser);
    }

    // The tree item of a favorite group (null when the tree does not show it) and of a branch.

    // The service list's context menu for the current state, and one of its commands.
    std::unique_ptr<QMenu> makeServiceMenu();
    void runServiceCommand(int command);

    // A drop on one of the three controls (its viewport) at a position of that viewport.
    bool dropOn(QWidget* viewport, const QMimeData& mime, const QPoint& pos);

  public slots:
    void openFile();
    void saveFile();
    void saveFileAs();
    void loadFromReceiver();
    void sendToReceiver();
    void deleteAction();
    void editSatellites();

  signals:
    // At the end of a transfer, with how it ended.
    void transferFinished(const velkport::shell::JobResult& result);

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

  private:
    enum class Focus { Services, Members, Tree };

    void buildLayout();
    void connectSignals();
    void onChange(channels::ChannelListEditor::Change change);
    void refreshRows();
    void refreshTree();
    void refreshMembers();
    void updatePositions();
    void updateButtons();
    void updateTitle();
    void startTransfer(bool send);
    void transferDone(const shell::JobResult& result);
    void showTreeMenu(const QPoint& pos);
    void showMembersMenu(const QPoint& pos);
    void showServiceMenu(const QPoint& pos);
    void treeSelectionChanged();
    void treeItemRenamed(QTreeWidgetItem* item);
    std::vector<int> selectedMembers() const;
    bool labelEditing() const;
    bool inThisWindow(QObject* watched) const;

    const shell::AppContext& app_;
    std::unique_ptr<shell::UiThreadPrompter> prompter_;
    std::unique_ptr<channels::ChannelListEditor> editor_;
    std::unique_ptr<shell::BackgroundJob> job_;
    std::unique_ptr<channels::ChannelExchange> exchange_;
    std::unique_ptr<QtEditorDialogs> dialogs_;
    std::unique_ptr<EditorKeyHandler> keys_;
    bool online_;
    shell::ToolWindowNotify notify_;
    std::function<QString(bool)> chooser_;

    ServiceTableModel* model_ = nullptr;
    QTableView* services_ = nullptr;
    FavoritesTree* tree_ = nullptr;
    MembersList* members_ = nullptr;
    QCheckBox* radio_ = nullptr;
    QLabel* servicePos_ = nullptr;
    QLabel* memberPos_ = nullptr;
    std::array<QPushButton*, kEditorButtonCount> buttons_{};

    Focus focus_ = Focus::Services;
    bool transfer_ = false;
    bool syncing_ = false;  // selection being copied between the view and the logic
    bool fillingTree_ = false;
    bool destroying_ = false;
};

}  // namespace velkport::editor
