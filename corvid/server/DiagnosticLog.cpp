#include "corvid/server/DiagnosticLog.h"

#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <mutex>

namespace corvid::server {

namespace {
std::recursive_mutex g_logLock;
}

bool DiagnosticLog::enabled() {
    static const bool on = std::getenv("CORVID_TRACE") != nullptr;
    return on;
}

void DiagnosticLog::write(const char* format, ...) {
    if (!enabled())
        return;
    std::lock_guard lock(g_logLock);
    va_list args;
    va_start(args, format);
    std::vfprintf(stderr, format, args);
    va_end(args);
}

}  // namespace corvid::server
