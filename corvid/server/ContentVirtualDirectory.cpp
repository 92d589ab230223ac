#include "corvid/server/ContentVirtualDirectory.h"

#include <cstdio>

#include "corvid/server/ContentUrl.h"
#include "corvid/server/DiagnosticLog.h"
#include "corvid/server/MimeTypes.h"
#include "corvid/server/ServedFile.h"

namespace corvid::server {

ContentVirtualDirectory::~ContentVirtualDirectory() {
    upnp::removeVirtualFileHandler(this);
}

void ContentVirtualDirectory::SetBaseUrl(const std::string& serverAddress,
                                         std::uint16_t serverPort) {
    char buf[320];
    std::snprintf(buf, sizeof buf, "http://%s:%d/%s", serverAddress.c_str(),
                  static_cast<int>(serverPort), kDirectoryName);
    baseUrl_ = buf;
}

int ContentVirtualDirectory::Register(const std::string& serverAddress, std::uint16_t serverPort) {
    SetBaseUrl(serverAddress, serverPort);
    return upnp::addVirtualDirectory(kDirectoryName, this);
}

void ContentVirtualDirectory::SetTree(std::shared_ptr<const ShareTree> tree) {
    {
        std::lock_guard lock(treeLock_);
        tree_ = std::move(tree);
    }
    cache_.clear();
}

std::shared_ptr<const ShareTree> ContentVirtualDirectory::Tree() const {
    std::lock_guard lock(treeLock_);
    return tree_;
}

int ContentVirtualDirectory::getInfo(const char* path, WebFileInfo& info) {
    const auto tree = Tree();
    if (!tree)
        return 0;
    info.length = 0;
    info.lastModified = 0;
    info.isDirectory = false;
    info.isReadable = true;
    std::string id;
    if (ParseContentUrl(path, id) != 0) {
        DiagnosticLog::write("##### not found 1\n");
        return -1;
    }
    if (std::string_view(path).find("index.html") != std::string_view::npos) {
        DiagnosticLog::write("##### not found 2\n");
        return -1;
    }
    if (auto hit = cache_.find(id)) {
        info.length = static_cast<off_t>(hit->length);
        info.lastModified = hit->lastModified;
        info.contentType = hit->contentType;
        return 0;
    }
    // An id that names no object, or a file gone since the scan, is answered "not found" here:
    // this web server would otherwise send an empty 200 answer before its open fails.
    const MediaObject* object = tree->FindById(id);
    if (object == nullptr)
        return -1;
    ServedFile file;
    ServedFile::Info fileInfo;
    const int rc = file.GetInfo(object->path, fileInfo);
    if (rc != 0)
        return -1;
    info.length = static_cast<off_t>(fileInfo.length);
    info.lastModified = fileInfo.lastModified;
    info.isDirectory = fileInfo.isDirectory;
    info.isReadable = fileInfo.isReadable;
    info.contentType = object->IsContainer() ? std::string("text/plain")
                                             : MimeTypeFor(object->extension, object->mediaType);
    if (!fileInfo.isDirectory)
        cache_.store({id, fileInfo.length, fileInfo.lastModified, info.contentType, object->path});
    return rc;
}

void* ContentVirtualDirectory::open(const char* path, bool forWriting) {
    const auto tree = Tree();
    if (!tree)
        return nullptr;
    std::string id;
    if (ParseContentUrl(path, id) != 0)
        return nullptr;
    const MediaObject* object = tree->FindById(id);
    if (object == nullptr)
        return nullptr;
    auto file = std::make_unique<ServedFile>();
    if (!file->Open(object->path, forWriting))
        return nullptr;
    // The web server owns the file from here until its close callback.
    return file.release();
}

int ContentVirtualDirectory::read(void* handle, char* buffer, std::size_t length) {
    DiagnosticLog::write("############ read ######### len=%zu\n", length);
    return static_cast<ServedFile*>(handle)->Read(buffer, length);
}

int ContentVirtualDirectory::write(void* handle, const char* buffer, std::size_t length) {
    return static_cast<ServedFile*>(handle)->Write(buffer, length);
}

int ContentVirtualDirectory::seek(void* handle, off_t offset, int origin) {
    DiagnosticLog::write("############ seek ######### offet=%lld Whence=%d\n",
                         static_cast<long long>(offset), origin);
    return static_cast<ServedFile*>(handle)->Seek(offset, origin);
}

int ContentVirtualDirectory::close(void* handle) {
    std::unique_ptr<ServedFile> file(static_cast<ServedFile*>(handle));
    return file->Close();
}

}  // namespace corvid::server
