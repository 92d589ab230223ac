#pragma once
// The receiver's address as the user gives it: four decimal numbers 0-255 separated by dots
// ("192.168.1.20"). Names, short forms ("127.1"), leading zeros and anything else are refused
// before a connection is tried, so no name lookup is ever made. The Connect dialog, velkctl, the
// FTP client and the command channels all check an address here.

#include <string_view>

namespace velkport::link {

class ReceiverAddress {
  public:
    // The message shown for a missing or unusable address.
    static constexpr const char* kMissingMessage = "Input IP address";

    static bool IsValid(std::string_view text);
};

}  // namespace velkport::link
