#pragma once
// What a recording transfer tells the progress window (a name line, a bar and a Cancel button)
// and how it learns that Cancel was pressed. The desktop program draws it; velkctl prints it;
// tests press Cancel from a script.

#include <cstdint>
#include <string>

namespace velkport::recordings {

class TransferProgress {
  public:
    virtual ~TransferProgress() = default;
    virtual void setName(const std::string& /*name*/) {}
    virtual void show() {}
    virtual void hide() {}
    virtual void reset() {}
    virtual void setRange(std::uint64_t /*range*/) {}
    virtual void setPosition(std::uint64_t /*position*/) {}
    virtual bool visible() const { return true; }
    // Polled by the worker every block (every 16th block of a download).
    virtual bool cancelled() const { return false; }
};

}  // namespace velkport::recordings
