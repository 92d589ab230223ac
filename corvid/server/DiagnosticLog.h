#pragma once
// Trace lines of the media server ("UPnPDeviceServer::handleAction\n" and the like). They are
// discarded unless the environment variable CORVID_TRACE is set, in which case they go to
// standard error. One lock keeps lines from different threads apart.

namespace corvid::server {

class DiagnosticLog {
  public:
    [[gnu::format(printf, 1, 2)]] static void write(const char* format, ...);
    static bool enabled();
};

}  // namespace corvid::server
