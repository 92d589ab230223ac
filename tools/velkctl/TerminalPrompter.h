#pragma once
// velkctl's prompter: messages go to standard error, one per line (an error icon adds nothing:
// the text is the system's own); questions are asked on the terminal, or answered yes at once
// when --yes was given. Without a terminal to ask on, a question is answered no.

#include <cstdio>

#include "velkport/shell/base/Prompter.h"

namespace velkctl {

class TerminalPrompter : public velkport::shell::Prompter {
  public:
    explicit TerminalPrompter(bool yes, std::FILE* in = stdin, std::FILE* out = stderr);

    void showMessage(const std::string& text, velkport::shell::PromptIcon icon) override;
    bool askYesNo(const std::string& text) override;
    velkport::shell::PromptAnswer askYesNoCancel(const std::string& text) override;
    // How many messages went out so far (a failure that said nothing yet is then explained).
    int messagesShown() const { return shown_; }

  private:
    // Reads one answer line: 'y'/'n'/'c' (first letter, any case), or 0 at the end of input.
    char readAnswer(const char* choices);

    bool yes_;
    int shown_ = 0;
    std::FILE* in_;
    std::FILE* out_;
};

}  // namespace velkctl
