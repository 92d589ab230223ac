#include "common/RuntimeFolder.h"

#include <unistd.h>

#include <cstdlib>

namespace common {

std::filesystem::path RuntimePath(const std::string& stem, const std::string& extension) {
    const char* runtime = std::getenv("XDG_RUNTIME_DIR");
    std::error_code ec;
    if (runtime != nullptr && *runtime != '\0' && std::filesystem::is_directory(runtime, ec))
        return std::filesystem::path(runtime) / (stem + extension);
    auto tmp = std::filesystem::temp_directory_path(ec);
    if (ec)
        tmp = "/tmp";
    return tmp / (stem + "-" + std::to_string(getuid()) + extension);
}

}  // namespace common
