// Feeds arbitrary bytes to the service-description loader.
#include <cstddef>
#include <cstdint>
#include <string>

#include "corvid/server/UpnpService.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    corvid::server::UpnpService service("urn:schemas-upnp-org:service:ContentDirectory:1", nullptr);
    service.LoadDescriptionText(std::string(reinterpret_cast<const char*>(data), size));
    for (const auto& a : service.actions()) {
        for (const auto& arg : a.arguments)
            service.GetStateVariable(arg.relatedStateVariable);
    }
    return 0;
}
