// Screenshots of another process's window, copied from the screen into a BMP.
// PrintWindow cannot be used: it sends WM_PRINT with a device context, which
// does not cross processes. The screen shows the window as the user sees it.
#include "support/ui_driver.h"
#include "support/paths.h"

#include <cstdio>
#include <vector>

namespace e2e {

std::string ScreenshotDir()
{
    std::string base = testpaths::BuildDir();
    if (base.empty())
        base = testpaths::ModuleDir();
    const std::string dir = base + "\\screenshots";
    CreateDirectoryA(dir.c_str(), nullptr);
    return dir;
}

namespace {

struct Capture {
    int width = 0, height = 0;
    std::vector<unsigned char> bits;   // bottom-up rows of 24-bit pixels, 4-byte aligned
};

bool CaptureScreen(const RECT& rc, Capture* out)
{
    const int w = rc.right - rc.left, h = rc.bottom - rc.top;
    if (w <= 0 || h <= 0)
        return false;
    HDC screen = GetDC(nullptr);
    if (!screen)
        return false;
    HDC mem = CreateCompatibleDC(screen);
    HBITMAP bmp = CreateCompatibleBitmap(screen, w, h);
    bool ok = false;
    if (mem && bmp) {
        HGDIOBJ old = SelectObject(mem, bmp);
        ok = BitBlt(mem, 0, 0, w, h, screen, rc.left, rc.top, SRCCOPY | CAPTUREBLT) != 0;
        SelectObject(mem, old);
        if (ok) {
            BITMAPINFO bi = {};
            bi.bmiHeader.biSize = sizeof bi.bmiHeader;
            bi.bmiHeader.biWidth = w;
            bi.bmiHeader.biHeight = h;
            bi.bmiHeader.biPlanes = 1;
            bi.bmiHeader.biBitCount = 24;
            bi.bmiHeader.biCompression = BI_RGB;
            const size_t stride = (static_cast<size_t>(w) * 3 + 3) & ~static_cast<size_t>(3);
            out->bits.assign(stride * h, 0);
            out->width = w;
            out->height = h;
            ok = GetDIBits(mem, bmp, 0, h, out->bits.data(), &bi, DIB_RGB_COLORS) == h;
        }
    }
    if (bmp)
        DeleteObject(bmp);
    if (mem)
        DeleteDC(mem);
    ReleaseDC(nullptr, screen);
    return ok;
}

bool WriteBmp(const std::string& path, const Capture& c)
{
    BITMAPINFOHEADER ih = {};
    ih.biSize = sizeof ih;
    ih.biWidth = c.width;
    ih.biHeight = c.height;
    ih.biPlanes = 1;
    ih.biBitCount = 24;
    ih.biCompression = BI_RGB;
    ih.biSizeImage = static_cast<DWORD>(c.bits.size());
    BITMAPFILEHEADER fh = {};
    fh.bfType = 0x4D42;   // "BM"
    fh.bfOffBits = sizeof fh + sizeof ih;
    fh.bfSize = fh.bfOffBits + ih.biSizeImage;

    FILE* f = std::fopen(path.c_str(), "wb");
    if (!f)
        return false;
    const bool ok = std::fwrite(&fh, sizeof fh, 1, f) == 1 && std::fwrite(&ih, sizeof ih, 1, f) == 1
                    && std::fwrite(c.bits.data(), 1, c.bits.size(), f) == c.bits.size();
    return std::fclose(f) == 0 && ok;
}

}  // namespace

std::string SaveScreenshot(HWND window, const std::string& name)
{
    RECT rc = {};
    if (window) {
        if (!IsWindow(window) || !GetWindowRect(window, &rc))
            return {};
        // Let the program finish what it was asked to do and paint it.
        Sync(window);
        RedrawWindow(window, nullptr, nullptr,
                     RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN | RDW_UPDATENOW);
        Sync(window);
    } else {
        rc.right = GetSystemMetrics(SM_CXSCREEN);
        rc.bottom = GetSystemMetrics(SM_CYSCREEN);
    }

    // The program's drawing reaches the X server a moment after it is done:
    // take shots until two in a row agree (bounded; the last one is kept).
    Capture shot, previous;
    for (int attempt = 0; attempt < 20; ++attempt) {
        if (!CaptureScreen(rc, &shot))
            return {};
        if (attempt > 0 && shot.bits == previous.bits)
            break;
        previous = shot;
        Sleep(50);
    }

    const std::string path = ScreenshotDir() + "\\" + name + ".bmp";
    return WriteBmp(path, shot) ? path : std::string();
}

}  // namespace e2e
