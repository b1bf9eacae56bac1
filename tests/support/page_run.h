// Runs a real page modally in the test's own thread, calls a body once the page is shown,
// then cancels it: the page's handlers run exactly as in the wizard.
#pragma once
#include <functional>

#include "framework/dialog.h"
#include "platform/win.h"

namespace testpages {

class PageRun {
public:
    // True when the page showed and the body ran; result gets DoModal's value.
    static bool Run(framework::Dialog& page, std::function<void()> body, INT_PTR* result = nullptr)
    {
        page_ = &page;
        body_ = std::move(body);
        ran_ = false;
        SetTimer(nullptr, 0, 0, &PageRun::OnTimer);
        INT_PTR r = page.DoModal();
        if (result)
            *result = r;
        page_ = nullptr;
        return ran_;
    }

private:
    static void CALLBACK OnTimer(HWND, UINT, UINT_PTR id, DWORD)
    {
        KillTimer(nullptr, id);
        HWND hwnd = page_ ? page_->GetSafeHwnd() : nullptr;
        if (!hwnd || !IsWindowVisible(hwnd)) {
            SetTimer(nullptr, 0, 0, &PageRun::OnTimer);  // not shown yet
            return;
        }
        ran_ = true;
        body_();
        PostMessageA(hwnd, WM_COMMAND, IDCANCEL, 0);
    }

    static inline framework::Dialog* page_ = nullptr;
    static inline std::function<void()> body_;
    static inline bool ran_ = false;
};

}  // namespace testpages
