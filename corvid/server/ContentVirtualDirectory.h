#pragma once
// The web server's virtual directory "content": maps a resource URL back to its object's file
// and serves it through the six file callbacks of the stack's web server. Files are only ever
// read: every request looks at the file as it is now (size, time, still there, still inside a
// shared folder), and a request to write gets no file.

#include <cstdint>
#include <memory>
#include <mutex>
#include <string>

#include "corvid/server/ShareTree.h"
#include "corvid/server/UpnpAdapter.h"

namespace corvid::server {

class ContentVirtualDirectory : public VirtualFileHandler {
  public:
    static constexpr const char* kDirectoryName = "content";

    ContentVirtualDirectory() = default;
    ~ContentVirtualDirectory() override;

    // Adds "content" to the stack's web server and routes its callbacks here; the base URL
    // becomes "http://IP:PORT/content". Returns the stack's result (0 on success).
    int Register(const std::string& serverAddress, std::uint16_t serverPort);
    // The base URL without registering (for use without a running stack).
    void SetBaseUrl(const std::string& serverAddress, std::uint16_t serverPort);
    const std::string& baseUrl() const { return baseUrl_; }

    // The tree behind the URLs; replaced at every server start.
    void SetTree(std::shared_ptr<const ShareTree> tree);
    std::shared_ptr<const ShareTree> Tree() const;

    int getInfo(const char* path, WebFileInfo& info) override;
    void* open(const char* path, bool forWriting) override;
    int read(void* handle, char* buffer, std::size_t length) override;
    int write(void* handle, const char* buffer, std::size_t length) override;
    int seek(void* handle, off_t offset, int origin) override;
    int close(void* handle) override;

  private:
    mutable std::mutex treeLock_;
    std::shared_ptr<const ShareTree> tree_;
    std::string baseUrl_;
};

}  // namespace corvid::server
