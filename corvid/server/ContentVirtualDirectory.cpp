#include "corvid/server/ContentVirtualDirectory.h"

#include <climits>
#include <cstdio>
#include <cstdlib>

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
    std::lock_guard lock(treeLock_);
    tree_ = std::move(tree);
}

std::shared_ptr<const ShareTree> ContentVirtualDirectory::Tree() const {
    std::lock_guard lock(treeLock_);
    return tree_;
}

namespace {

// The object behind a content path whose file is still inside a shared folder (a link swapped
// in since the scan cannot lead elsewhere), or null.
const MediaObject* servedObject(const ShareTree& tree, const char* path) {
    std::string id;
    if (ParseContentUrl(path, id) != 0)
        return nullptr;
    const MediaObject* object = tree.FindById(id);
    if (object == nullptr)
        return nullptr;
    char real[PATH_MAX];
    if (::realpath(object->path.c_str(), real) == nullptr || !tree.InsideShares(real))
        return nullptr;
    return object;
}

}  // namespace

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
    // An id that names no object, or a file gone since the scan, is answered "not found" here:
    // this web server would otherwise send an empty 200 answer before its open fails. The file
    // is examined at every request, so a file that grew or shrank is served at its length now.
    const MediaObject* object = servedObject(*tree, path);
    if (object == nullptr || object->IsContainer())
        return -1;
    ServedFile::Info fileInfo;
    if (ServedFile::GetInfo(object->path, fileInfo) != 0 || fileInfo.isDirectory)
        return -1;
    info.length = static_cast<off_t>(fileInfo.length);
    info.lastModified = fileInfo.lastModified;
    info.contentType = MimeTypeFor(object->extension, object->mediaType);
    return 0;
}

void* ContentVirtualDirectory::open(const char* path, bool forWriting) {
    const auto tree = Tree();
    if (!tree || forWriting)
        return nullptr;  // nothing is ever written over HTTP
    const MediaObject* object = servedObject(*tree, path);
    if (object == nullptr || object->IsContainer())
        return nullptr;
    auto file = std::make_unique<ServedFile>();
    if (!file->Open(object->path))
        return nullptr;
    // The web server owns the file from here until its close callback.
    return file.release();
}

int ContentVirtualDirectory::read(void* handle, char* buffer, std::size_t length) {
    DiagnosticLog::write("############ read ######### len=%zu\n", length);
    return static_cast<ServedFile*>(handle)->Read(buffer, length);
}

int ContentVirtualDirectory::write(void*, const char*, std::size_t) {
    return -1;
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
