#include "tools/velkctl/InterruptProgress.h"

#include <atomic>
#include <csignal>

namespace velkctl {

namespace {

std::atomic<bool> gPressed{false};

extern "C" void OnInterrupt(int) {
    gPressed = true;
}

}  // namespace

InterruptProgress::InterruptProgress() {
    std::signal(SIGINT, OnInterrupt);
}

InterruptProgress::~InterruptProgress() {
    std::signal(SIGINT, SIG_DFL);
}

bool InterruptProgress::pressed() {
    return gPressed;
}

}  // namespace velkctl
