// login, get and put: the logon and single-file transfers over the receiver's FTP server.

#include <cstdio>
#include <string>
#include <vector>

#include "tools/velkctl/InterruptProgress.h"
#include "tools/velkctl/Velkctl.h"
#include "velkport/link/ConnectAndLogin.h"
#include "velkport/link/FtpClient.h"

namespace velkctl {

namespace {

using velkport::link::ConnectAndLogin;

using velkport::link::FtpClient;
using velkport::shell::PromptIcon;

int RunLogin(Context& context, const std::vector<std::string>& args) {
    if (!args.empty())
        return UsageError("login", "login takes no arguments");
    if (!ConnectAndLogin::LogOnToReceiver(context.app, *context.prompter, context.timeout))
        return kExitFailure;
    std::printf("Logged on to %s as %s.\n", context.app.receiverAddress.c_str(),
                context.app.userId.c_str());
    return kExitOk;
}

// Logs on and changes into the folder of a receiver path; on failure the message is out.
bool Open(Context& context, FtpClient& client, const std::string& folder) {
    const auto& app = context.app;
    if (!client.LogOn(app.receiverAddress, app.ftpPort, app.userId, app.pinCode)) {
        context.prompter->showMessage(ConnectAndLogin::kLoginFailed, PromptIcon::Error);
        return false;
    }
    if (!folder.empty() && !client.Command("CWD " + folder)) {
        context.prompter->showMessage(client.LastReply(), PromptIcon::Error);
        return false;
    }
    return true;
}

int Transfer(Context& context, const std::string& remotePath, const std::string& localFile,
             bool download) {
    const char* name = download ? "get" : "put";
    std::string folder, file;
    if (!SplitRemotePath(remotePath, folder, file))
        return UsageError(name, "not a file on the receiver: '" + remotePath + "'");
    if (localFile.empty())
        return UsageError(name, "no local file given");
    FtpClient client(*context.prompter, context.timeout);
    if (!Open(context, client, folder))
        return kExitFailure;
    // Ctrl-C is Cancel: the transfer stops, the local file stays as it was, the server is told.
    InterruptProgress interrupt;
    client.SetCancel([] { return InterruptProgress::pressed(); });
    if (!client.TransferFile(file, localFile, download)) {
        if (client.Cancelled()) {
            client.LogOff();
            return kExitInterrupted;
        }
        context.prompter->showMessage(client.LastReply(), PromptIcon::Error);
        return kExitFailure;
    }
    client.LogOff();
    return kExitOk;
}

int RunGet(Context& context, const std::vector<std::string>& args) {
    if (args.size() != 2)
        return UsageError("get", "get needs REMOTE_PATH and LOCAL_FILE");
    return Transfer(context, args[0], args[1], true);
}

int RunPut(Context& context, const std::vector<std::string>& args) {
    if (args.size() != 2)
        return UsageError("put", "put needs LOCAL_FILE and REMOTE_PATH");
    return Transfer(context, args[1], args[0], false);
}

const Registration kLogin({
    "login",
    "login",
    "Log on to the receiver's FTP server with the user id and pin code.",
    "Exits 0 when the receiver accepts the logon. Otherwise the reason goes to standard\n"
    "error, ending with \"Login fail. Check server address and password.\", and the exit\n"
    "status is 1.\n",
    true,
    RunLogin,
});

const Registration kGet({
    "get",
    "get REMOTE_PATH LOCAL_FILE",
    "Download one file from the receiver over FTP (binary, active mode).",
    "REMOTE_PATH is the file's path on the receiver, for example\n"
    "  \"/ftproot/System/Programmliste (Channel List)/channel.xml\"\n"
    "(quote paths with blanks). LOCAL_FILE is created or overwritten; a download that\n"
    "fails leaves no partial file behind.\n",
    true,
    RunGet,
});

const Registration kPut({
    "put",
    "put LOCAL_FILE REMOTE_PATH",
    "Upload one file to the receiver over FTP (binary, active mode).",
    "REMOTE_PATH names the file on the receiver, in a folder that exists there, for\n"
    "example \"/ftproot/System/Software/firmware.bin\". An existing file is replaced.\n",
    true,
    RunPut,
});

}  // namespace

}  // namespace velkctl
