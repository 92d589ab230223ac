#pragma once
// Command codes and fixed sizes of the recordings protocol on command channel 5. TV and radio
// recordings are separate sets on the receiver: most operations have one code for each.

#include <cstddef>
#include <cstdint>

namespace velkport::recordings {

inline constexpr std::uint8_t kRecordChannel = 5;

enum RecordCommand : std::uint8_t {
    REC_LIST_TV = 0x21,
    REC_LIST_RADIO = 0x22,
    REC_GET_INFO = 0x23,
    REC_DOWNLOAD_TV = 0x24,
    REC_DOWNLOAD_RADIO = 0x25,
    REC_UPLOAD_TV = 0x26,
    REC_UPLOAD_RADIO = 0x27,
    REC_DELETE_TV = 0x28,
    REC_DELETE_RADIO = 0x29,
    REC_RENAME_TV = 0x2A,
    REC_RENAME_RADIO = 0x2B,
    REC_LAST_NAME = 0x2C,
    REC_DISK_USAGE = 0x33,
    REC_FOLDER_QUERY = 0x70,
    REC_FOLDER_LIST = 0x71,
    REC_FOLDER_SELECT = 0x72,
    REC_FOLDER_DELETE = 0x74,
    REC_FOLDER_RENAME = 0x75,
};

// Every list, info, thumbnail-chunk and header-block message is this long.
inline constexpr std::size_t kMessageSize = 65536;
// Name blocks, the download acceptance block and the disk-usage answer.
inline constexpr std::size_t kNameBlockSize = 256;
inline constexpr std::size_t kFolderRecordSize = 1024;
inline constexpr std::size_t kRecordEntrySize = 148;
inline constexpr std::size_t kHeaderBlockHeaderSize = 20;
inline constexpr std::size_t kFlowAckSize = 64;
// A stream block: 512-byte block header and 256 transport-stream packets.
inline constexpr std::size_t kStreamHeaderSize = 512;
inline constexpr std::size_t kStreamPayloadSize = 48128;
inline constexpr std::size_t kStreamBlockSize = kStreamHeaderSize + kStreamPayloadSize;
inline constexpr std::size_t kPacketSize = 188;
// The download answers the receiver after every 16th data block.
inline constexpr unsigned kFlowAckInterval = 16;
// Titles travel in a 32-byte field: at most 31 bytes and a terminating zero.
inline constexpr std::size_t kTitleFieldSize = 32;

// Command codes of one operation for the current mode.
constexpr std::uint8_t ListCommand(bool radio) {
    return radio ? REC_LIST_RADIO : REC_LIST_TV;
}
constexpr std::uint8_t DownloadCommand(bool radio) {
    return radio ? REC_DOWNLOAD_RADIO : REC_DOWNLOAD_TV;
}
constexpr std::uint8_t UploadCommand(bool radio) {
    return radio ? REC_UPLOAD_RADIO : REC_UPLOAD_TV;
}
constexpr std::uint8_t DeleteCommand(bool radio) {
    return radio ? REC_DELETE_RADIO : REC_DELETE_TV;
}
constexpr std::uint8_t RenameCommand(bool radio) {
    return radio ? REC_RENAME_RADIO : REC_RENAME_TV;
}

}  // namespace velkport::recordings
