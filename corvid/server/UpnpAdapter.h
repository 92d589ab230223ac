#pragma once
// The one place that speaks libupnp's own types. Everything else in the media server sees the
// stack through these small types, so that a different libupnp version changes this file only.
// The XML documents themselves are ixml documents (ixml is stable across versions).

#include <sys/types.h>
#include <cstdint>
#include <ctime>
#include <string>
#include <vector>

typedef struct _IXML_Document IXML_Document;

namespace corvid::server {

// A control action request while its callback runs.
class ActionRequest {
  public:
    explicit ActionRequest(void* raw) : raw_(raw) {}
    std::string deviceUdn() const;
    std::string serviceId() const;
    std::string actionName() const;
    // Text of the named argument of the request (first element of that name), "" when absent.
    std::string argument(const std::string& name) const;
    // The request document itself (owned by the stack).
    IXML_Document* document() const;
    // Adds one output argument to the response (creating the response when needed).
    bool addResult(const std::string& serviceType, const std::string& name,
                   const std::string& value);
    // Makes an empty response for the action (no arguments).
    bool setEmptyResult(const std::string& serviceType);
    // The response document as text, "" when none is set.
    std::string resultText() const;

  private:
    void* raw_;
};

class SubscriptionRequest {
  public:
    explicit SubscriptionRequest(void* raw) : raw_(raw) {}
    std::string udn() const;
    std::string serviceId() const;
    std::string sid() const;

  private:
    void* raw_;
};

// What the stack delivers to the device; called on the stack's worker threads.
class DeviceEventSink {
  public:
    virtual ~DeviceEventSink() = default;
    virtual void onAction(ActionRequest& request) = 0;
    virtual void onSubscription(SubscriptionRequest& request) = 0;
    virtual void onGetVar() = 0;
    virtual void onUnknown(int eventType) = 0;
};

// File information handed to the web server for a virtual-directory path.
struct WebFileInfo {
    off_t length = 0;
    std::time_t lastModified = 0;
    bool isDirectory = false;
    bool isReadable = true;
    std::string contentType;
    std::string extraHeaders;  // each line ends with CRLF
};

// The six virtual-directory callbacks; called on the web server's worker threads.
class VirtualFileHandler {
  public:
    virtual ~VirtualFileHandler() = default;
    virtual int getInfo(const char* path, WebFileInfo& info) = 0;
    virtual void* open(const char* path, bool forWriting) = 0;
    virtual int read(void* handle, char* buffer, std::size_t length) = 0;
    virtual int write(void* handle, const char* buffer, std::size_t length) = 0;
    virtual int seek(void* handle, off_t offset, int origin) = 0;
    virtual int close(void* handle) = 0;
};

namespace upnp {

// UpnpInit on an IPv4 address ("" = let the stack choose).
int initOnAddress(const std::string& address, std::uint16_t port);
// UpnpInit2 on a network interface ("" = the first suitable one).
int initOnInterface(const std::string& interfaceName, std::uint16_t port);
void finish();
std::string serverAddress();
std::uint16_t serverPort();
int setWebServerRoot(const std::string& folder);
// Registers the root device from a description held in memory; the stack fills in URLBase.
int registerRootDevice(const std::string& description, DeviceEventSink* sink, int& handle);
int unregisterRootDevice(int handle);
int sendAdvertisement(int handle, int expirySeconds);
int acceptSubscription(int handle, const std::string& udn, const std::string& serviceId,
                       const std::vector<std::string>& names,
                       const std::vector<std::string>& values, const std::string& sid);
// Adds the virtual directory "name" and routes its callbacks to the handler (one handler for
// the whole process; the last one registered wins).
int addVirtualDirectory(const std::string& name, VirtualFileHandler* handler);
// Detaches the handler: from then on every virtual-directory request fails.
void removeVirtualFileHandler(VirtualFileHandler* handler);
const char* errorMessage(int code);
// True when the stack could not have its HTTP port: another program holds it, or bound it at
// the same moment and began listening first (the stack's listen then fails).
bool isBindError(int code);
// True for start errors that go away once the interface's addresses are ready (bind errors,
// an interface without a usable address yet).
bool isRetryableStartError(int code);

}  // namespace upnp

}  // namespace corvid::server
