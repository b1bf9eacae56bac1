#include "pages/controls/masked_bitmap.h"

#include "framework/dialog.h"
#include "framework/strings.h"

namespace {

// A memory device context compatible with another, taking over its mapping mode; it
// gives back the bitmap it held at first and is deleted when it goes out of scope.
class MemoryDC {
public:
    explicit MemoryDC(HDC like) : dc_(CreateCompatibleDC(like))
    {
        if (dc_)
            SetMapMode(dc_, GetMapMode(like));
    }
    ~MemoryDC()
    {
        if (!dc_)
            return;
        if (selected_)
            SelectObject(dc_, original_);
        DeleteDC(dc_);
    }
    MemoryDC(const MemoryDC&) = delete;
    MemoryDC& operator=(const MemoryDC&) = delete;

    HDC get() const { return dc_; }
    bool Select(HBITMAP bitmap)
    {
        if (!dc_ || !bitmap)
            return false;
        HGDIOBJ previous = SelectObject(dc_, bitmap);
        if (!previous || previous == HGDI_ERROR)
            return false;
        if (!selected_) {
            original_ = previous;
            selected_ = true;
        }
        return true;
    }

private:
    HDC dc_;
    HGDIOBJ original_ = nullptr;
    bool selected_ = false;
};

// A bitmap made for one drawing, deleted when it goes out of scope.
class TempBitmap {
public:
    explicit TempBitmap(HBITMAP b) : b_(b) {}
    ~TempBitmap()
    {
        if (b_)
            DeleteObject(b_);
    }
    TempBitmap(const TempBitmap&) = delete;
    TempBitmap& operator=(const TempBitmap&) = delete;
    HBITMAP get() const { return b_; }

private:
    HBITMAP b_;
};

}  // namespace

MaskedBitmap::~MaskedBitmap()
{
    DeleteObject();
}

bool MaskedBitmap::LoadBitmap(UINT id)
{
    Attach(static_cast<HBITMAP>(
        LoadImageA(framework::ResourceModule(), MAKEINTRESOURCEA(id), IMAGE_BITMAP, 0, 0, 0)));
    return bitmap_ != nullptr;
}

void MaskedBitmap::Attach(HBITMAP bitmap)
{
    if (bitmap == bitmap_)
        return;
    DeleteObject();
    bitmap_ = bitmap;
}

HBITMAP MaskedBitmap::Detach()
{
    HBITMAP b = bitmap_;
    bitmap_ = nullptr;
    return b;
}

void MaskedBitmap::DeleteObject()
{
    if (bitmap_) {
        ::DeleteObject(bitmap_);
        bitmap_ = nullptr;
    }
}

SIZE MaskedBitmap::GetSize() const
{
    SIZE size = {0, 0};
    BITMAP info = {};
    if (bitmap_ && GetObjectA(bitmap_, sizeof info, &info)) {
        size.cx = info.bmWidth;
        size.cy = info.bmHeight < 0 ? -info.bmHeight : info.bmHeight;
    }
    return size;
}

void MaskedBitmap::Draw(HDC dc, int x, int y)
{
    SIZE size = GetSize();
    if (!dc || size.cx <= 0 || size.cy <= 0)
        return;
    MemoryDC image(dc);
    if (!image.Select(bitmap_))
        return;
    BitBlt(dc, x, y, size.cx, size.cy, image.get(), 0, 0, SRCCOPY);
}

void MaskedBitmap::DrawTransparent(HDC dc, int x, int y, COLORREF transparent)
{
    const DWORD kDestAndNotSource = 0x220326;  // DSna

    SIZE size = GetSize();
    const int w = size.cx, h = size.cy;
    if (!dc || w <= 0 || h <= 0)
        return;

    // Declared first so that the contexts, which hold them, are deleted before them.
    TempBitmap maskBits(CreateBitmap(w, h, 1, 1, nullptr));
    MemoryDC image(dc);
    if (!image.Select(bitmap_))
        return;
    TempBitmap cutoutBits(CreateCompatibleBitmap(image.get(), w, h));
    TempBitmap backBits(CreateCompatibleBitmap(image.get(), w, h));

    // The mask: white where the picture has the transparent colour, black elsewhere.
    MemoryDC mask(dc);
    if (!mask.Select(maskBits.get()))
        return;
    SetBkColor(image.get(), transparent);
    BitBlt(mask.get(), 0, 0, w, h, image.get(), 0, 0, SRCCOPY);

    // The picture with its transparent pixels turned black.
    MemoryDC cutout(image.get());
    if (!cutout.Select(cutoutBits.get()))
        return;
    BitBlt(cutout.get(), 0, 0, w, h, image.get(), 0, 0, SRCCOPY);
    BitBlt(cutout.get(), 0, 0, w, h, mask.get(), 0, 0, kDestAndNotSource);

    // The target's area with a black hole where the picture is opaque, then the picture in it.
    MemoryDC back(image.get());
    if (!back.Select(backBits.get()))
        return;
    BitBlt(back.get(), 0, 0, w, h, dc, x, y, SRCCOPY);
    BitBlt(back.get(), 0, 0, w, h, mask.get(), 0, 0, SRCAND);
    BitBlt(back.get(), 0, 0, w, h, cutout.get(), 0, 0, SRCINVERT);

    BitBlt(dc, x, y, w, h, back.get(), 0, 0, SRCCOPY);
}

void PaintPagePicture(HWND page, MaskedBitmap& picture)
{
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(page, &ps);
    RECT rc;
    GetClientRect(page, &rc);
    SIZE size = picture.GetSize();
    picture.DrawTransparent(dc, rc.right - size.cx - 5, rc.top + 12, kPictureTransparent);
    EndPaint(page, &ps);
}

void PaintPage(HWND page, MaskedBitmap& picture, HICON icon)
{
    if (IsIconic(page))
        framework::PaintMinimizedIcon(page, icon);
    else
        PaintPagePicture(page, picture);
}
