#include "tools/velkctl/TerminalPrompter.h"

#include <unistd.h>

#include <cctype>
#include <cstring>
#include <string>

namespace velkctl {

using velkport::shell::PromptAnswer;
using velkport::shell::PromptIcon;

TerminalPrompter::TerminalPrompter(bool yes, std::FILE* in, std::FILE* out)
    : yes_(yes), in_(in), out_(out) {}

void TerminalPrompter::showMessage(const std::string& text, PromptIcon) {
    ++shown_;
    std::fprintf(out_, "%s\n", text.c_str());
    std::fflush(out_);
}

char TerminalPrompter::readAnswer(const char* choices) {
    if (!in_ || !::isatty(::fileno(in_)))
        return 0;
    for (int tries = 0; tries < 5; ++tries) {
        std::fprintf(out_, "[%s] ", choices);
        std::fflush(out_);
        char line[256];
        if (!std::fgets(line, sizeof line, in_))
            return 0;
        char c = static_cast<char>(std::tolower(static_cast<unsigned char>(line[0])));
        for (const char* p = choices; *p; ++p) {
            if (std::tolower(static_cast<unsigned char>(*p)) == c && c != '/')
                return c;
        }
    }
    return 0;
}

bool TerminalPrompter::askYesNo(const std::string& text) {
    std::fprintf(out_, "%s\n", text.c_str());
    if (yes_) {
        std::fprintf(out_, "yes (--yes)\n");
        std::fflush(out_);
        return true;
    }
    char c = readAnswer("y/n");
    if (c == 0) {
        std::fprintf(out_, "no (no terminal to ask on; --yes answers yes)\n");
        std::fflush(out_);
    }
    return c == 'y';
}

PromptAnswer TerminalPrompter::askYesNoCancel(const std::string& text) {
    std::fprintf(out_, "%s\n", text.c_str());
    if (yes_) {
        std::fprintf(out_, "yes (--yes)\n");
        std::fflush(out_);
        return PromptAnswer::Yes;
    }
    switch (readAnswer("y/n/c")) {
        case 'y':
            return PromptAnswer::Yes;
        case 'n':
            return PromptAnswer::No;
        case 0:
            std::fprintf(out_, "cancel (no terminal to ask on; --yes answers yes)\n");
            std::fflush(out_);
            return PromptAnswer::Cancel;
        default:
            return PromptAnswer::Cancel;
    }
}

}  // namespace velkctl
