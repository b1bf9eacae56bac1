#include "framework/wait_cursor.h"

#include "platform/win.h"

namespace framework {

static int g_depth = 0;

static void ShowCursorFor(int depth)
{
    SetCursor(LoadCursor(nullptr, depth > 0 ? IDC_WAIT : IDC_ARROW));
}

void WaitCursor::Begin()
{
    ++g_depth;
    ShowCursorFor(g_depth);
}

void WaitCursor::Restore()
{
    if (g_depth > 0)
        ShowCursorFor(g_depth);
}

void WaitCursor::End()
{
    if (g_depth > 0)
        --g_depth;
    ShowCursorFor(g_depth);
}

int WaitCursor::Depth()
{
    return g_depth;
}

}  // namespace framework
