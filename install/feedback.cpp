#include "install/feedback.h"

#include "framework/strings.h"

namespace {

// Before a front end has set one: nothing is asked (No), told or ended.
class NoFeedback : public Feedback {
public:
    Answer Ask(HWND, UINT) override { return Answer::NotAsked; }
    void Tell(HWND, const std::string&, UINT, UINT) override {}
    void End(ExitCode) override {}
    bool MayShowWindows() const override { return false; }
};

NoFeedback g_none;
Feedback* g_current = &g_none;

}  // namespace

Feedback& StepFeedback()
{
    return *g_current;
}

ScopedFeedback::ScopedFeedback(Feedback& feedback) : previous_(g_current)
{
    g_current = &feedback;
}

ScopedFeedback::~ScopedFeedback()
{
    g_current = previous_;
}

void TellError(HWND owner, UINT prefixId, DWORD error, UINT captionId, UINT style)
{
    StepFeedback().Tell(owner, framework::LoadText(prefixId) + framework::SystemErrorText(error), captionId, style);
}

void TellSystemError(HWND owner, DWORD error, UINT captionId)
{
    StepFeedback().Tell(owner, framework::SystemErrorText(error), captionId, MB_OK | MB_ICONHAND);
}
