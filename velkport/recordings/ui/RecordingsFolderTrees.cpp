#include "velkport/recordings/ui/RecordingsFolderTrees.h"

#include <QDialogButtonBox>
#include <QFileDialog>
#include <QPushButton>
#include <QTreeWidget>

#include <algorithm>
#include <array>
#include <functional>
#include <optional>

#include "common/Text.h"
#include "velkport/recordings/RecordText.h"
#include "velkport/recordings/ui/RecordingsRoles.h"
#include "velkport/recordings/ui/RecordingsWindow.h"
#include "velkport/shell/base/MessageCatalogue.h"
#include "velkport/shell/base/SettingsStore.h"
#include "velkport/shell/widgets/QtPrompter.h"
#include "velkport/shell/widgets/QtText.h"

namespace velkport::recordings {

using shell::Msg;
using shell::Q;
using shell::S;

namespace fs = std::filesystem;

namespace {

constexpr int kTreeDepth = 4;     // levels of PC subfolders shown
constexpr int kTreeLimit = 2000;  // PC folders shown at most

// The first "%s" or "%d" of a catalogue text filled with arg.
std::string Fill(int id, const std::string& arg) {
    return common::FillArg(Msg(id), arg);
}

}  // namespace

void RecordingsFolderTrees::fillPc() {
    QTreeWidget* tree = w_.pcFolders_;
    w_.filling_ = true;
    tree->clear();
    if (!w_.baseFolder_.empty()) {
        int count = 0;
        std::function<void(QTreeWidgetItem*, const fs::path&, int)> addChildren =
            [&](QTreeWidgetItem* parent, const fs::path& folder, int depth) {
                if (depth >= kTreeDepth)
                    return;
                std::vector<fs::path> subfolders;
                std::error_code ec;
                for (const auto& e : fs::directory_iterator(folder, ec))
                    if (e.is_directory(ec) && !e.is_symlink(ec))
                        subfolders.push_back(e.path());
                std::sort(subfolders.begin(), subfolders.end());
                for (const fs::path& sub : subfolders) {
                    if (++count > kTreeLimit)
                        return;
                    auto* item = new QTreeWidgetItem(parent, {Q(sub.filename().string())});
                    item->setData(0, kFolderRole, Q(sub.string()));
                    addChildren(item, sub, depth + 1);
                }
            };
        auto* root = new QTreeWidgetItem(tree, {Q(w_.baseFolder_.string())});
        root->setData(0, kFolderRole, Q(w_.baseFolder_.string()));
        addChildren(root, w_.baseFolder_, 0);
        tree->expandItem(root);
        // The folder the list shows stays selected.
        const QString current = Q(w_.manager_->localFolder().string());
        QTreeWidgetItemIterator it(tree);
        for (; *it; ++it)
            if ((*it)->data(0, kFolderRole).toString() == current) {
                tree->setCurrentItem(*it);
                break;
            }
    }
    w_.filling_ = false;
}

void RecordingsFolderTrees::fillReceiver() {
    QTreeWidget* tree = w_.recFolders_;
    RecordManager& manager = *w_.manager_;
    w_.filling_ = true;
    tree->clear();
    std::array<std::optional<FolderRecord>, 256> table;
    if (manager.FoldersSupported() && manager.ReadFolders(table)) {
        const FolderNode folders = BuildFolderTree(table);
        std::function<void(QTreeWidgetItem*, const FolderNode&)> add = [&](QTreeWidgetItem* item,
                                                                           const FolderNode& node) {
            item->setText(0, Q(ToDisplayText(node.name)));
            item->setData(0, kFolderRole, node.id);
            item->setFlags(item->flags() | Qt::ItemIsEditable);
            for (const FolderNode& child : node.children)
                add(new QTreeWidgetItem(item), child);
        };
        auto* root = new QTreeWidgetItem(tree);
        add(root, folders);
        tree->expandAll();
        tree->setCurrentItem(root);
        manager.SelectFolder(folders.id);
    }
    w_.filling_ = false;
}

void RecordingsFolderTrees::receiverFolderRenamed(QTreeWidgetItem* item) {
    if (w_.filling_ || item == nullptr)
        return;
    const int id = item->data(0, kFolderRole).toInt();
    if (id == kNoFolderId)
        return;  // only on the PC side so far: nothing to tell the receiver
    if (!w_.manager_->RenameFolder(id, S(item->text(0))))
        fillReceiver();
}

void RecordingsFolderTrees::newFolder() {
    auto freeName = [](auto taken) {
        for (int n = 1;; ++n) {
            QString name = QStringLiteral("new folder(%1)").arg(n);
            if (!taken(name))
                return name;
        }
    };
    if (w_.focus_ == RecordingsWindow::Focus::PcTree) {
        QTreeWidgetItem* item = w_.pcFolders_->currentItem();
        if (item == nullptr)
            return;
        const fs::path parent = S(item->data(0, kFolderRole).toString());
        const QString name = freeName([&](const QString& n) {
            std::error_code ec;
            return fs::exists(parent / S(n), ec);
        });
        std::error_code ec;
        if (!fs::create_directory(parent / S(name), ec) && ec)
            w_.prompter_->showMessage(ec.message(), shell::PromptIcon::Error);
        fillPc();
    } else if (w_.focus_ == RecordingsWindow::Focus::ReceiverTree) {
        QTreeWidgetItem* item = w_.recFolders_->currentItem();
        if (item == nullptr)
            return;
        const QString name = freeName([&](const QString& n) {
            for (int i = 0; i < item->childCount(); ++i)
                if (item->child(i)->text(0) == n)
                    return true;
            return false;
        });
        w_.filling_ = true;
        auto* child = new QTreeWidgetItem(item, {name});
        child->setData(0, kFolderRole, kNoFolderId);
        child->setFlags(child->flags() | Qt::ItemIsEditable);
        item->setExpanded(true);
        w_.filling_ = false;
    }
}

void RecordingsFolderTrees::deleteReceiverFolder() {
    QTreeWidgetItem* item = w_.recFolders_->currentItem();
    if (!w_.online_ || item == nullptr)
        return;
    if (!w_.prompter_->askYesNo(Fill(113, S(item->text(0)))))
        return;
    const int id = item->data(0, kFolderRole).toInt();
    if (id == kNoFolderId) {
        delete item;
        return;
    }
    w_.manager_->DeleteFolder(id);
    fillReceiver();
    w_.refreshReceiverList();
    w_.updateDiskBars();
}

void RecordingsFolderTrees::deletePcFolder() {
    QTreeWidgetItem* item = w_.pcFolders_->currentItem();
    // The record folder itself stays: only folders below it are deleted here.
    if (item == nullptr || item->parent() == nullptr)
        return;
    if (!w_.prompter_->askYesNo(Fill(113, S(item->text(0)))))
        return;
    const fs::path folder = S(item->data(0, kFolderRole).toString());
    std::error_code ec;
    fs::remove_all(folder, ec);
    if (ec)
        w_.prompter_->showMessage(ec.message(), shell::PromptIcon::Error);
    const fs::path current = w_.manager_->localFolder();
    if (current == folder || current.string().starts_with(folder.string() + "/"))
        w_.manager_->setLocalFolder(folder.parent_path());
    fillPc();
    w_.refreshPcList();
    w_.updateDiskBars();
}

QString RecordingsFolderTrees::ChooseWithDialog(QWidget* parent, const QString& current) {
    QFileDialog dialog(parent, Q(Msg(61)), current);
    dialog.setFileMode(QFileDialog::Directory);
    dialog.setOptions(QFileDialog::ShowDirsOnly | QFileDialog::DontUseNativeDialog);
    QString chosenDefault;
    if (auto* box = dialog.findChild<QDialogButtonBox*>()) {
        QPushButton* def = box->addButton(Q(Msg(62)), QDialogButtonBox::ResetRole);
        QObject::connect(def, &QPushButton::clicked, &dialog, [&] {
            shell::SettingsStore store;
            chosenDefault = Q(store.DefaultLocalPath().value_or(std::string()));
            static_cast<QDialog&>(dialog).done(QDialog::Accepted);
        });
    }
    if (dialog.exec() != QDialog::Accepted)
        return QString();
    if (!chosenDefault.isEmpty())
        return chosenDefault;
    return dialog.selectedFiles().isEmpty() ? QString() : dialog.selectedFiles().first();
}

}  // namespace velkport::recordings
