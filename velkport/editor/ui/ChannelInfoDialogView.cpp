#include "velkport/editor/ui/ChannelInfoDialogView.h"

#include <QComboBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "velkport/shell/base/MessageCatalogue.h"
#include "velkport/shell/widgets/QtText.h"

namespace velkport::editor {

using shell::Q;
using shell::S;

namespace {

QComboBox* Choice(QWidget* parent, const QStringList& entries, int current) {
    auto* c = new QComboBox(parent);
    c->addItems(entries);
    c->setCurrentIndex(current);
    return c;
}

}  // namespace

ChannelInfoDialogView::ChannelInfoDialogView(channels::Service& copy, int rowCount,
                                             shell::Prompter& prompter, QWidget* parent)
    : QDialog(parent), copy_(copy), rowCount_(rowCount), prompter_(prompter) {
    setWindowTitle(Q(shell::Msg(20)));
    const ChannelInfoFields f = ChannelInfoDialog::fill(copy);
    auto field = [this](const std::string& text, bool readOnly = false) {
        auto* e = new QLineEdit(Q(text), this);
        e->setReadOnly(readOnly);
        return e;
    };
    number_ = field(f.channelNumber);
    name_ = field(f.name);
    frequency_ = field(f.frequency);
    symbolRate_ = field(f.symbolRate);
    sid_ = field(f.sid);
    oid_ = field(f.oid);
    tsid_ = field(f.tsid);
    videoPid_ = field(f.videoPid, true);
    audioPid_ = field(f.audioPid, true);
    pcrPid_ = field(f.pcrPid, true);
    const QStringList flags{QStringLiteral("false"), QStringLiteral("true")};
    type_ = Choice(this, {QStringLiteral("TV"), QStringLiteral("RADIO")}, f.serviceType);
    qam_ =
        Choice(this, {QStringLiteral("64"), QStringLiteral("128"), QStringLiteral("256")}, f.qam);
    scrambled_ = Choice(this, flags, f.scrambled);
    lock_ = Choice(this, flags, f.locked);
    skip_ = Choice(this, flags, f.skipped);

    auto* group = new QGroupBox(QStringLiteral(" ServiceInfo "), this);
    auto* form = new QFormLayout(group);
    form->addRow(QStringLiteral("Channel Number :"), number_);
    form->addRow(QStringLiteral("Service Name :"), name_);
    form->addRow(QStringLiteral("Service Type :"), type_);
    form->addRow(QStringLiteral("Frequency :"), frequency_);
    form->addRow(QStringLiteral("SymbolRate :"), symbolRate_);
    form->addRow(QStringLiteral("QAM :"), qam_);
    form->addRow(QStringLiteral("Sid :"), sid_);
    form->addRow(QStringLiteral("Oid :"), oid_);
    form->addRow(QStringLiteral("Tsid :"), tsid_);
    form->addRow(QStringLiteral("Lock :"), lock_);
    form->addRow(QStringLiteral("Skip :"), skip_);
    form->addRow(QStringLiteral("scrambled :"), scrambled_);
    form->addRow(QStringLiteral("Video PID :"), videoPid_);
    form->addRow(QStringLiteral("Audio PID :"), audioPid_);
    form->addRow(QStringLiteral("Pcr PID :"), pcrPid_);

    ok_ = new QPushButton(QStringLiteral("OK"), this);
    auto* cancel = new QPushButton(QStringLiteral("Cancel"), this);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(ok_);
    buttons->addWidget(cancel);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(group);
    layout->addLayout(buttons);
    ok_->setDefault(true);
    connect(ok_, &QPushButton::clicked, this, &ChannelInfoDialogView::pressOk);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
}

ChannelInfoFields ChannelInfoDialogView::fields() const {
    ChannelInfoFields f;
    f.channelNumber = number_->text().toStdString();
    f.name = name_->text().toStdString();
    f.frequency = frequency_->text().toStdString();
    f.symbolRate = symbolRate_->text().toStdString();
    f.sid = sid_->text().toStdString();
    f.oid = oid_->text().toStdString();
    f.tsid = tsid_->text().toStdString();
    f.videoPid = videoPid_->text().toStdString();
    f.audioPid = audioPid_->text().toStdString();
    f.pcrPid = pcrPid_->text().toStdString();
    f.serviceType = type_->currentIndex();
    f.qam = qam_->currentIndex();
    f.scrambled = scrambled_->currentIndex();
    f.locked = lock_->currentIndex();
    f.skipped = skip_->currentIndex();
    return f;
}

void ChannelInfoDialogView::pressOk() {
    if (ChannelInfoDialog::accept(fields(), rowCount_, copy_, prompter_))
        accept();
}

}  // namespace velkport::editor
