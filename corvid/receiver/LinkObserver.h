#pragma once
// Where the corvidlet link reports: the messages the user is shown and the link's status
// (the desktop program shows both; the command line prints them).

#include <string>

namespace corvid::receiver {

enum class LinkStatus { Offline, Connecting, Online };

class LinkObserver {
  public:
    virtual ~LinkObserver() = default;
    virtual void ShowMessage(const std::string& text) = 0;
    virtual void SetStatus(LinkStatus status) = 0;
};

}  // namespace corvid::receiver
