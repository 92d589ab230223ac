#include "corvid/sharing/ui/VlcOptionsForm.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFileDialog>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>
#include <filesystem>

#include "corvid/sharing/AutoStart.h"
#include "corvid/sharing/SharingSettings.h"
#include "corvid/sharing/ui/DesktopServices.h"

namespace corvid::sharing {

namespace {

struct Choice {
    int value;
    int label;  // message id; 0 = the number itself
};

const Choice kVideo[] = {{3072, 0}, {2048, 0}, {1024, 0}, {768, 0}, {512, 0},
                         {384, 0},  {256, 0},  {192, 0},  {128, 0}};
const Choice kAudio[] = {{512, 0}, {256, 0}, {192, 0}, {128, 0}, {96, 0}, {64, 0}, {32, 0}};
const Choice kAlign[] = {{0, 108}, {1, 110}, {2, 109}};
const Choice kSize[] = {{18, 111}, {16, 112}, {12, 113}};
const Choice kEffect[] = {{2, 114}, {1, 115}, {3, 116}};
const Choice kColor[] = {{16777215, 117}, {0, 118},        {8421504, 119},
                         {12632256, 120}, {16711680, 121}, {16776960, 123},
                         {32768, 122},    {128, 124},      {255, 125}};

template <std::size_t N>
QComboBox* combo(QWidget* parent, const Choice (&choices)[N], bool blank) {
    auto* box = new QComboBox(parent);
    if (blank)
        box->addItem(QString(), 0);
    for (const Choice& c : choices)
        box->addItem(c.label != 0 ? Tr(c.label) : QString::number(c.value), c.value);
    return box;
}

// Selects the entry of a value; the first entry when the value is not offered.
void selectValue(QComboBox* box, std::uint32_t value) {
    const int at = box->findData(static_cast<int>(value));
    box->setCurrentIndex(std::max(at, 0));
}

std::uint32_t chosen(const QComboBox* box) {
    return static_cast<std::uint32_t>(box->currentData().toInt());
}

std::filesystem::path thisProgram() {
    std::error_code ec;
    auto exe = std::filesystem::read_symlink("/proc/self/exe", ec);
    return ec ? std::filesystem::path("corvid") : exe.parent_path() / "corvid";
}

}  // namespace

VlcOptionsForm::VlcOptionsForm(bool withBlankBitrates, QWidget* parent) : QWidget(parent) {
    auto* form = new QFormLayout(this);
    useVlc_ = new QCheckBox(Tr(92), this);
    vlcFolder_ = new QLineEdit(this);
    auto* browse = new QPushButton(QStringLiteral("..."), this);
    auto* folderRow = new QHBoxLayout;
    folderRow->addWidget(vlcFolder_);
    folderRow->addWidget(browse);
    video_ = combo(this, kVideo, withBlankBitrates);
    audio_ = combo(this, kAudio, withBlankBitrates);
    font_ = new QLineEdit(this);
    font_->setPlaceholderText(Tr(107));
    align_ = combo(this, kAlign, false);
    size_ = combo(this, kSize, false);
    effect_ = combo(this, kEffect, false);
    color_ = combo(this, kColor, false);
    autoStart_ = new QCheckBox(Tr(86), this);
    form->addRow(useVlc_);
    form->addRow(Tr(93), folderRow);
    form->addRow(Tr(87), video_);
    form->addRow(Tr(88), audio_);
    form->addRow(Tr(97), font_);
    form->addRow(Tr(98), align_);
    form->addRow(Tr(99), size_);
    form->addRow(Tr(100), effect_);
    form->addRow(Tr(101), color_);
    form->addRow(autoStart_);
    connect(browse, &QPushButton::clicked, this, [this] {
        // The VLC program; its folder is what is stored.
        const QString file = QFileDialog::getOpenFileName(this, Tr(96), vlcFolder_->text(),
                                                          QStringLiteral("Programs (vlc)"));
        if (!file.isEmpty())
            vlcFolder_->setText(QString::fromStdString(
                std::filesystem::path(file.toStdString()).parent_path().string()));
    });
}

void VlcOptionsForm::Load(const SharingSettings& settings) {
    useVlc_->setChecked(settings.useVlc != 0);
    vlcFolder_->setText(QString::fromStdString(settings.vlcPath));
    selectValue(video_, settings.videoBitrate);
    selectValue(audio_, settings.audioBitrate);
    font_->setText(QString::fromStdString(settings.SubtitleFont()));
    selectValue(align_, settings.SubtitleAlign());
    selectValue(size_, settings.SubtitleRealSize());
    selectValue(effect_, settings.SubtitleEffect());
    selectValue(color_, settings.SubtitleColor());
    autoStart_->setChecked(AutoStart().IsOn(thisProgram()));
}

std::uint32_t VlcOptionsForm::videoBitrate() const {
    return chosen(video_);
}

std::uint32_t VlcOptionsForm::audioBitrate() const {
    return chosen(audio_);
}

bool VlcOptionsForm::Save(SharingSettings& settings) const {
    bool ok = settings.SetUseVlc(useVlc_->isChecked() ? 1 : 0);
    ok = settings.SetVlcPath(vlcFolder_->text().trimmed().toStdString()) && ok;
    ok = settings.SetVideoBitrate(videoBitrate()) && ok;
    ok = settings.SetAudioBitrate(audioBitrate()) && ok;
    ok = settings.SetSubtitleFont(font_->text().trimmed().toStdString()) && ok;
    ok = settings.SetSubtitleAlign(chosen(align_)) && ok;
    ok = settings.SetSubtitleRealSize(chosen(size_)) && ok;
    ok = settings.SetSubtitleEffect(chosen(effect_)) && ok;
    ok = settings.SetSubtitleColor(chosen(color_)) && ok;
    ok = AutoStart().SetAutoStart(settings, autoStart_->isChecked(), thisProgram()) && ok;
    return ok;
}

}  // namespace corvid::sharing
