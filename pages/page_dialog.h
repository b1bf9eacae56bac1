// What every wizard page shares: a modal dialog from its template that records how it
// ended in m_nResult, for the controller to read; the page's picture and icon, painted
// and set here; and its commands by control id, Back among them.
#pragma once
#include <functional>
#include <utility>
#include <vector>

#include "framework/dialog.h"
#include "framework/strings.h"
#include "pages/controls/masked_bitmap.h"
#include "pages/page_interfaces.h"
#include "res/resource.h"

template <typename PageBase>
class PageDialog : public framework::Dialog, public PageBase {
public:
    explicit PageDialog(UINT templateId)
        : Dialog(templateId), m_hIcon(LoadIconA(framework::ResourceModule(), MAKEINTRESOURCEA(IDI_APP)))
    {
        OnControl(IDC_BACK, BN_CLICKED, [this] { OnBack(); });
    }
    INT_PTR DoModal() override { return Dialog::DoModal(); }
    HWND GetSafeHwnd() const override { return Dialog::GetSafeHwnd(); }

    MaskedBitmap m_bitmap;
    HICON m_hIcon = nullptr;

protected:
    // Runs the handler when the control with this id sends this notification (BN_CLICKED,
    // EN_CHANGE, CBN_SELCHANGE...).
    void OnControl(UINT id, UINT code, std::function<void()> handler)
    {
        commands_.push_back({id, code, std::move(handler)});
    }

    // Exchanges the data into the controls, loads the picture and sets the icon.
    BOOL OnInitDialog() override
    {
        Dialog::OnInitDialog();
        m_bitmap.LoadBitmap(IDB_PICTURE);
        SetIcons(m_hIcon);
        return TRUE;
    }

    bool OnCommand(UINT id, UINT code, HWND /*control*/) override
    {
        for (const Command& command : commands_) {
            if (command.id == id && command.code == code) {
                command.handler();
                return true;
            }
        }
        return false;
    }

    // The picture; while the page is minimised, its icon instead (unless the page says not).
    bool OnPaint() override
    {
        if (m_iconWhenMinimized)
            PaintPage(GetSafeHwnd(), m_bitmap, m_hIcon);
        else
            PaintPagePicture(GetSafeHwnd(), m_bitmap);
        return true;
    }

    // Cancel, Esc or the close box.
    void OnCancel() override
    {
        this->m_nResult = PAGE_CANCEL;
        Dialog::OnCancel();
    }
    // The Back button of the pages that have one.
    void OnBack()
    {
        this->m_nResult = PAGE_BACK;
        Dialog::OnCancel();
    }

    bool m_iconWhenMinimized = true;

private:
    struct Command {
        UINT id;
        UINT code;
        std::function<void()> handler;
    };
    std::vector<Command> commands_;
};
