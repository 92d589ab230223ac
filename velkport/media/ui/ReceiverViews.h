#pragma once
// Filling the receiver side's views of a media manager window: the list rows of a folder's
// entries (folders first; each row keeps its entry's index under kRowRole) and the folder tree
// (each item keeps its levels under Qt::UserRole; the top item is the area's root).

#include <QTreeWidget>

#include <vector>

#include "velkport/link/FolderEntry.h"
#include "velkport/media/FolderTreeEntry.h"
#include "velkport/media/MediaType.h"

namespace velkport::media {

inline constexpr int kRowRole = Qt::UserRole + 1;

// Sorts folders before files (keeping their order otherwise) and fills list with their rows.
void FillReceiverList(QTreeWidget* list, MediaType type, std::vector<link::FolderEntry>& entries);
void FillReceiverTree(QTreeWidget* tree, MediaType type, const std::vector<FolderTreeEntry>& all);

}  // namespace velkport::media
