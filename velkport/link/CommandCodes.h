#pragma once
// The command codes of the receiver's command channels (byte 16 of a command header) and the
// channel number each manager owns. The manager that sends a command defines its argument and
// result records; this list only keeps the numbers in one place.

#include <cstdint>

namespace velkport::link {

// Channel numbers (port = port base + channel).
namespace channel {
inline constexpr std::uint8_t kUpgrade = 1;      // firmware upgrade readiness check
inline constexpr std::uint8_t kMp3 = 2;          // MP3 manager
inline constexpr std::uint8_t kJpeg = 3;         // JPEG manager
inline constexpr std::uint8_t kChannelList = 4;  // channel list editor (in-use query) and games
inline constexpr std::uint8_t kGame = 4;         // game / plug-in installer, shares slot 4
inline constexpr std::uint8_t kRecordings = 5;   // recordings manager
inline constexpr std::uint8_t kFirst = 0;
inline constexpr std::uint8_t kLast = 5;  // channels 0-5 are the only ones the link opens
}  // namespace channel

namespace cmd {

// MP3 / JPEG folder and file operations (channels 2 and 3).
inline constexpr std::uint8_t kSetCurrentFolder = 0x01;  // one 1024-byte argument block
inline constexpr std::uint8_t kListFolder = 0x02;        // answers 281-byte folder entries
inline constexpr std::uint8_t kCreateFolder = 0x03;
inline constexpr std::uint8_t kFileSize = 0x04;
inline constexpr std::uint8_t kNextDataBlock = 0x05;  // valued form, value kDataBlockValue
inline constexpr std::uint8_t kUploadFile = 0x06;
inline constexpr std::uint8_t kRename = 0x08;
inline constexpr std::uint8_t kDelete = 0x09;
inline constexpr std::uint8_t kListFolderTree = 0x0A;
inline constexpr std::uint8_t kFinishChanges = 0x0B;
inline constexpr std::uint8_t kEndDownload = 0x0C;
inline constexpr std::uint8_t kThumbnail = 0x0D;
inline constexpr std::uint32_t kDataBlockValue = 0x00010000;  // the block size asked for

// Recordings (channel 5).
inline constexpr std::uint8_t REC_LIST_TV = 0x21;
inline constexpr std::uint8_t REC_LIST_RADIO = 0x22;
inline constexpr std::uint8_t REC_GET_INFO = 0x23;
inline constexpr std::uint8_t REC_DOWNLOAD_TV = 0x24;
inline constexpr std::uint8_t REC_DOWNLOAD_RADIO = 0x25;
inline constexpr std::uint8_t REC_UPLOAD_TV = 0x26;
inline constexpr std::uint8_t REC_UPLOAD_RADIO = 0x27;
inline constexpr std::uint8_t REC_DELETE_TV = 0x28;
inline constexpr std::uint8_t REC_DELETE_RADIO = 0x29;
inline constexpr std::uint8_t REC_RENAME_TV = 0x2A;
inline constexpr std::uint8_t REC_RENAME_RADIO = 0x2B;
inline constexpr std::uint8_t REC_LAST_NAME = 0x2C;
inline constexpr std::uint8_t REC_DISK_USAGE = 0x33;
inline constexpr std::uint8_t REC_FOLDER_QUERY = 0x70;
inline constexpr std::uint8_t REC_FOLDER_LIST = 0x71;
inline constexpr std::uint8_t REC_FOLDER_SELECT = 0x72;
inline constexpr std::uint8_t REC_FOLDER_DELETE = 0x74;
inline constexpr std::uint8_t REC_FOLDER_RENAME = 0x75;

// Disk usage of the MP3 and JPEG areas (channels 2 and 3).
inline constexpr std::uint8_t kMp3DiskUsage = 0x31;
inline constexpr std::uint8_t kJpegDiskUsage = 0x32;

// Game / plug-in installation (channel 4).
inline constexpr std::uint8_t kGameInstallQuery = 0x40;
inline constexpr std::uint8_t kGameInstallTransfer = 0x42;

// In-use query (channels 2-5): reply field 3 = ReplyRecord::kBusy when the function is busy.
inline constexpr std::uint8_t kInUse = 0xFD;

}  // namespace cmd

}  // namespace velkport::link
