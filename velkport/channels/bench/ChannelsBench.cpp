// Times the channel list reader and writer on a full list (3500 TV and 1500 radio services,
// 16 full favorite groups) beside the bare cost of the XML library on the same file, and the
// editing operations on a full list. Run on demand (tools/bench/channels-bench.sh), not a test.
//   channels-bench [FOLDER] [ROUNDS]

#include <ixml.h>

#include <time.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "velkport/channels/ChannelListEditor.h"
#include "velkport/channels/ChannelListFile.h"
#include "velkport/channels/IxmlHandles.h"

namespace {

using namespace velkport::channels;
using Clock = std::chrono::steady_clock;

// Processor time of this thread in milliseconds: the machine may be shared, and wall time
// then measures the neighbours as well.
double cpuMs() {
    timespec ts{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &ts);
    return static_cast<double>(ts.tv_sec) * 1e3 + static_cast<double>(ts.tv_nsec) / 1e6;
}

struct Timing {
    double cpu = 1e9;
    double wall = 1e9;
};

Timing bestOf(int rounds, const std::function<void()>& f) {
    Timing best;
    for (int i = 0; i < rounds; ++i) {
        const double c0 = cpuMs();
        const auto t0 = Clock::now();
        f();
        best.wall = std::min(best.wall,
                             std::chrono::duration<double, std::milli>(Clock::now() - t0).count());
        best.cpu = std::min(best.cpu, cpuMs() - c0);
    }
    return best;
}

void print(const char* what, Timing t) {
    std::printf("%-36s %9.2f ms cpu %9.2f ms wall\n", what, t.cpu, t.wall);
}

void fill(ChannelListEditor& editor) {
    auto& db = editor.database();
    db.clear();
    for (int kind : {kTv, kRadio}) {
        const int n = ChannelDatabase::capacity(kind);
        for (int i = 0; i < n; ++i) {
            auto s = std::make_unique<Service>();
            s->serviceType = static_cast<std::uint8_t>(kind);
            s->channelNumber = i + 1;
            s->name =
                (kind == kTv ? "Fernsehen \xC3\xBC " : "Radio \xC3\xA4 ") + std::to_string(i + 1);
            s->sid = 20000 + i;
            s->tsid = 1000 + i / 10;
            s->onid = 1;
            s->carrierFrequency = 114000 + (i % 80) * 8000;
            s->carrierSymbolRate = 6900;
            s->carrierQam = 256;
            s->vpid = 100 + i;
            s->apid = 200 + i;
            s->pcrPid = 100 + i;
            s->scrambled = i % 3 == 0;
            db.addService(std::move(s));
        }
    }
    editor.fillFromDatabase();
    for (int kind : {kTv, kRadio})
        for (int g = 0; g < kMaxFavoriteGroups; ++g) {
            FavoriteGroup* group = editor.createFavorite(kind);
            for (int m = 0; m < kMaxFavoriteMembers; ++m)
                group->append(
                    db.service(kind, (g * 137 + m * 7) % ChannelDatabase::capacity(kind)));
        }
}

}  // namespace

int main(int argc, char** argv) {
    const std::filesystem::path folder =
        argc > 1 ? argv[1] : std::filesystem::temp_directory_path();
    const int rounds = argc > 2 ? std::max(1, std::atoi(argv[2])) : 5;
    const auto file = folder / "bench-channel.xml";
    velkport::shell::SilentPrompter prompter(true);
    ChannelListEditor editor(prompter);
    fill(editor);

    const Timing write = bestOf(rounds, [&] { editor.writeChannelList(file, true); });
    const auto size = std::filesystem::file_size(file);
    ChannelDatabase db;
    const Timing read = bestOf(rounds, [&] { ChannelListFile::read(db, file, prompter); });
    if (db.countServices(kTv) != kMaxTvServices || db.countServices(kRadio) != kMaxRadioServices ||
        db.favoriteGroups(kTv).size() != 8 || db.favoriteGroups(kRadio).size() != 8) {
        std::fprintf(stderr, "the list did not survive writing and reading\n");
        return 1;
    }
    const Timing parse = bestOf(rounds, [&] {
        IXML_Document* doc = nullptr;
        ixmlLoadDocumentEx(file.c_str(), &doc);
        IxmlDocumentPtr owned(doc);
    });
    const Timing parsePrint = bestOf(rounds, [&] {
        IXML_Document* doc = nullptr;
        ixmlLoadDocumentEx(file.c_str(), &doc);
        IxmlDocumentPtr owned(doc);
        IxmlStringPtr printed(
            ixmlPrintNode(ixmlNode_getFirstChild(reinterpret_cast<IXML_Node*>(doc))));
    });

    std::printf("file: %s (%.2f MB), best of %d\n", file.c_str(), static_cast<double>(size) / 1e6,
                rounds);
    print("our write (writeChannelList)", write);
    print("our read (readChannelList)", read);
    print("ixml parse alone", parse);
    print("ixml parse + print", parsePrint);
    std::printf("%-36s %+8.1f %% cpu\n", "our read beyond ixml parse",
                (read.cpu / parse.cpu - 1) * 100);
    std::printf("%-36s %+8.1f %% cpu\n", "our read + write beyond parse + print",
                ((read.cpu + write.cpu) / parsePrint.cpu - 1) * 100);

    // Editing operations on a full TV list (filling the list is not timed).
    auto timed = [&](const std::function<void()>& op) {
        Timing best;
        for (int i = 0; i < rounds; ++i) {
            fill(editor);
            const Timing t = bestOf(1, op);
            best.cpu = std::min(best.cpu, t.cpu);
            best.wall = std::min(best.wall, t.wall);
        }
        return best;
    };
    std::vector<int> hundred;
    for (int i = 1000; i < 1100; ++i)
        hundred.push_back(i);
    print("sort by name + renumber 3500 rows", timed([&] {
              editor.sortByColumn(Column::ServiceName);
              editor.renumber();
          }));
    print("move 100 rows", timed([&] {
              editor.selectOnly(hundred);
              editor.moveSelectedToNumber(5);
          }));
    print("delete 100 rows", timed([&] {
              editor.selectOnly(hundred);
              editor.deleteChannels();
          }));
    print("fill 3500 rows from the table", timed([&] { editor.fillFromDatabase(); }));
    return 0;
}
