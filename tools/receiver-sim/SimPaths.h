#pragma once
// Turning a path that a client sent into a file under the emulated receiver's disk. Both "/" and
// "\" separate names (the managers send paths such as "Top\Music\Rock\"); "." is ignored, ".."
// goes up one level but never above the root, and a symbolic link that leads out of the root is
// refused as well.

#include <filesystem>
#include <optional>
#include <string_view>

namespace receiversim {

// The file or folder under root that clientPath names (it need not exist yet), or nothing when
// the path would leave the root or carries a zero byte.
std::optional<std::filesystem::path> ResolveUnderRoot(const std::filesystem::path& root,
                                                      std::string_view clientPath);

}  // namespace receiversim
