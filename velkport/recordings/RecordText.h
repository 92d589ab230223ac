#pragma once
// The texts of recordings: file-name clean-up, durations, start times and the conversion of
// receiver and file texts for showing. On Linux the "ANSI" text of the PC is UTF-8; titles read
// from files written by the Windows program may be in Windows-1252 and are converted from it.

#include <cstdint>
#include <string>
#include <string_view>

#include "common/Text.h"

namespace velkport::recordings {

// Every backslash, slash, colon, asterisk, question mark, double quote, less-than, greater-than
// and vertical bar becomes an underscore.
std::string SanitizeFileName(std::string_view name);

// Every "C:" becomes "CC_" (done to titles before SanitizeFileName).
std::string ReplaceDriveMarks(std::string_view title);

// The title as it becomes part of a local file name: ReplaceDriveMarks, then SanitizeFileName.
std::string TitleForFileName(std::string_view title);

// "H:MM:SS": 3725 seconds give "1:02:05".
std::string FormatDuration(std::uint32_t seconds);

// The list column "Start": "DD.MM.YYYY-hh:mm:ss" in local time.
std::string FormatStartTime(std::uint32_t seconds);

// Text from the receiver or from a file made fit for showing: valid UTF-8 stays as it is,
// anything else is read as Windows-1252.
std::string ToDisplayText(std::string_view bytes);

// At most n bytes of UTF-8 text, never splitting a character.
std::string CutToBytes(std::string_view text, std::size_t n);

// Number of UTF-8 characters in text.
std::size_t CountCharacters(std::string_view text);

// Names on the PC are matched without regard to ASCII case.
using common::EqualsNoCase;
std::string ToLowerAscii(std::string_view text);

// One of the nine characters that a file name cannot hold, or 0.
char ForbiddenFileNameCharacter(std::string_view name);
inline constexpr std::string_view kForbiddenFileNameCharacters = "\\/:*?\"<>|";

}  // namespace velkport::recordings
