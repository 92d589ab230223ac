#pragma once
// Where a long transfer reports its progress: the shared progress window in the desktop program,
// a line on the terminal in velkctl, a recorder in tests. Called from the worker thread.

#include <string>

namespace velkport::channels {

class ProgressSink {
  public:
    virtual ~ProgressSink() = default;
    virtual void show(const std::string& text) = 0;  // range 0..100, position 0
    virtual void setPosition(int position) = 0;
    virtual void hide() = 0;
};

class NullProgress : public ProgressSink {
  public:
    void show(const std::string&) override {}
    void setPosition(int) override {}
    void hide() override {}
};

}  // namespace velkport::channels
