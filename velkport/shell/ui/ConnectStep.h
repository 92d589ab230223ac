#pragma once
// The connect step of the desktop program: the Connect dialog, then the logon to the receiver's
// FTP server. True when the program goes on (connected, or offline by choice).

#include <QWidget>

#include "velkport/shell/base/AppContext.h"
#include "velkport/shell/base/Prompter.h"
#include "velkport/shell/base/SettingsStore.h"

namespace velkport::shell {

class ConnectDialog;

// Runs a Connect dialog; prepare (when given) is called with the dialog before it runs, so that
// tests can fill it in and press its buttons.
bool RunConnectStep(AppContext& app, Prompter& prompter, SettingsStore& settings, QWidget* parent,
                    const std::function<void(ConnectDialog&)>& prepare = {});

}  // namespace velkport::shell
