#pragma once
// The Connect dialog as the connect logic sees it. The desktop program draws it (title
// "Connect"; fields "IP ADDRESS", "USER ID", "PINCODE"; buttons "Connect", "Cancel",
// "Off Line"); tests and command-line tools stand in for it.

#include <functional>
#include <string>

namespace velkport::link {

enum class ConnectResult { Connect, OffLine, Cancel };

class ConnectDialogView {
  public:
    // Called when Connect is pressed, with the three field texts: true closes the dialog with
    // Connect, false leaves it open with its contents.
    using ConnectHandler = std::function<bool(const std::string& address, const std::string& userId,
                                              const std::string& pinCode)>;

    virtual ~ConnectDialogView() = default;

    // Before Run: the address control's text, and the user id shown in its disabled field.
    virtual void SetAddress(const std::string& address) = 0;
    virtual void SetUserId(const std::string& userId) = 0;
    virtual void SetConnectHandler(ConnectHandler handler) = 0;

    // Shows the dialog modally with the focus on the address control; returns the button that
    // closed it (closing the window counts as Cancel).
    virtual ConnectResult Run() = 0;

    // The field texts as they were when the dialog closed.
    virtual std::string Address() const = 0;
    virtual std::string UserId() const = 0;
    virtual std::string PinCode() const = 0;
};

}  // namespace velkport::link
