#include "corvid/sharing/ui/ShareInfoDialog.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>

#include "corvid/sharing/SharingSettings.h"

namespace corvid::sharing {

namespace {
// The choices and the media-type names they stand for.
const char* const kTypes[] = {"MUSIC", "JPEG", "VIDEO", "VLC", "RECORD"};
}  // namespace

ShareInfoDialog::ShareInfoDialog(SharingSettings& settings, const DesktopServices& services,
                                 const ShareRecord* record, QWidget* parent)
    : QDialog(parent), settings_(settings), services_(services), adding_(record == nullptr) {
    setWindowTitle(QStringLiteral("Share Infomation"));
    auto* form = new QFormLayout(this);
    name_ = new QLineEdit(this);
    name_->setMaxLength(64);  // longer names are refused with their own message
    type_ = new QComboBox(this);
    for (const char* t : kTypes)
        type_->addItem(QString::fromLatin1(t));
    path_ = new QLineEdit(this);
    auto* browse = new QPushButton(QStringLiteral("..."), this);
    auto* pathRow = new QHBoxLayout;
    pathRow->addWidget(path_);
    pathRow->addWidget(browse);
    readOnly_ = new QCheckBox(Tr(49), this);
    form->addRow(Tr(48), name_);
    form->addRow(Tr(4), type_);
    form->addRow(Tr(5), pathRow);
    form->addRow(QString(), readOnly_);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    form->addRow(buttons);
    connect(buttons, &QDialogButtonBox::accepted, this, &ShareInfoDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(browse, &QPushButton::clicked, this, [this] {
        const QString folder = QFileDialog::getExistingDirectory(this, Tr(94), path_->text());
        if (!folder.isEmpty())
            path_->setText(folder);
    });
    if (record != nullptr) {
        name_->setText(QString::fromStdString(record->name));
        const QString type = QString::fromStdString(record->mediaTypeName).toUpper();
        type_->setCurrentIndex(std::max(0, type_->findText(type)));
        path_->setText(QString::fromStdString(record->path));
        readOnly_->setChecked(record->readOnly != 0);
        for (QWidget* w : {static_cast<QWidget*>(name_), static_cast<QWidget*>(type_),
                           static_cast<QWidget*>(path_), static_cast<QWidget*>(readOnly_),
                           static_cast<QWidget*>(browse)})
            w->setEnabled(false);
    }
}

void ShareInfoDialog::accept() {
    if (!adding_) {
        QDialog::accept();
        return;
    }
    ShareRecord record;
    record.name = name_->text().trimmed().toStdString();
    record.mediaTypeName = type_->currentText().toLower().toStdString();
    record.path = path_->text().trimmed().toStdString();
    record.readOnly = readOnly_->isChecked() ? 1 : 0;
    const ShareCheck check = settings_.AddShare(record);
    if (check != ShareCheck::Added) {
        QString text = Localized(ShareCheckMessage(check));
        if (!settings_.LastError().empty())
            text += QStringLiteral("\n") + QString::fromStdString(settings_.LastError());
        if (services_.showMessage)
            services_.showMessage(text);
        return;
    }
    QDialog::accept();
}

}  // namespace corvid::sharing
