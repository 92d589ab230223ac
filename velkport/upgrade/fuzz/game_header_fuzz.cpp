// Game image headers as the installer reads them, and the install answer's room test.
#include <cstdlib>

#include "velkport/upgrade/GameHeader.h"
#include "velkport/upgrade/GameInstaller.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace velkport::upgrade;
    const std::span<const std::uint8_t> bytes(data, size);
    GameInstaller::Answer a;
    if (GameInstaller::Answer::Parse(bytes, a) && a.p > a.q && a.Fits(1))
        std::abort();
    GameHeader h;
    if (!GameHeader::Parse(bytes, h))
        return 0;
    if (h.name.size() > 32 || h.text58.size() > 32 || h.text94.size() > 128)
        std::abort();
    h.NameLine();
    h.VersionLine();
    h.GuidLine();
    if (h.SizeLine().size() > 13 + 13)
        std::abort();
    GameHeader again;
    if (!GameHeader::Parse(h.Build(), again) || again.installedSize != h.installedSize ||
        again.guid != h.guid || again.name != h.name)
        std::abort();
    return 0;
}
