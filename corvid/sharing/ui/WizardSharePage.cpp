#include "corvid/sharing/ui/WizardSharePage.h"

#include <unistd.h>

#include <QCheckBox>
#include <QFileDialog>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <filesystem>

#include "common/IniFile.h"
#include "corvid/sharing/CorvidMessages.h"
#include "corvid/sharing/SharingSettings.h"

namespace corvid::sharing {

WizardSharePage::WizardSharePage(SharingSettings& settings, const DesktopServices& services,
                                 std::string mediaType, int title, int text, int hint,
                                 QWidget* parent)
    : QWizardPage(parent),
      settings_(settings),
      services_(services),
      mediaType_(std::move(mediaType)) {
    setTitle(Tr(title));
    auto* form = new QFormLayout(this);
    auto* intro = new QLabel(
        QString::fromStdString(CorvidMessages::instance().Format(text, CorvidMessages::kModel)) +
            QStringLiteral("\n") + Tr(hint),
        this);
    intro->setWordWrap(true);
    form->addRow(intro);
    path_ = new QLineEdit(this);
    auto* browse = new QPushButton(QStringLiteral("..."), this);
    auto* pathRow = new QHBoxLayout;
    pathRow->addWidget(path_);
    pathRow->addWidget(browse);
    name_ = new QLineEdit(this);
    readOnly_ = new QCheckBox(Tr(49), this);
    readOnly_->setVisible(mediaType_ != "record");  // a record share is always writable
    add_ = new QPushButton(Tr(89), this);
    list_ = new QListWidget(this);
    form->addRow(Tr(47), pathRow);
    form->addRow(Tr(48), name_);
    form->addRow(QString(), readOnly_);
    form->addRow(QString(), add_);
    form->addRow(Tr(50), list_);
    connect(browse, &QPushButton::clicked, this, [this] {
        ChooseFolder(QFileDialog::getExistingDirectory(this, Tr(94), path_->text()));
    });
    connect(add_, &QPushButton::clicked, this, [this] { AddShare(); });
}

void WizardSharePage::initializePage() {
    Refresh();
}

void WizardSharePage::ChooseFolder(const QString& folder) {
    if (folder.isEmpty())
        return;
    const std::string path = folder.toStdString();
    std::error_code ec;
    if (!std::filesystem::is_directory(path, ec) || ::access(path.c_str(), R_OK | X_OK) != 0) {
        if (services_.showMessage)
            services_.showMessage(Tr(73));
        return;
    }
    path_->setText(folder);
    if (name_->text().isEmpty())
        name_->setText(
            QString::fromStdString(std::filesystem::path(path).filename().string()).left(12));
}

bool WizardSharePage::AddShare() {
    ShareRecord record;
    record.name = name_->text().trimmed().toStdString();
    record.mediaTypeName = mediaType_;
    record.path = path_->text().trimmed().toStdString();
    record.readOnly = readOnly_->isVisible() && readOnly_->isChecked() ? 1 : 0;
    const ShareCheck check = settings_.AddShare(record);
    QString text = Localized(ShareCheckMessage(check));
    if (check == ShareCheck::Added)
        text += QStringLiteral("\n") + QString::fromStdString(CorvidMessages::instance().Format(
                                           60, std::to_string(settings_.ShareCount())));
    else if (!settings_.LastError().empty())
        text += QStringLiteral("\n") + QString::fromStdString(settings_.LastError());
    if (services_.showMessage)
        services_.showMessage(text);
    Refresh();
    if (check != ShareCheck::Added)
        return false;
    path_->clear();
    name_->clear();
    return true;
}

void WizardSharePage::Refresh() {
    list_->clear();
    for (std::size_t slot = 0; slot < SharingSettings::kMaxShares; ++slot) {
        const auto* s = settings_.Share(slot);
        if (s != nullptr && common::IniFile::namesEqual(s->mediaTypeName, mediaType_))
            list_->addItem(QString::fromStdString(s->name + "  " + s->path));
    }
}

}  // namespace corvid::sharing
