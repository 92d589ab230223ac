#pragma once
// The player of recordings and MP3 files: opens a file into a media graph, plays, pauses,
// stops, seeks, keeps the volume and the playlist of a split recording, and follows what the
// graph reports. It runs on one thread (the window's, or velkctl's); Poll is called from that
// thread's timer and handles the graph's messages.

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "velkport/recordings/playback/MediaGraph.h"
#include "velkport/recordings/playback/PlayerState.h"
#include "velkport/shell/base/Prompter.h"

namespace velkport::recordings::playback {

class Player {
  public:
    Player(shell::Prompter& prompter, GraphOptions options);
    ~Player();
    Player(const Player&) = delete;
    Player& operator=(const Player&) = delete;

    // The recording mode: the file and its part files become the playlist, the first is
    // opened and played with the current volume. False when it cannot be opened.
    bool OpenRecording(const std::filesystem::path& file);
    // Releases the previous graph and builds one for the playlist from entry index on (the
    // following parts play on as one stream). On failure message 222, then message 221, and
    // the state is "ERROR". On success the graph is brought to pause (the first picture shows)
    // and the state is "Ready".
    bool OpenMedia(std::size_t index);

    void Play();
    void Pause();
    void Stop();
    void PlayPause();  // the "Play/Pause" command
    void Next();       // the next entry of the playlist; past the last back to the first
    void Previous() {}
    bool PlayLinkedFile(std::size_t index);
    // Stops and frees the graph (the window closes).
    void Close();

    int volume() const { return volume_; }
    void SetVolume(int volume);
    void VolumeUp() { SetVolume(volume_ + kVolumeStep); }
    void VolumeDown() { SetVolume(volume_ - kVolumeStep); }

    // Grabbing the position slider pauses; releasing it seeks there and plays.
    void BeginSeek();
    void EndSeek(double seconds);
    bool Seek(double seconds);

    // Seconds; 0 when unknown.
    double position() const;
    double duration() const;
    // "  H:MM:SS/H:MM:SS" of the position and the duration.
    std::string PositionText() const;

    PlayerState state() const { return state_; }
    const std::vector<std::filesystem::path>& playlist() const { return playlist_; }
    std::size_t current() const { return current_; }
    bool hasVideo() const { return graph_.hasVideo(); }
    bool isOpen() const { return graph_.pipeline() != nullptr; }
    // Whether the graph has finished its last change of state: once paused or playing, the
    // first picture has reached the video sink.
    bool settled() const;
    // What went wrong last (GStreamer's error text, a missing element and its package).
    const std::string& errorText() const { return error_; }

    // Continuation at the end of a file: repeat the same file, or go on with the next file of
    // the playlist (wrapping to the first). The two exclude each other.
    void SetRepeat(bool on);
    void SetRepeatAll(bool on);
    bool repeat() const { return repeat_; }
    bool repeatAll() const { return repeatAll_; }
    void SetAutoContinue(bool on) { autoContinue_ = on; }

    // A playing graph that shows no progress for this long ends in the error state.
    void SetStallLimit(std::chrono::milliseconds limit) { stallLimit_ = limit; }

    // Handles the graph's messages, waiting up to wait for the first one. True when the state
    // changed.
    bool Poll(std::chrono::milliseconds wait);

  private:
    void setState(PlayerState state);
    void fail(const std::string& text);
    void endOfStream();
    void stallCheck();

    shell::Prompter& prompter_;
    GraphOptions options_;
    MediaGraph graph_;
    std::vector<std::filesystem::path> playlist_;
    std::size_t current_ = 0;
    PlayerState state_ = PlayerState::Nothing;
    bool stateChanged_ = false;
    int volume_ = kVolumeMax;
    bool repeat_ = false;
    bool repeatAll_ = false;
    bool autoContinue_ = true;
    std::string error_;
    std::chrono::milliseconds stallLimit_{10000};
    std::chrono::steady_clock::time_point lastProgress_{};
    std::int64_t lastPosition_ = -1;
};

}  // namespace velkport::recordings::playback
