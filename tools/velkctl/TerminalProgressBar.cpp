#include "tools/velkctl/TerminalProgressBar.h"

#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <csignal>
#include <cstdio>

namespace velkctl {

namespace {

std::atomic<bool> gCancelled{false};

extern "C" void OnCancel(int) {
    gCancelled = true;
}

constexpr int kBarWidth = 30;

}  // namespace

TerminalProgressBar::TerminalProgressBar() : terminal_(::isatty(STDERR_FILENO) == 1) {
    gCancelled = false;
    std::signal(SIGINT, OnCancel);
}

TerminalProgressBar::~TerminalProgressBar() {
    std::signal(SIGINT, SIG_DFL);
    if (drawn_)
        std::fputc('\n', stderr);
}

void TerminalProgressBar::begin(const std::string& caption, std::uint64_t total) {
    name_ = caption;
    range_ = std::max<std::uint64_t>(1, total);
    position_ = 0;
    draw(true);
}

void TerminalProgressBar::advance(std::uint64_t position) {
    position_ = position;
    draw(false);
}

void TerminalProgressBar::end() {
    position_ = range_;
    draw(false);
}

bool TerminalProgressBar::cancelled() const {
    return gCancelled;
}

void TerminalProgressBar::draw(bool force) {
    if (!terminal_)
        return;
    const int percent = static_cast<int>(std::min<std::uint64_t>(position_, range_) * 100 / range_);
    if (!force && percent == drawnPercent_)
        return;
    drawnPercent_ = percent;
    const int filled = percent * kBarWidth / 100;
    std::string bar(static_cast<std::size_t>(filled), '#');
    bar.resize(kBarWidth, '.');
    std::string name = name_.size() > 40 ? name_.substr(0, 37) + "..." : name_;
    std::fprintf(stderr, "\r\033[K%-40s [%s] %3d%%", name.c_str(), bar.c_str(), percent);
    std::fflush(stderr);
    drawn_ = true;
}

}  // namespace velkctl
