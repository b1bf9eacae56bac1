// How the install steps reach the user: they ask a question, tell a text or ask for the
// run to end, and never show a window or end the program themselves. The wizard answers
// with its message boxes and endings, the command line with /yes, /quiet and its log.
#pragma once
#include <string>

#include "install/exit_codes.h"
#include "platform/win.h"

enum class Answer {
    Yes,
    No,         // the user said No
    NotAsked,   // nobody to ask: /quiet without /yes
    Unanswered  // the question could not be shown
};

class Feedback {
public:
    virtual ~Feedback() = default;
    // A Yes/No question of the string table (owner: the window it belongs to).
    virtual Answer Ask(HWND owner, UINT questionId) = 0;
    // A text the user must read, under a caption of the string table, with the box style that
    // tells its kind (MB_ICONHAND a failure, MB_ICONEXCLAMATION a warning).
    virtual void Tell(HWND owner, const std::string& text, UINT captionId, UINT style) = 0;
    // A step that cannot go on: the front end ends the run with the code.
    virtual void End(ExitCode code) = 0;
    // False when no window at all may be shown (the shell's progress and error windows neither).
    virtual bool MayShowWindows() const = 0;
};

// The feedback that the steps use, set by the front end (or a test).
Feedback& StepFeedback();

// Makes a feedback the steps' one for its lifetime, then restores the previous one.
class ScopedFeedback {
public:
    explicit ScopedFeedback(Feedback& feedback);
    ~ScopedFeedback();
    ScopedFeedback(const ScopedFeedback&) = delete;
    ScopedFeedback& operator=(const ScopedFeedback&) = delete;

private:
    Feedback* previous_;
};

// Tell with a string-table prefix and the system's text for an error; with the system's text
// alone as a failure.
void TellError(HWND owner, UINT prefixId, DWORD error, UINT captionId, UINT style);
void TellSystemError(HWND owner, DWORD error, UINT captionId);
