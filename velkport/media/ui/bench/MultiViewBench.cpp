// Multi-View of a receiver folder of many pictures: how long the icons take to arrive and the
// longest time the window's thread went without handling its events meanwhile (a 5 ms timer
// measures the gaps). Runs the emulated receiver in-process on Qt's offscreen platform.
//   multiview-bench [PICTURES]    (default 500)

#include <QApplication>
#include <QElapsedTimer>
#include <QListWidget>
#include <QTimer>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "tools/receiver-sim/ReceiverSim.h"
#include "velkport/link/ChannelTable.h"
#include "velkport/media/tests/TestPictures.h"
#include "velkport/media/ui/MediaWindow.h"
#include "velkport/shell/base/Prompter.h"

namespace fs = std::filesystem;

int main(int argc, char** argv) {
    QApplication qapp(argc, argv);
    const int count = argc > 1 ? std::atoi(argv[1]) : 500;
    char pattern[] = "/tmp/multiview-bench.XXXXXX";
    if (!mkdtemp(pattern))
        return 1;
    const fs::path root = pattern;
    fs::create_directories(root / "jpeg");
    const std::string picture = fixtures::WithThumbnail(fixtures::MakeJpeg(1024, 768), 160, 120);
    for (int i = 0; i < count; ++i)
        std::ofstream(root / "jpeg" / ("p" + std::to_string(i) + ".jpg"), std::ios::binary)
            << picture;

    receiversim::SimOptions o;
    o.root = root;
    receiversim::ReceiverSim sim(o);
    if (!sim.start())
        return 1;
    velkport::link::ChannelTable table;
    table.InitialiseChannels("127.0.0.1", sim.portBase());
    velkport::shell::SilentPrompter prompter;
    int result = 0;
    {
        velkport::media::MediaWindow w(velkport::media::MediaType::Jpeg, table, prompter, true, {},
                                       root);
        QElapsedTimer clock, sinceTick;
        qint64 longest = 0;
        QTimer tick;
        QObject::connect(&tick, &QTimer::timeout,
                         [&] { longest = std::max(longest, sinceTick.restart()); });
        QObject::connect(&w, &velkport::media::MediaWindow::receiverIconsDone, &qapp,
                         &QApplication::quit);
        clock.start();
        sinceTick.start();
        tick.start(5);
        w.toggleMultiView();
        QApplication::exec();
        const qint64 total = clock.elapsed();
        QApplication::processEvents();
        std::printf(
            "multi-view of %d pictures: %lld ms, %d icons; longest UI-thread stall %lld ms"
            " (goal: under 50 ms)\n",
            count, static_cast<long long>(total), w.receiverIcons()->count(),
            static_cast<long long>(longest));
        result = w.receiverIcons()->count() == count ? 0 : 1;
    }
    table.ShutdownChannels();
    sim.stop();
    fs::remove_all(root);
    return result;
}
