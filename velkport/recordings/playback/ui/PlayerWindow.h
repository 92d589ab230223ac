#pragma once
// The player window: the video area, the state line, the position display and slider, the
// buttons (play, pause, stop, previous, next, volume, full screen, repeat "R" and repeat-all
// "RA"), the volume slider, and the "Linked File" menu of a split recording. Closing it stops
// and frees the graph.

#include <QWidget>
#include <filesystem>
#include <memory>

#include "velkport/recordings/playback/Player.h"

class QLabel;
class QMenu;
class QMenuBar;
class QPushButton;
class QSlider;
class QTimer;

namespace velkport::recordings::playback {

class VideoView;

class PlayerWindow : public QWidget {
    Q_OBJECT
  public:
    // options name the sinks; pictures always go to the window's own video area.
    PlayerWindow(shell::Prompter& prompter, GraphOptions options = {}, QWidget* parent = nullptr);
    ~PlayerWindow() override;

    // The recording mode: plays the file with its part files. False when it cannot be opened.
    bool OpenRecording(const std::filesystem::path& file);
    void ToggleFullScreen();

    Player& player() { return *player_; }
    QLabel* stateLine() const { return stateLine_; }
    QLabel* positionLine() const { return positionLine_; }
    QMenu* linkedFileMenu() const { return linkedMenu_; }
    VideoView* videoView() const { return video_; }
    // Shows a state's text in its colour.
    void showState(int state);

  signals:
    void closed();

  protected:
    void closeEvent(QCloseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

  private:
    void tick();
    void refresh();
    void fillLinkedMenu();

    std::unique_ptr<Player> player_;
    VideoView* video_ = nullptr;
    QMenuBar* menuBar_ = nullptr;
    QMenu* linkedMenu_ = nullptr;
    QWidget* controls_ = nullptr;
    QLabel* stateLine_ = nullptr;
    QLabel* positionLine_ = nullptr;
    QSlider* positionSlider_ = nullptr;
    QSlider* volumeSlider_ = nullptr;
    QPushButton* repeat_ = nullptr;
    QPushButton* repeatAll_ = nullptr;
    QTimer* timer_ = nullptr;
    int shownState_ = -1;
    int shownSecond_ = -1;
    bool seeking_ = false;
};

}  // namespace velkport::recordings::playback
