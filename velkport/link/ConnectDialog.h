#pragma once
// The logic of the Connect dialog: the user id is always "root", the last address comes from
// the settings, and Connect closes the dialog only when all three fields are filled in, after
// storing the address as the last one used.

#include <optional>
#include <string>

#include "velkport/link/ConnectDialogView.h"
#include "velkport/shell/base/Prompter.h"
#include "velkport/shell/base/SettingsStore.h"

namespace velkport::link {

class ConnectDialog {
  public:
    static constexpr const char* kUserId = "root";

    // settings may be null: nothing is then read or stored.
    ConnectDialog(ConnectDialogView& view, shell::Prompter& prompter,
                  shell::SettingsStore* settings);

    // Prepares the view, runs it and returns how it was closed.
    ConnectResult Run();

    // What the Connect button does with the field texts: one of "Input user id", "Input
    // password", "Input IP address" (error icon) and false when a field is empty; otherwise
    // stores the address as "LastFtpIP" and returns true.
    bool OnConnect(const std::string& address, const std::string& userId,
                   const std::string& pinCode);

    std::string Address() const { return view_.Address(); }
    std::string UserId() const { return view_.UserId(); }
    std::string PinCode() const { return view_.PinCode(); }

  private:
    ConnectDialogView& view_;
    shell::Prompter& prompter_;
    shell::SettingsStore* settings_;
};

}  // namespace velkport::link
