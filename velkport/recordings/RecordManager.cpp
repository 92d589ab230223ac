#include "velkport/recordings/RecordManager.h"

#include "velkport/link/ChannelTable.h"
#include "velkport/link/ReceiverLink.h"
#include "velkport/link/ReplyRecord.h"
#include "velkport/recordings/PcRecordings.h"
#include "velkport/recordings/ReceiverRecordings.h"
#include "velkport/recordings/RecordDownload.h"
#include "velkport/recordings/RecordHelpers.h"
#include "velkport/recordings/RecordUpload.h"
#include "velkport/shell/base/MessageCatalogue.h"
#include "velkport/shell/base/Prompter.h"
#include "velkport/shell/base/SettingsStore.h"

namespace velkport::recordings {

namespace fs = std::filesystem;
using namespace detail;
using shell::JobResult;
using shell::Msg;
using shell::PromptIcon;

RecordManager::RecordManager(link::ChannelTable& table, shell::Prompter& prompter,
                             fs::path localFolder, RecordManagerOptions options)
    : table_(table),
      prompter_(prompter),
      localFolder_(std::move(localFolder)),
      options_(options),
      buffer_(kMessageSize, 0) {}

std::optional<fs::path> RecordManager::ResolveLocalFolder(shell::SettingsStore& store) {
    auto path = store.LoadLocalPath();
    if (!path || path->empty())
        path = store.DefaultLocalPath();
    if (!path || path->empty())
        return std::nullopt;
    std::error_code ec;
    fs::create_directories(*path, ec);
    return fs::path(*path);
}

void RecordManager::showMessage(int id, const std::string& arg) const {
    PromptIcon icon = id == 181 ? PromptIcon::Information : PromptIcon::Error;
    prompter_.showMessage(Fill(Msg(id), arg), icon);
}

bool RecordManager::ask(int id, const std::string& arg) const {
    return prompter_.askYesNo(Fill(Msg(id), arg));
}

bool RecordManager::sendBlock(const void* data, std::size_t n) {
    link::ReceiverLink link(table_, prompter_);
    return link.Send(data, n, options_.channel);
}

bool RecordManager::receive(void* data, std::size_t n) {
    link::ReceiverLink link(table_, prompter_);
    return link.Receive(data, n, options_.channel);
}

bool RecordManager::simpleRequest(std::uint8_t code,
                                  const std::vector<std::vector<std::uint8_t>>& blocks,
                                  std::uint32_t* field1) {
    link::ReceiverLink link(table_, prompter_);
    if (!link.SendCommand(code, options_.channel))
        return false;
    for (const auto& b : blocks)
        if (!link.Send(b.data(), b.size(), options_.channel))
            return false;
    link::ReplyRecord reply;
    if (!link.ReadReply(reply, options_.channel))
        return false;
    if (field1)
        *field1 = reply.field1();
    // The receiver refuses a request with field 1 = 0xFFFFFFFF.
    return reply.field1() != link::ReplyRecord::kFailed;
}

// ----- The parts -----

bool RecordManager::RefreshReceiverList(std::vector<RecordEntry>& items) {
    return ReceiverRecordings(*this).RefreshReceiverList(items);
}
std::vector<PcRecording> RecordManager::RefreshPcList() const {
    return PcRecordings(self()).RefreshPcList();
}
DownloadOutcome RecordManager::DownloadRecording(const std::string& receiverName,
                                                 const std::string& title,
                                                 shell::Progress& progress) {
    return RecordDownload(*this).DownloadRecording(receiverName, title, progress);
}
JobResult RecordManager::UploadRecording(const fs::path& file, shell::Progress& progress) {
    return RecordUpload(*this).UploadRecording(file, progress);
}
BatchOutcome RecordManager::DownloadBatch(const std::vector<RecordEntry>& selection,
                                          shell::Progress& progress) {
    return RecordDownload(*this).DownloadBatch(selection, progress);
}
BatchOutcome RecordManager::UploadBatch(const std::vector<fs::path>& files,
                                        shell::Progress& progress) {
    return RecordUpload(*this).UploadBatch(files, progress);
}
std::vector<std::string> RecordManager::DeleteReceiverRecordings(
    const std::vector<RecordEntry>& selection) {
    return ReceiverRecordings(*this).DeleteReceiverRecordings(selection);
}
bool RecordManager::DeletePcFiles(const std::vector<std::string>& fileNames, bool ask) {
    return PcRecordings(*this).DeletePcFiles(fileNames, ask);
}
RecordManager::NameCheck RecordManager::CheckNewName(const std::string& oldText,
                                                     const std::string& newText) const {
    return PcRecordings(self()).CheckNewName(oldText, newText);
}
bool RecordManager::RenameReceiverRecording(const RecordEntry& item, const std::string& newTitle) {
    return ReceiverRecordings(*this).RenameReceiverRecording(item, newTitle);
}
std::optional<std::string> RecordManager::RenamePcFile(const std::string& fileName,
                                                       const std::string& newName) {
    return PcRecordings(*this).RenamePcFile(fileName, newName);
}
std::vector<fs::path> RecordManager::PartFiles(const std::string& fileName) const {
    return PcRecordings(self()).PartFiles(fileName);
}
std::optional<DiskUsage> RecordManager::ReceiverDiskUsage() {
    return ReceiverRecordings(*this).ReceiverDiskUsage();
}
std::optional<std::uint64_t> RecordManager::ReceiverFreeSpace() {
    return ReceiverRecordings(*this).ReceiverFreeSpace();
}
std::uint64_t RecordManager::PcFreeSpace() const {
    return PcRecordings(self()).PcFreeSpace();
}
std::optional<DiskUsage> RecordManager::PcDiskUsage() const {
    return PcRecordings(self()).PcDiskUsage();
}
DriveKindValue RecordManager::DriveKind() const {
    return PcRecordings(self()).DriveKind();
}
bool RecordManager::SplitsFiles() const {
    return PcRecordings(self()).SplitsFiles();
}
bool RecordManager::FoldersSupported() {
    return ReceiverRecordings(*this).FoldersSupported();
}
bool RecordManager::ReadFolders(std::array<std::optional<FolderRecord>, 256>& table) {
    return ReceiverRecordings(*this).ReadFolders(table);
}
bool RecordManager::SelectFolder(int id) {
    return ReceiverRecordings(*this).SelectFolder(id);
}
bool RecordManager::DeleteFolder(int id) {
    return ReceiverRecordings(*this).DeleteFolder(id);
}
bool RecordManager::RenameFolder(int id, const std::string& name) {
    return ReceiverRecordings(*this).RenameFolder(id, name);
}
std::optional<std::string> RecordManager::LastName() {
    return ReceiverRecordings(*this).LastName();
}
bool RecordManager::FetchRecordInfo(const std::string& receiverName, bool readChunks,
                                    RecordInfo& info) {
    return ReceiverRecordings(*this).FetchRecordInfo(receiverName, readChunks, info);
}
bool RecordManager::ReceiverPicture(const RecordEntry& item, std::string& text,
                                    ThumbnailResult& picture) {
    return ReceiverRecordings(*this).ReceiverPicture(item, text, picture);
}
bool RecordManager::PcPicture(const std::string& fileName, std::string& text,
                              ThumbnailResult& picture, bool offerDelete) {
    return PcRecordings(*this).PcPicture(fileName, text, picture, offerDelete);
}
void RecordManager::removeWithParts(const fs::path& file) const {
    PcRecordings(self()).removeWithParts(file);
}
bool RecordManager::replaceWith(const fs::path& work, const std::string& finalName) const {
    return PcRecordings(self()).replaceWith(work, finalName);
}

}  // namespace velkport::recordings
