#pragma once
// How a long job ended: done, stopped (by the user, or because there was nothing to do), or
// failed with the message that tells why.

#include <string>
#include <utility>

namespace velkport::shell {

struct JobResult {
    enum class Status { Done, Stopped, Failed };

    Status status = Status::Done;
    std::string message;  // why it failed; empty otherwise

    static JobResult Done() { return {}; }
    static JobResult Stopped() { return {Status::Stopped, {}}; }
    // A failure already shown to the user may leave the message empty.
    static JobResult Failed(std::string why = {}) { return {Status::Failed, std::move(why)}; }

    bool done() const { return status == Status::Done; }
    bool stopped() const { return status == Status::Stopped; }
    bool failed() const { return status == Status::Failed; }
    bool operator==(const JobResult&) const = default;
};

}  // namespace velkport::shell
