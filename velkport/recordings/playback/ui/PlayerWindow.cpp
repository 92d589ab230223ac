#include "velkport/recordings/playback/ui/PlayerWindow.h"

#include <QCloseEvent>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QSlider>
#include <QTimer>
#include <QVBoxLayout>

#include "velkport/recordings/playback/ui/VideoView.h"
#include "velkport/shell/base/MessageCatalogue.h"

namespace velkport::recordings::playback {

namespace {

QString Q(const std::string& text) {
    return QString::fromStdString(text);
}

// The position timer's period.
constexpr int kTickMs = 55;

}  // namespace

PlayerWindow::PlayerWindow(shell::Prompter& prompter, GraphOptions options, QWidget* parent)
    : QWidget(parent, Qt::Window) {
    setAttribute(Qt::WA_DeleteOnClose, false);
    video_ = new VideoView(this);
    options.onFrame = [view = video_](const VideoFrame& frame) { view->takeFrame(frame); };
    player_ = std::make_unique<Player>(prompter, std::move(options));

    menuBar_ = new QMenuBar(this);
    QMenu* playMenu = menuBar_->addMenu(Q(shell::Msg(226)));
    playMenu->addAction(Q(shell::Msg(227)), this, [this] {
        player_->PlayPause();
        refresh();
    });
    playMenu->addAction(Q(shell::Msg(224)), this, [this] { ToggleFullScreen(); });
    linkedMenu_ = menuBar_->addMenu(Q(shell::Msg(225)));

    stateLine_ = new QLabel(this);
    stateLine_->setAutoFillBackground(true);
    stateLine_->setMinimumWidth(110);
    positionLine_ = new QLabel(this);
    positionSlider_ = new QSlider(Qt::Horizontal, this);
    volumeSlider_ = new QSlider(Qt::Horizontal, this);
    volumeSlider_->setRange(0, kVolumeMax);
    volumeSlider_->setSingleStep(kVolumeStep);
    volumeSlider_->setPageStep(kVolumeStep);
    volumeSlider_->setValue(player_->volume());
    volumeSlider_->setMaximumWidth(120);

    auto button = [this](const QString& text, auto action) {
        auto* b = new QPushButton(text, this);
        connect(b, &QPushButton::clicked, this, [this, action] {
            action();
            refresh();
        });
        return b;
    };
    auto* row = new QHBoxLayout;
    row->addWidget(button(Q(shell::Msg(226)), [this] { player_->Play(); }));
    row->addWidget(button(Q(shell::Msg(285)), [this] { player_->Pause(); }));
    row->addWidget(button(Q(shell::Msg(228)), [this] { player_->Stop(); }));
    row->addWidget(button("|<<", [this] { player_->Previous(); }));
    row->addWidget(button(">>|", [this] {
        player_->Next();
        fillLinkedMenu();
    }));
    row->addWidget(button("-", [this] { player_->VolumeDown(); }));
    row->addWidget(volumeSlider_);
    row->addWidget(button("+", [this] { player_->VolumeUp(); }));
    row->addWidget(button(Q(shell::Msg(224)), [this] { ToggleFullScreen(); }));
    repeat_ = button("R", [this] { player_->SetRepeat(repeat_->isChecked()); });
    repeatAll_ = button("RA", [this] { player_->SetRepeatAll(repeatAll_->isChecked()); });
    repeat_->setCheckable(true);
    repeatAll_->setCheckable(true);
    row->addWidget(repeat_);
    row->addWidget(repeatAll_);

    auto* line = new QHBoxLayout;
    line->addWidget(stateLine_);
    line->addWidget(positionSlider_, 1);
    line->addWidget(positionLine_);

    controls_ = new QWidget(this);
    auto* controlsLayout = new QVBoxLayout(controls_);
    controlsLayout->setContentsMargins(4, 4, 4, 4);
    controlsLayout->addLayout(line);
    controlsLayout->addLayout(row);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->setMenuBar(menuBar_);
    layout->addWidget(video_, 1);
    layout->addWidget(controls_);

    connect(video_, &VideoView::doubleClicked, this, &PlayerWindow::ToggleFullScreen);
    connect(volumeSlider_, &QSlider::valueChanged, this, [this](int v) { player_->SetVolume(v); });
    connect(positionSlider_, &QSlider::sliderPressed, this, [this] {
        seeking_ = true;
        player_->BeginSeek();
        refresh();
    });
    connect(positionSlider_, &QSlider::sliderReleased, this, [this] {
        seeking_ = false;
        player_->EndSeek(positionSlider_->value());
        refresh();
    });

    timer_ = new QTimer(this);
    connect(timer_, &QTimer::timeout, this, &PlayerWindow::tick);
    timer_->start(kTickMs);
    resize(720, 560);
    showState(static_cast<int>(PlayerState::Nothing));
}

PlayerWindow::~PlayerWindow() {
    // The graph's threads hand pictures to the video area: they stop before it goes.
    player_->Close();
}

bool PlayerWindow::OpenRecording(const std::filesystem::path& file) {
    video_->clear();
    timer_->start(kTickMs);
    setWindowTitle(Q(file.filename().string()));
    bool ok = player_->OpenRecording(file);
    volumeSlider_->setValue(player_->volume());
    fillLinkedMenu();
    refresh();
    return ok;
}

void PlayerWindow::fillLinkedMenu() {
    linkedMenu_->clear();
    const auto& list = player_->playlist();
    for (std::size_t i = 0; i < list.size(); ++i) {
        QAction* a = linkedMenu_->addAction(Q(list[i].filename().string()), this, [this, i] {
            if (!player_->PlayLinkedFile(i))
                QTimer::singleShot(200, this, [this] { refresh(); });
            refresh();
        });
        a->setCheckable(true);
        a->setChecked(i == player_->current());
    }
}

void PlayerWindow::ToggleFullScreen() {
    bool full = !isFullScreen();
    controls_->setVisible(!full);
    menuBar_->setVisible(!full);
    if (full)
        showFullScreen();
    else
        showNormal();
}

void PlayerWindow::showState(int state) {
    shownState_ = state;
    stateLine_->setText(Q(StateText(state)));
    QPalette palette = stateLine_->palette();
    palette.setColor(QPalette::WindowText, QColor::fromRgb(StateColour(state)));
    palette.setColor(QPalette::Window, Qt::black);
    stateLine_->setPalette(palette);
}

void PlayerWindow::tick() {
    player_->Poll(std::chrono::milliseconds(0));
    refresh();
}

void PlayerWindow::refresh() {
    int state = static_cast<int>(player_->state());
    if (state != shownState_)
        showState(state);
    // The position line is redrawn only when the whole second changed.
    int second = static_cast<int>(player_->position());
    int length = static_cast<int>(player_->duration());
    if (second != shownSecond_ || positionSlider_->maximum() != length) {
        shownSecond_ = second;
        positionLine_->setText(Q(player_->PositionText()));
        positionSlider_->setRange(0, length);
        if (!seeking_)
            positionSlider_->setValue(second);
    }
    if (volumeSlider_->value() != player_->volume())
        volumeSlider_->setValue(player_->volume());
}

void PlayerWindow::closeEvent(QCloseEvent* event) {
    timer_->stop();
    player_->Close();
    video_->clear();
    emit closed();
    event->accept();
}

void PlayerWindow::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Escape && isFullScreen())
        ToggleFullScreen();
    else
        QWidget::keyPressEvent(event);
}

}  // namespace velkport::recordings::playback
