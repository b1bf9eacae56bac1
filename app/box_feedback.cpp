#include "app/box_feedback.h"

#include "framework/message_box.h"
#include "platform/api.h"
#include "res/resource.h"

Answer BoxFeedback::Ask(HWND owner, UINT questionId)
{
    switch (framework::ShowMessage(owner, questionId, IDS_WIZARD_CAPTION, MB_YESNO | MB_ICONQUESTION)) {
    case IDYES: return Answer::Yes;
    case IDNO: return Answer::No;
    default: return Answer::Unanswered;
    }
}

void BoxFeedback::Tell(HWND owner, const std::string& text, UINT captionId, UINT style)
{
    framework::ShowText(owner, text, captionId, style);
}

void BoxFeedback::End(ExitCode code)
{
    sys().ExitProcess(static_cast<UINT>(code));
}

bool BoxFeedback::MayShowWindows() const
{
    return !framework::BoxesAnswered();
}
