#pragma once
// The buttons along the top of a media manager window, 35 pixels high at y = 4: Back, Forward,
// Download, Upload, Refresh, UpFolder, NewFolder, Delete and (JPEG only) Multi-View.

#include <QPushButton>

#include <array>

#include "velkport/media/MediaType.h"

namespace velkport::media {

enum class MediaButton : int {
    Back = 0,
    Forward,
    Download,
    Upload,
    Refresh,
    UpFolder,
    NewFolder,
    Delete,
    MultiView
};
inline constexpr int kMediaButtonCount = 9;

// The buttons in their places on window; the MP3 manager's Multi-View button is hidden.
std::array<QPushButton*, kMediaButtonCount> MakeButtons(QWidget* window, MediaType type);

}  // namespace velkport::media
