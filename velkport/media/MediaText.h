#pragma once
// The texts of the media managers' lists and the rules for names: row texts of a folder entry,
// the proposed name of a new folder, the checks of a rename, the receiver's folder paths, and
// the names from the receiver that may become a file on the PC.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "velkport/link/FolderEntry.h"
#include "velkport/media/MediaType.h"

namespace velkport::media {

// MP3 column 3: seconds as [h:]mm:ss ("01:05", "1:02:05").
std::string FormatSeconds(std::uint32_t seconds);
// JPEG column 3: "YYYY:MM:DD hh:mm:ss..." of a file row becomes "DD.MM.YYYY-hh:mm:ss"; shorter
// texts and folder rows stay as they are.
std::string FormatJpegDate(const std::string& text, bool isFile);

// The four column texts of a receiver row.
std::vector<std::string> RowTexts(MediaType type, const link::FolderEntry& entry);

// "new folder", or "new folder(N)" with the first N from 2 on that no existing name has
// (names compared without regard to case).
std::string ProposeNewFolderName(const std::vector<std::string>& existing);

// The outcome of an edited name.
struct RenameCheck {
    enum Result { Ok, Unchanged, Refused } result = Refused;
    std::string name;  // Ok: the name to use (with the extension added when it had none)
    int message = 0;   // Refused: the message id (165, 166, 167, 168)
    std::string text;  // Refused: the complete text to show
    bool errorIcon = false;
};
// siblings: the other names of the same folder (the old name may be among them).
RenameCheck CheckRename(MediaType type, bool isFile, const std::string& oldName,
                        const std::string& newName, const std::vector<std::string>& siblings);

// True when name holds one of \ / : * ? " < > |.
bool HasForbiddenCharacter(const std::string& name);

// "Top\" followed by each level and "\" ("Top\Music\Rock\"); the root is "Top\".
std::string RemoteFolderPath(const std::vector<std::string>& levels);

// A name from the receiver that may be created inside a chosen PC folder: not empty, not "." or
// "..", no "/" or "\" and no control characters. Nothing when the name is refused.
std::optional<std::string> SafeLocalName(const std::string& receiverName);

// Case-insensitive comparison of two names (ASCII letters).
bool SameNameIgnoringCase(const std::string& a, const std::string& b);

}  // namespace velkport::media
