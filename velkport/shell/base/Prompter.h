#pragma once
// The one way the core asks the user something or tells them something. The desktop program
// shows message boxes; velkctl writes to the terminal; tests record what was said and answer
// from a script.

#include <string>

namespace velkport::shell {

enum class PromptIcon { None, Error, Warning, Information, Question };
enum class PromptAnswer { Yes, No, Cancel };

class Prompter {
  public:
    virtual ~Prompter() = default;
    // A message with an OK button.
    virtual void showMessage(const std::string& text, PromptIcon icon) = 0;
    // A question with Yes and No buttons (question icon).
    virtual bool askYesNo(const std::string& text) = 0;
    // A question with Yes, No and Cancel buttons (question icon).
    virtual PromptAnswer askYesNoCancel(const std::string& text) {
        return askYesNo(text) ? PromptAnswer::Yes : PromptAnswer::No;
    }
};

// Says nothing and answers every question with its default.
class SilentPrompter : public Prompter {
  public:
    explicit SilentPrompter(bool answer = false) : answer_(answer) {}
    void showMessage(const std::string&, PromptIcon) override {}
    bool askYesNo(const std::string&) override { return answer_; }

  private:
    bool answer_;
};

}  // namespace velkport::shell
