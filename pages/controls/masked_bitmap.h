// The picture of every wizard page: a bitmap that draws itself plainly or with one
// colour left transparent.
#pragma once
#include "platform/win.h"

class MaskedBitmap {
public:
    MaskedBitmap() = default;
    virtual ~MaskedBitmap();
    MaskedBitmap(const MaskedBitmap&) = delete;
    MaskedBitmap& operator=(const MaskedBitmap&) = delete;

    // Releases the bitmap held and loads a bitmap of the program's resources.
    bool LoadBitmap(UINT id);
    // Releases the bitmap held and takes ownership of another (may be null).
    void Attach(HBITMAP bitmap);
    HBITMAP Detach();
    void DeleteObject();
    HBITMAP GetSafeHandle() const { return bitmap_; }
    // Width and height in pixels; 0 x 0 when nothing is held.
    SIZE GetSize() const;

    // Copies the whole bitmap, at its own size, to (x, y) of the device context.
    virtual void Draw(HDC dc, int x, int y);
    // As Draw, but leaves the target untouched wherever the bitmap has exactly the
    // transparent colour. Composed off screen: the target is read once and written once.
    virtual void DrawTransparent(HDC dc, int x, int y, COLORREF transparent);

private:
    HBITMAP bitmap_ = nullptr;
};

// The colour that the pages' picture leaves transparent: magenta.
constexpr COLORREF kPictureTransparent = RGB(255, 0, 255);

// Paints a page (BeginPaint to EndPaint) with its picture in the top right corner of the
// client area, 5 pixels in from the right and 12 down from the top.
void PaintPagePicture(HWND page, MaskedBitmap& picture);

// Paints a page: its icon centred while it is minimised, otherwise its picture.
void PaintPage(HWND page, MaskedBitmap& picture, HICON icon);
