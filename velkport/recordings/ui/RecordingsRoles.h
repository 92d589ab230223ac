#pragma once
// The item data the recordings window's lists, icon views and folder trees carry.

#include <Qt>

namespace velkport::recordings {

inline constexpr int kNameRole = Qt::UserRole;        // receiver file name / PC title
inline constexpr int kFileRole = Qt::UserRole + 1;    // PC file name
inline constexpr int kFolderRole = Qt::UserRole + 2;  // receiver folder id or PC folder path
inline constexpr int kNoFolderId = -1;  // a receiver tree entry the receiver does not know

}  // namespace velkport::recordings
