#pragma once
// One Velkport per user: the first copy holds an exclusive lock on a lock file for as long as it
// runs; a second copy finds the lock taken, says "%s is already running" and ends. The lock goes
// with the process, so a crashed copy never blocks the next start.

#include <filesystem>
#include <optional>
#include <string>

namespace velkport::shell {

class SingleInstance {
  public:
    // $XDG_RUNTIME_DIR/velkport.lock, or the temporary folder + "/velkport-<uid>.lock".
    static std::filesystem::path DefaultLockFile();

    // Takes the lock; nullopt when another process (or another SingleInstance) holds it or the
    // file cannot be opened.
    static std::optional<SingleInstance> Acquire(
        const std::filesystem::path& lockFile = DefaultLockFile());

    // "%s is already running" with the model name.
    static std::string AlreadyRunningText();

    SingleInstance(SingleInstance&& other) noexcept;
    SingleInstance& operator=(SingleInstance&& other) noexcept;
    SingleInstance(const SingleInstance&) = delete;
    SingleInstance& operator=(const SingleInstance&) = delete;
    ~SingleInstance();

  private:
    explicit SingleInstance(int fd) : fd_(fd) {}
    int fd_ = -1;
};

}  // namespace velkport::shell
