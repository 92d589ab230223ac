#include "velkport/recordings/playback/Player.h"

#include "velkport/recordings/RecordText.h"
#include "velkport/recordings/playback/Playlist.h"
#include "velkport/shell/base/MessageCatalogue.h"

namespace velkport::recordings::playback {

namespace {

constexpr int kMessageCannotBuild = 222;
constexpr int kMessageOpenFailed = 221;

// The error text of an error message, with the element that posted it.
std::string ErrorText(GstMessage* message) {
    GError* error = nullptr;
    gchar* debug = nullptr;
    gst_message_parse_error(message, &error, &debug);
    std::string text = std::string(GST_OBJECT_NAME(GST_MESSAGE_SRC(message))) + ": " +
                       (error ? error->message : "error");
    if (error)
        g_error_free(error);
    g_free(debug);
    return text;
}

}  // namespace

Player::Player(shell::Prompter& prompter, GraphOptions options)
    : prompter_(prompter), options_(std::move(options)) {}

Player::~Player() {
    Close();
}

bool Player::OpenRecording(const std::filesystem::path& file) {
    playlist_ = RecordingPlaylist(file);
    current_ = 0;
    if (!OpenMedia(0))
        return false;
    Play();
    return true;
}

bool Player::OpenMedia(std::size_t index) {
    graph_.Release();
    error_.clear();
    if (index >= playlist_.size()) {
        fail("nothing to open");
        return false;
    }
    current_ = index;
    std::vector<std::filesystem::path> files(playlist_.begin() + static_cast<long>(index),
                                             playlist_.end());
    GraphResult result = graph_.Build(files, options_);
    if (result == GraphResult::Ok) {
        graph_.setVolume(volume_ / 100.0);
        // Paused, so that a TV recording shows its first picture.
        if (gst_element_set_state(graph_.pipeline(), GST_STATE_PAUSED) !=
            GST_STATE_CHANGE_FAILURE) {
            setState(PlayerState::Ready);
            lastPosition_ = -1;
            return true;
        }
        GstBus* bus = gst_element_get_bus(graph_.pipeline());
        GstMessage* m = gst_bus_pop_filtered(bus, GST_MESSAGE_ERROR);
        error_ = m ? ErrorText(m) : "the graph does not start";
        if (m)
            gst_message_unref(m);
        gst_object_unref(bus);
        graph_.Release();
    } else {
        error_ = graph_.errorText();
    }
    prompter_.showMessage(shell::Msg(kMessageCannotBuild), shell::PromptIcon::Error);
    prompter_.showMessage(shell::Msg(kMessageOpenFailed), shell::PromptIcon::Error);
    setState(PlayerState::Error);
    return false;
}

void Player::Play() {
    if (!graph_.pipeline() || state_ == PlayerState::Playing)
        return;
    if (gst_element_set_state(graph_.pipeline(), GST_STATE_PLAYING) == GST_STATE_CHANGE_FAILURE) {
        Poll(std::chrono::milliseconds(0));
        if (state_ != PlayerState::Error)
            fail("the graph does not play");
        return;
    }
    lastProgress_ = std::chrono::steady_clock::now();
    setState(PlayerState::Playing);
}

void Player::Pause() {
    if (!graph_.pipeline())
        return;
    gst_element_set_state(graph_.pipeline(), GST_STATE_PAUSED);
    setState(PlayerState::Paused);
}

void Player::Stop() {
    if (!graph_.pipeline())
        return;
    gst_element_set_state(graph_.pipeline(), GST_STATE_PAUSED);
    Seek(0);
    setState(PlayerState::Stopped);
}

void Player::PlayPause() {
    if (state_ == PlayerState::Playing)
        Pause();
    else if (state_ == PlayerState::Paused || state_ == PlayerState::Stopped ||
             state_ == PlayerState::Ready)
        Play();
}

void Player::Next() {
    if (!autoContinue_ || playlist_.empty())
        return;
    setState(PlayerState::Ready);
    graph_.Release();
    if (current_ + 1 >= playlist_.size()) {
        current_ = 0;
        return;
    }
    if (OpenMedia(current_ + 1))
        Play();
}

bool Player::PlayLinkedFile(std::size_t index) {
    Stop();
    if (!OpenMedia(index))
        return false;
    Play();
    return true;
}

void Player::Close() {
    graph_.Release();
    setState(PlayerState::Nothing);
}

void Player::SetVolume(int volume) {
    volume_ = ClampVolume(volume);
    graph_.setVolume(volume_ / 100.0);
}

void Player::BeginSeek() {
    if (state_ == PlayerState::Playing || state_ == PlayerState::Stopped)
        Pause();
}

void Player::EndSeek(double seconds) {
    Seek(seconds);
    Play();
}

bool Player::Seek(double seconds) {
    if (!graph_.pipeline())
        return false;
    auto at = static_cast<gint64>(std::max(0.0, seconds) * GST_SECOND);
    lastPosition_ = -1;
    return gst_element_seek_simple(graph_.pipeline(), GST_FORMAT_TIME,
                                   GstSeekFlags(GST_SEEK_FLAG_FLUSH | GST_SEEK_FLAG_ACCURATE), at);
}

double Player::position() const {
    gint64 at = 0;
    if (!graph_.pipeline() || !gst_element_query_position(graph_.pipeline(), GST_FORMAT_TIME, &at))
        return 0;
    return at < 0 ? 0 : static_cast<double>(at) / GST_SECOND;
}

double Player::duration() const {
    gint64 length = 0;
    if (!graph_.pipeline() ||
        !gst_element_query_duration(graph_.pipeline(), GST_FORMAT_TIME, &length))
        return 0;
    return length < 0 ? 0 : static_cast<double>(length) / GST_SECOND;
}

bool Player::settled() const {
    if (!graph_.pipeline() || !graph_.complete())
        return false;
    GstState now = GST_STATE_NULL;
    GstState pending = GST_STATE_NULL;
    return gst_element_get_state(graph_.pipeline(), &now, &pending, 0) ==
               GST_STATE_CHANGE_SUCCESS &&
           now >= GST_STATE_PAUSED;
}

std::string Player::PositionText() const {
    return "  " + FormatDuration(static_cast<std::uint32_t>(position())) + "/" +
           FormatDuration(static_cast<std::uint32_t>(duration()));
}

void Player::SetRepeat(bool on) {
    repeat_ = on;
    if (on)
        repeatAll_ = false;
}

void Player::SetRepeatAll(bool on) {
    repeatAll_ = on;
    if (on)
        repeat_ = false;
}

void Player::setState(PlayerState state) {
    if (state != state_)
        stateChanged_ = true;
    state_ = state;
}

void Player::fail(const std::string& text) {
    error_ = text;
    // The graph's threads stop here, so a broken stream neither hangs nor spins.
    graph_.Release();
    setState(PlayerState::Error);
}

void Player::endOfStream() {
    Stop();
    if (!autoContinue_)
        return;
    if (repeat_) {
        Play();
    } else if (repeatAll_) {
        // The stream ran on through the last part: the next file wraps to the first.
        if (OpenMedia(0))
            Play();
    }
}

void Player::stallCheck() {
    if (state_ != PlayerState::Playing || !graph_.pipeline())
        return;
    auto now = std::chrono::steady_clock::now();
    gint64 at = -1;
    gst_element_query_position(graph_.pipeline(), GST_FORMAT_TIME, &at);
    if (at != lastPosition_) {
        lastPosition_ = at;
        lastProgress_ = now;
    } else if (now - lastProgress_ > stallLimit_) {
        fail("the stream makes no progress");
    }
}

bool Player::Poll(std::chrono::milliseconds wait) {
    stateChanged_ = false;
    if (graph_.pipeline()) {
        GstBus* bus = gst_element_get_bus(graph_.pipeline());
        auto types = GstMessageType(GST_MESSAGE_ERROR | GST_MESSAGE_EOS);
        GstClockTime timeout = static_cast<GstClockTime>(wait.count()) * GST_MSECOND;
        while (GstMessage* m = gst_bus_timed_pop_filtered(bus, timeout, types)) {
            timeout = 0;
            bool error = GST_MESSAGE_TYPE(m) == GST_MESSAGE_ERROR;
            std::string text = error ? ErrorText(m) : std::string();
            gst_message_unref(m);
            if (error)
                fail(text);
            else
                endOfStream();
            break;  // the graph may be gone or new
        }
        gst_object_unref(bus);
    }
    stallCheck();
    return stateChanged_;
}

}  // namespace velkport::recordings::playback
