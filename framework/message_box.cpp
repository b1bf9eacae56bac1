#include "framework/message_box.h"

#include "framework/run_log.h"
#include "framework/strings.h"
#include "platform/api.h"

namespace framework {

namespace {

BoxAnswerer& Answerer()
{
    static BoxAnswerer answerer;
    return answerer;
}

const char* ButtonName(int button)
{
    switch (button) {
    case IDOK: return "OK";
    case IDCANCEL: return "Cancel";
    case IDYES: return "Yes";
    case IDNO: return "No";
    default: return "no answer";
    }
}

}  // namespace

void SetBoxAnswerer(BoxAnswerer answerer)
{
    Answerer() = std::move(answerer);
}

bool BoxesAnswered()
{
    return static_cast<bool>(Answerer());
}

int ShowText(HWND owner, const std::string& text, UINT captionId, UINT style)
{
    std::string caption = LoadText(captionId);
    int button = Answerer() ? Answerer()(text, caption, style)
                            : sys().MessageBoxA(owner, text.c_str(), caption.c_str(), style);
    Log("message \"" + caption + "\": " + text + " -> " + ButtonName(button) +
        (Answerer() ? " (answered without a box)" : ""));
    return button;
}

int ShowMessage(HWND owner, UINT textId, UINT captionId, UINT style)
{
    return ShowText(owner, LoadText(textId), captionId, style);
}

int ShowPrefixedError(HWND owner, UINT prefixId, DWORD code, UINT captionId, UINT style)
{
    return ShowText(owner, LoadText(prefixId) + SystemErrorText(code), captionId, style);
}

int ShowSystemError(HWND owner, DWORD code, UINT captionId)
{
    return ShowText(owner, SystemErrorText(code), captionId, MB_OK | MB_ICONHAND);
}

}  // namespace framework
