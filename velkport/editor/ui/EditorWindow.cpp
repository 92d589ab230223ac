#include "velkport/editor/ui/EditorWindow.h"

#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QDesktopServices>
#include <QFileDialog>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QMenu>
#include <QMimeData>
#include <QMouseEvent>
#include <QPushButton>
#include <QTableView>
#include <QThread>
#include <QTreeWidget>
#include <QUrl>
#include <QVBoxLayout>

#include <algorithm>

#include "common/Text.h"
#include "velkport/editor/ui/EditorDrops.h"
#include "velkport/editor/ui/EditorKeyHandler.h"
#include "velkport/editor/ui/FavoritesTree.h"
#include "velkport/editor/ui/MembersList.h"
#include "velkport/editor/ui/QtEditorDialogs.h"
#include "velkport/editor/ui/SatelliteTransponderDialogView.h"
#include "velkport/editor/ui/ServiceMenu.h"
#include "velkport/editor/ui/ServiceTableModel.h"
#include "velkport/shell/base/MessageCatalogue.h"
#include "velkport/shell/widgets/BackgroundJob.h"
#include "velkport/shell/widgets/Icons.h"
#include "velkport/shell/widgets/ProgressWindow.h"
#include "velkport/shell/widgets/QtPrompter.h"
#include "velkport/shell/widgets/QtText.h"

namespace velkport::editor {

using shell::Q;
using shell::S;

using channels::ChannelListEditor;
using channels::FavoriteGroup;
using shell::Msg;

namespace {

bool HasXmlExtension(const std::filesystem::path& p) {
    return common::EqualsNoCase(p.extension().string(), ".xml");
}

}  // namespace

EditorWindow::EditorWindow(const shell::AppContext& app, shell::Prompter& prompter, bool online,
                           shell::ToolWindowNotify notify, QWidget* parent)
    : QWidget(parent, Qt::Window),
      app_(app),
      prompter_(std::make_unique<shell::UiThreadPrompter>(prompter, this)),
      editor_(std::make_unique<ChannelListEditor>(*prompter_)),
      online_(online),
      notify_(std::move(notify)) {
    setWindowTitle(Q(Msg(94)));
    setWindowIcon(shell::ChannelButtonIcon());
    job_ = std::make_unique<shell::BackgroundJob>(this, prompter_.get());
    job_->setCancellable(false);  // a channel list transfer runs to its end
    exchange_ = std::make_unique<channels::ChannelExchange>(app_, *editor_, job_->progress());
    dialogs_ = std::make_unique<QtEditorDialogs>(this, *prompter_);
    keys_ = std::make_unique<EditorKeyHandler>(EditorKeyHandler::Hooks{
        [this] { updatePositions(); },
        [this] { return button(EditorButton::Delete)->isEnabled(); },
        [this] { deleteAction(); },
        [this] { tree_->setFocus(); },
        [this] {
            const auto help = app_.programFolder / "VelkHelp.chm";
            QDesktopServices::openUrl(QUrl::fromLocalFile(Q(help.string())));
        },
    });
    chooser_ = [this](bool save) {
        const QString filter = QStringLiteral("User Favorite Files(*.xml);;All(*.*)");
        if (!save)
            return QFileDialog::getOpenFileName(this, Q(Msg(1)), QString(), filter);
        QFileDialog d(this, Q(Msg(3)), QString(), filter);
        d.setAcceptMode(QFileDialog::AcceptSave);
        d.setDefaultSuffix(QStringLiteral("xml"));
        return d.exec() == QDialog::Accepted && !d.selectedFiles().isEmpty()
                   ? d.selectedFiles().first()
                   : QString();
    };
    buildLayout();
    connectSignals();
    editor_->setListener([this](ChannelListEditor::Change c) { onChange(c); });
    refreshTree();
    refreshRows();
    updateButtons();
    qApp->installEventFilter(this);
}

EditorWindow::~EditorWindow() {
    qApp->removeEventFilter(this);
    destroying_ = true;
    job_.reset();  // a running transfer ends (its questions answered No) before the parts go
    editor_->setListener({});
    // The controls and the model read the editor logic: they go before it does.
    fillingTree_ = true;
    qDeleteAll(findChildren<QWidget*>(QString(), Qt::FindDirectChildrenOnly));
    delete model_;
    model_ = nullptr;
}

QTreeWidget* EditorWindow::membersList() const {
    return members_;
}

void EditorWindow::buildLayout() {
    model_ = new ServiceTableModel(*editor_, this);
    services_ = new QTableView(this);
    model_->setUpView(services_);

    tree_ = new FavoritesTree(*editor_, this);

    members_ = new MembersList(this);
    members_->setContextMenuPolicy(Qt::CustomContextMenu);

    radio_ = new QCheckBox(Q(Msg(12)), this);
    servicePos_ = new QLabel(this);
    memberPos_ = new QLabel(this);

    const std::array<QString, kEditorButtonCount> texts = {
        Q(Msg(1)), Q(Msg(2)), Q(Msg(3)),  QStringLiteral("Test"),
        Q(Msg(6)), Q(Msg(8)), Q(Msg(11)), Q(Msg(9)),
        Q(Msg(5)), Q(Msg(4)), Q(Msg(10)), Q(Msg(7)),
    };
    for (int i = 0; i < kEditorButtonCount; ++i) {
        buttons_[static_cast<std::size_t>(i)] =
            new QPushButton(texts[static_cast<std::size_t>(i)], this);
        buttons_[static_cast<std::size_t>(i)]->setAutoDefault(false);
    }

    auto* serviceHead = new QHBoxLayout;
    serviceHead->addWidget(new QLabel(QStringLiteral("Service Channels"), this));
    serviceHead->addWidget(servicePos_);
    serviceHead->addStretch(1);
    serviceHead->addWidget(radio_);
    auto* left = new QVBoxLayout;
    left->addLayout(serviceHead);
    left->addWidget(services_, 1);

    auto* memberHead = new QHBoxLayout;
    memberHead->addWidget(new QLabel(QStringLiteral("Details"), this));
    memberHead->addWidget(memberPos_);
    memberHead->addStretch(1);
    auto* right = new QVBoxLayout;
    right->addWidget(tree_, 2);
    right->addLayout(memberHead);
    right->addWidget(members_, 3);

    auto* lists = new QHBoxLayout;
    lists->addLayout(left, 3);
    lists->addLayout(right, 1);

    auto* bar = new QGridLayout;
    const EditorButton order[kEditorButtonCount] = {
        EditorButton::Open,           EditorButton::Save,          EditorButton::SaveAs,
        EditorButton::LoadFromDvr,    EditorButton::SendToDvr,     EditorButton::Renumbering,
        EditorButton::CreateFavorite, EditorButton::AddToFavorite, EditorButton::Delete,
        EditorButton::SatTp,          EditorButton::SatcoDX,       EditorButton::Test,
    };
    for (int i = 0; i < kEditorButtonCount; ++i)
        bar->addWidget(button(order[i]), i / 6, i % 6);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(lists, 1);
    layout->addLayout(bar);
    setMinimumSize(760, 460);
    resize(1180, 720);
}

void EditorWindow::connectSignals() {
    auto on = [this](EditorButton b, auto slot) {
        connect(button(b), &QPushButton::clicked, this, slot);
    };
    on(EditorButton::Open, &EditorWindow::openFile);
    on(EditorButton::Save, &EditorWindow::saveFile);
    on(EditorButton::SaveAs, &EditorWindow::saveFileAs);
    on(EditorButton::LoadFromDvr, &EditorWindow::loadFromReceiver);
    on(EditorButton::SendToDvr, &EditorWindow::sendToReceiver);
    on(EditorButton::Delete, &EditorWindow::deleteAction);
    on(EditorButton::SatTp, &EditorWindow::editSatellites);
    on(EditorButton::Renumbering, [this] { editor_->renumber(); });
    on(EditorButton::CreateFavorite, [this] { editor_->createFavoriteFromTree(); });
    on(EditorButton::AddToFavorite, [this] { editor_->addToSelectedFavorite(); });
    // "Test" and "SatcoDX" have no action.

    connect(radio_, &QCheckBox::toggled, this, [this](bool radio) {
        if (!editor_->switchView(radio)) {
            const QSignalBlocker block(radio_);
            radio_->setChecked(!radio);
        }
        updatePositions();
    });

    connect(services_->selectionModel(), &QItemSelectionModel::selectionChanged, this,
            [this](const QItemSelection& selected, const QItemSelection& deselected) {
                if (syncing_ || model_->frozen())
                    return;
                for (const QItemSelectionRange& r : deselected)
                    for (int row = r.top(); row <= r.bottom(); ++row)
                        editor_->setSelected(row, false);
                for (const QItemSelectionRange& r : selected)
                    for (int row = r.top(); row <= r.bottom(); ++row)
                        editor_->setSelected(row, true);
            });
    connect(services_->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            [this](const QModelIndex& current) {
                if (syncing_ || model_->frozen())
                    return;
                editor_->setFocusedRow(current.isValid() ? current.row() : -1);
                updatePositions();
            });
    connect(services_, &QTableView::clicked, this, [this](const QModelIndex& index) {
        if (model_->frozen() || !index.isValid())
            return;
        if (editor_->numberingActive()) {
            editor_->numberingClick(index.row());
            return;
        }
        editor_->setFocusedRow(index.row());
        updatePositions();
    });
    connect(services_, &QTableView::doubleClicked, this, [this](const QModelIndex& index) {
        if (model_->frozen() || !index.isValid() || editor_->numberingActive())
            return;
        editor_->selectOnly({index.row()});
        editor_->editChannel(*dialogs_);
    });
    connect(services_->horizontalHeader(), &QHeaderView::sectionClicked, this, [this](int column) {
        if (model_->frozen() || column >= ServiceTableModel::kColumnCount - 1)
            return;
        editor_->sortByColumn(static_cast<channels::Column>(column));
        services_->horizontalHeader()->setSortIndicatorShown(true);
        services_->horizontalHeader()->setSortIndicator(
            column, editor_->sortAscending() ? Qt::AscendingOrder : Qt::DescendingOrder);
    });
    connect(services_, &QWidget::customContextMenuRequested, this, &EditorWindow::showServiceMenu);

    connect(tree_, &QTreeWidget::itemSelectionChanged, this, &EditorWindow::treeSelectionChanged);
    connect(tree_, &QTreeWidget::itemChanged, this,
            [this](QTreeWidgetItem* item, int) { treeItemRenamed(item); });
    connect(tree_, &QWidget::customContextMenuRequested, this, &EditorWindow::showTreeMenu);
    connect(members_, &QWidget::customContextMenuRequested, this, &EditorWindow::showMembersMenu);
    connect(members_, &QTreeWidget::itemSelectionChanged, this, &EditorWindow::updatePositions);
    connect(members_, &QTreeWidget::currentItemChanged, this, &EditorWindow::updatePositions);

    for (QWidget* v : {services_->viewport(), tree_->viewport(), members_->viewport()})
        v->installEventFilter(this);
}

void EditorWindow::onChange(ChannelListEditor::Change change) {
    // A transfer's worker changes the logic on its own thread; the controls are refreshed once
    // it has ended.
    if (QThread::currentThread() != thread() || transfer_)
        return;
    switch (change) {
        case ChannelListEditor::Change::Rows:
            refreshRows();
            refreshMembers();
            break;
        case ChannelListEditor::Change::RowData:
            model_->refreshData();
            break;
        case ChannelListEditor::Change::Favorites:
            refreshTree();
            break;
        case ChannelListEditor::Change::Members:
            refreshMembers();
            break;
        case ChannelListEditor::Change::Numbering:
            model_->refreshData();
            updateButtons();
            break;
    }
    updateButtons();
}

void EditorWindow::refreshRows() {
    syncing_ = true;
    model_->reset();
    model_->showSelection(services_);
    syncing_ = false;
    {
        const QSignalBlocker block(radio_);
        radio_->setChecked(editor_->radioView());
    }
    updatePositions();
}

void EditorWindow::refreshTree() {
    tree_->refill();
    refreshMembers();
}

void EditorWindow::refreshMembers() {
    FavoriteGroup* g = editor_->selectedGroup();
    members_->showGroup(g != nullptr && tree_->itemOf(g) != nullptr ? g : nullptr);
    updatePositions();
}

void EditorWindow::updatePositions() {
    const int rows = model_->rowCount();
    const QModelIndex current = services_->selectionModel()->currentIndex();
    servicePos_->setText(current.isValid()
                             ? QStringLiteral("%1/%2").arg(current.row() + 1).arg(rows)
                             : QStringLiteral("0/%1").arg(rows));
    const int members = members_->topLevelItemCount();
    QTreeWidgetItem* m = members_->currentItem();
    memberPos_->setText(
        m != nullptr
            ? QStringLiteral("%1/%2").arg(members_->indexOfTopLevelItem(m) + 1).arg(members)
            : QStringLiteral("0/%1").arg(members));
}

void EditorWindow::updateButtons() {
    const bool idle = !transfer_ && !editor_->numberingActive();
    for (QPushButton* b : buttons_)
        b->setEnabled(idle);
    const bool nothingToSave = editor_->empty();
    button(EditorButton::Save)
        ->setEnabled(idle && !nothingToSave && !editor_->currentPath().empty());
    button(EditorButton::SaveAs)->setEnabled(idle && !nothingToSave);
    button(EditorButton::SendToDvr)->setEnabled(idle && online_);
    button(EditorButton::LoadFromDvr)->setEnabled(idle && online_);
    radio_->setEnabled(!transfer_);
}

void EditorWindow::updateTitle() {
    const auto& path = editor_->currentPath();
    if (path.empty()) {
        setWindowTitle(Q(Msg(94)));
        return;
    }
    setWindowTitle(Q(common::FillArg(Msg(97), path.filename().string())));
}

void EditorWindow::openFile() {
    const QString chosen = chooser_(false);
    if (chosen.isEmpty())
        return;
    const std::filesystem::path path = chosen.toStdString();
    const bool existed = std::filesystem::exists(path);
    editor_->openFile(path);
    if (!existed) {
        setWindowTitle(Q(Msg(94)));
        return;
    }
    updateTitle();
    updateButtons();
}

void EditorWindow::saveFile() {
    const std::filesystem::path path = editor_->currentPath();
    if (path.empty() || !HasXmlExtension(path))
        return;
    if (!std::filesystem::exists(path)) {
        saveFileAs();
        return;
    }
    editor_->writeChannelList(path, true);
}

void EditorWindow::saveFileAs() {
    QString chosen = chooser_(true);
    if (chosen.isEmpty())
        return;
    std::filesystem::path path = chosen.toStdString();
    if (!path.has_extension())
        path += ".xml";
    if (!HasXmlExtension(path))
        return;
    if (editor_->writeChannelList(path, false))
        updateTitle();
    updateButtons();
}

void EditorWindow::loadFromReceiver() {
    startTransfer(false);
}

void EditorWindow::sendToReceiver() {
    startTransfer(true);
}

void EditorWindow::startTransfer(bool send) {
    if (transfer_ || !online_)
        return;
    if (send && editor_->empty())
        return;  // nothing to send, nothing said
    transfer_ = true;
    // Loading empties the lists at once; sending keeps showing them.
    model_->freeze(send);
    tree_->setEnabled(false);
    members_->setEnabled(false);
    if (!send) {
        members_->clear();
        for (int kind : {channels::kTv, channels::kRadio})
            qDeleteAll(tree_->branchItem(kind)->takeChildren());
    }
    updateButtons();
    updatePositions();
    QApplication::setOverrideCursor(Qt::BusyCursor);
    job_->start(
        [this, send](shell::Progress&) {
            return send ? exchange_->sendChannelList() : exchange_->loadChannelList();
        },
        [this](const shell::JobResult& result) { transferDone(result); });
}

shell::ProgressWindow* EditorWindow::progressWindow() const {
    return job_->progressWindow();
}

void EditorWindow::transferDone(const shell::JobResult& result) {
    QApplication::restoreOverrideCursor();
    job_->progressWindow()->finish();
    transfer_ = false;
    model_->thaw();
    tree_->setEnabled(true);
    members_->setEnabled(true);
    refreshTree();
    refreshRows();
    updateButtons();
    emit transferFinished(result);
}

void EditorWindow::deleteAction() {
    switch (focus_) {
        case Focus::Services:
            editor_->deleteChannels();
            break;
        case Focus::Members:
            if (FavoriteGroup* g = editor_->selectedGroup())
                editor_->removeMembers(g, selectedMembers());
            break;
        case Focus::Tree:
            if (FavoriteGroup* g = editor_->selectedGroup())
                editor_->deleteFavorite(g);
            break;
    }
}

void EditorWindow::editSatellites() {
    SatelliteTransponderDialogView dialog(*editor_, this);
    dialog.exec();
}

QTreeWidget* EditorWindow::favoritesTree() const {
    return tree_;
}

void EditorWindow::treeSelectionChanged() {
    if (fillingTree_ || tree_->filling() || transfer_)
        return;
    tree_->selectionToLogic();
    refreshMembers();
}

void EditorWindow::treeItemRenamed(QTreeWidgetItem* item) {
    if (fillingTree_ || tree_->filling() || transfer_)
        return;
    tree_->renamed(item);
}

std::vector<int> EditorWindow::selectedMembers() const {
    return members_->selectedRows();
}

bool EditorWindow::labelEditing() const {
    // The label editor is a line edit the tree puts on its viewport while a name is edited.
    const QWidget* f = QApplication::focusWidget();
    return f != nullptr && f != tree_ && tree_->isAncestorOf(f);
}

std::unique_ptr<QMenu> EditorWindow::makeServiceMenu() {
    return ServiceMenu(*editor_, *dialogs_).make(this);
}

void EditorWindow::runServiceCommand(int command) {
    ServiceMenu(*editor_, *dialogs_).run(command);
    updateButtons();
}

void EditorWindow::showServiceMenu(const QPoint& pos) {
    if (transfer_)
        return;
    auto menu = makeServiceMenu();
    QAction* chosen = menu->exec(services_->viewport()->mapToGlobal(pos));
    if (chosen != nullptr && chosen->isEnabled())
        runServiceCommand(chosen->data().toInt());
}

void EditorWindow::showMembersMenu(const QPoint& pos) {
    if (transfer_ || selectedMembers().empty())
        return;
    QMenu menu(this);
    QAction* del = menu.addAction(Q(Msg(11)));
    if (menu.exec(members_->viewport()->mapToGlobal(pos)) == del)
        if (FavoriteGroup* g = editor_->selectedGroup())
            editor_->removeMembers(g, selectedMembers());
}

void EditorWindow::showTreeMenu(const QPoint& pos) {
    if (!transfer_)
        tree_->showMenu(pos);
}

bool EditorWindow::dropOn(QWidget* viewport, const QMimeData& mime, const QPoint& pos) {
    if (transfer_ || editor_->numberingActive())
        return false;
    const EditorDrops::Outcome out = EditorDrops(*editor_, services_, tree_, members_)
                                         .drop(viewport, mime, pos, selectedMembers());
    if (out.groupSelected)
        refreshTree();
    return out.changed;
}

bool EditorWindow::inThisWindow(QObject* watched) const {
    auto* w = qobject_cast<QWidget*>(watched);
    return w != nullptr && w->window() == this;
}

bool EditorWindow::eventFilter(QObject* watched, QEvent* event) {
    if (destroying_)
        return false;
    const QEvent::Type type = event->type();
    // Drops on the three controls.
    if (watched == services_->viewport() || watched == tree_->viewport() ||
        watched == members_->viewport()) {
        if (type == QEvent::DragEnter || type == QEvent::DragMove) {
            auto* e = static_cast<QDragMoveEvent*>(event);
            if (EditorDrops::IsOurs(*e->mimeData()) && !transfer_) {
                e->setDropAction(Qt::MoveAction);
                e->accept();
            } else {
                e->ignore();
            }
            return true;
        }
        if (type == QEvent::Drop) {
            auto* e = static_cast<QDropEvent*>(event);
            dropOn(static_cast<QWidget*>(watched), *e->mimeData(), e->position().toPoint());
            e->setDropAction(Qt::IgnoreAction);  // the views never move rows themselves
            e->accept();
            return true;
        }
    }
    if (!inThisWindow(watched))
        return QWidget::eventFilter(watched, event);

    const bool key = type == QEvent::KeyPress || type == QEvent::KeyRelease;
    if (transfer_) {
        if (key)
            return true;
        if (type == QEvent::MouseButtonPress || type == QEvent::MouseButtonRelease ||
            type == QEvent::MouseButtonDblClick) {
            if (static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton)
                return true;
        }
    }
    if (type == QEvent::FocusIn) {
        if (watched == services_)
            focus_ = Focus::Services;
        else if (watched == members_)
            focus_ = Focus::Members;
        else if (watched == tree_)
            focus_ = Focus::Tree;
    }
    if (!key)
        return QWidget::eventFilter(watched, event);

    if (keys_->handle(*static_cast<QKeyEvent*>(event), type == QEvent::KeyPress, labelEditing()))
        return true;
    return QWidget::eventFilter(watched, event);
}

void EditorWindow::closeEvent(QCloseEvent* event) {
    if (transfer_) {
        event->ignore();  // the transfer ends first
        return;
    }
    event->accept();
    if (notify_)
        notify_({shell::Manager::Channel, shell::ToolWindowEvent::What::Closed});
}

}  // namespace velkport::editor
