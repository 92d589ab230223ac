#pragma once
// The Channel Info dialog's logic: the fields filled from a copy of a service, the checks on OK
// and the copy back into the service.

#include <string>

#include "velkport/channels/ChannelRecords.h"
#include "velkport/shell/base/Prompter.h"

namespace velkport::editor {

using channels::Service;

struct ChannelInfoFields {
    std::string channelNumber;
    std::string name;
    std::string frequency;
    std::string symbolRate;
    std::string sid;
    std::string oid;
    std::string tsid;
    std::string videoPid;  // shown only
    std::string audioPid;  // shown only
    std::string pcrPid;    // shown only
    int serviceType = 0;   // 0 "TV", 1 "RADIO"
    int qam = -1;          // 0 "64", 1 "128", 2 "256"; -1 none chosen
    int scrambled = 0;     // 0 "false", 1 "true"
    int locked = 0;
    int skipped = 0;
};

class ChannelInfoDialog {
  public:
    static ChannelInfoFields fill(const Service& service);
    // Checks the fields in the dialog's order; the first failure is shown and gives false (the
    // dialog stays open). On success the copy takes the fields' values.
    static bool accept(const ChannelInfoFields& fields, int rowCount, Service& copy,
                       shell::Prompter& prompter);
};

}  // namespace velkport::editor
