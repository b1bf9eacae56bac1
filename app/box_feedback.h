// The wizard's answer to the install steps: message boxes, and the program's end.
#pragma once
#include "install/feedback.h"

class BoxFeedback : public Feedback {
public:
    Answer Ask(HWND owner, UINT questionId) override;
    void Tell(HWND owner, const std::string& text, UINT captionId, UINT style) override;
    void End(ExitCode code) override;
    bool MayShowWindows() const override;
};
