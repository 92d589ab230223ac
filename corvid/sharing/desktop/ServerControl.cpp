#include "corvid/sharing/desktop/ServerControl.h"

#include "corvid/server/UpnpAdapter.h"
#include "corvid/server/UpnpStack.h"
#include "corvid/sharing/CommandRunner.h"
#include "corvid/sharing/MediaType.h"
#include "corvid/sharing/SambaAccount.h"
#include "corvid/sharing/SharingSettings.h"
#include "corvid/sharing/desktop/ShareContentLookup.h"

namespace corvid::sharing {

namespace {

using receiver::LinkStatus;

std::vector<std::pair<std::string, std::string>> mediaShares(const SharingSettings& settings) {
    std::vector<std::pair<std::string, std::string>> shares;
    for (std::size_t slot = 0; slot < SharingSettings::kMaxShares; ++slot) {
        const auto* s = settings.Share(slot);
        if (s != nullptr && mediaTypeFromName(s->mediaTypeName))
            shares.emplace_back(s->path, s->mediaTypeName);
    }
    return shares;
}

}  // namespace

ServerControl::ServerControl(SharingSettings& settings, std::string webDirectory)
    : settings_(settings),
      webDirectory_(std::move(webDirectory)),
      runner_(std::make_unique<CommandRunner>()),
      link_(
          settings,
          [this](const std::string& user, const std::string& password, std::string& why) {
              if (accountCheck_)
                  return accountCheck_(user, password, why);
              SambaAccount samba(*runner_, SharingSettings::sambaConfigFile());
              return samba.CheckAccount(user, password, why);
          },
          *this),
      streamer_(settings),
      handler_(streamer_),
      listener_(handler_, settings) {
    link_.SetTimeLimit(std::chrono::milliseconds(5000));
}

ServerControl::~ServerControl() {
    Shutdown();
}

void ServerControl::ShowMessage(const std::string& text) {
    if (messages_)
        messages_(text);
}

void ServerControl::SetStatus(LinkStatus status) {
    status_ = status;
    if (statusSink_)
        statusSink_(status);
}

void ServerControl::say(bool show, const std::string& text) {
    if (show)
        ShowMessage(text);
}

int ServerControl::StartServer(bool showMessages) {
    listener_.Close();
    std::string error;
    if (!listener_.Open("", controlPort_, settings_.receiverAddress, &error))
        say(showMessages, "VLC Socket create failed");
    auto& stack = server::UpnpStack::Instance();
    if (settings_.serverType == 2) {
        listener_.SetContentLookup({});
        if (stack.running())
            stack.Stop();
        return link_.SendConfiguration(showMessages);
    }
    if (settings_.serverType == 1) {
        // A receiver still holding file shares is told to drop them; it may well be off.
        if (!settings_.receiverAddress.empty())
            link_.SendDropConfiguration(false);
        return startUpnp(showMessages) ? 1 : 0;
    }
    say(showMessages, "Can not find server type");
    SetStatus(LinkStatus::Offline);
    return 0;
}

bool ServerControl::startUpnp(bool showMessages) {
    auto& stack = server::UpnpStack::Instance();
    stack.Stop();
    SetStatus(LinkStatus::Connecting);
    stack.SetRequestedAddress(serverAddress_);
    stack.SetStartPatience(std::chrono::milliseconds(5000));
    const int rc = stack.Start(webDirectory_, mediaShares(settings_));
    if (rc != 0) {
        say(showMessages, std::string("The UPnP server did not start: ") +
                              server::upnp::errorMessage(rc) + " (" + std::to_string(rc) + ")");
        SetStatus(LinkStatus::Offline);
        return false;
    }
    listener_.SetContentLookup(ShareContentLookup(settings_));
    SetStatus(LinkStatus::Online);
    return true;
}

int ServerControl::Reset(bool showMessages) {
    return link_.SendDropConfiguration(showMessages);
}

void ServerControl::Shutdown() {
    streamer_.Stop();
    listener_.Close();
    auto& stack = server::UpnpStack::Instance();
    if (stack.running())
        stack.Stop();
}

}  // namespace corvid::sharing
