#pragma once
// How a media transfer or a game install ended: done, stopped by the user (Cancel), or failed
// (the reason was already shown).

namespace velkport::media {

inline constexpr int kTransferDone = 0;
inline constexpr int kTransferStopped = 1;
inline constexpr int kTransferFailed = -1;

}  // namespace velkport::media
