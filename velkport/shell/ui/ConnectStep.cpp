#include "velkport/shell/ui/ConnectStep.h"

#include "velkport/link/ConnectAndLogin.h"
#include "velkport/shell/widgets/ConnectDialog.h"

namespace velkport::shell {

bool RunConnectStep(AppContext& app, Prompter& prompter, SettingsStore& settings, QWidget* parent,
                    const std::function<void(ConnectDialog&)>& prepare) {
    ConnectDialog dialog(parent);
    if (prepare)
        prepare(dialog);
    link::ConnectAndLogin step(app, prompter, &settings);
    return step.Run(dialog);
}

}  // namespace velkport::shell
