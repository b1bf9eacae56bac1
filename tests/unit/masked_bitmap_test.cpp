// The page picture drawn plainly and with a transparent colour, on memory device contexts.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <vector>

#include "pages/controls/masked_bitmap.h"
#include "res/resource.h"

namespace {

const COLORREF kMagenta = RGB(255, 0, 255);
const uint32_t kMagentaPixel = 0x00FF00FF;  // 32-bit DIB pixel: blue, green, red, unused

// A 32-bit top-down DIB section whose pixels the test can read and write.
struct Dib {
    HBITMAP bitmap = nullptr;
    uint32_t* bits = nullptr;
    int w = 0, h = 0;

    Dib(int width, int height) : w(width), h(height)
    {
        BITMAPINFO info = {};
        info.bmiHeader.biSize = sizeof info.bmiHeader;
        info.bmiHeader.biWidth = w;
        info.bmiHeader.biHeight = -h;
        info.bmiHeader.biPlanes = 1;
        info.bmiHeader.biBitCount = 32;
        info.bmiHeader.biCompression = BI_RGB;
        void* p = nullptr;
        bitmap = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &p, nullptr, 0);
        bits = static_cast<uint32_t*>(p);
    }
    ~Dib()
    {
        if (bitmap)
            DeleteObject(bitmap);
    }
    uint32_t& at(int x, int y) { return bits[y * w + x]; }
    std::vector<uint32_t> Pixels() const
    {
        GdiFlush();
        return std::vector<uint32_t>(bits, bits + w * h);
    }
};

// A memory device context with a target DIB selected, for the picture to be drawn on.
struct Target {
    Dib dib;
    HDC dc;
    HGDIOBJ old;

    Target(int w, int h) : dib(w, h), dc(CreateCompatibleDC(nullptr)), old(SelectObject(dc, dib.bitmap))
    {
        // A background that no picture pixel below matches.
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x)
                dib.at(x, y) = 0x00102030u + static_cast<uint32_t>(x * 7 + y * 131);
    }
    ~Target()
    {
        SelectObject(dc, old);
        DeleteDC(dc);
    }
};

// A picture that MaskedBitmap will own, filled by fill(x, y).
template <typename Fill>
HBITMAP MakePicture(int w, int h, Fill fill)
{
    Dib dib(w, h);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            dib.at(x, y) = fill(x, y);
    GdiFlush();
    HBITMAP b = dib.bitmap;
    dib.bitmap = nullptr;
    return b;
}

const int kW = 40, kH = 30;        // target
const int kPw = 17, kPh = 9;       // picture
const int kX = 11, kY = 13;        // where it is drawn

uint32_t Opaque(int x, int y)
{
    return 0x00400000u + static_cast<uint32_t>(x * 4099 + y * 257);  // never magenta
}

TEST(MaskedBitmap, DrawCopiesThePictureAtItsSizeAndLeavesTheRest)
{
    Target target(kW, kH);
    std::vector<uint32_t> before = target.dib.Pixels();
    MaskedBitmap picture;
    picture.Attach(MakePicture(kPw, kPh, Opaque));
    ASSERT_EQ(kPw, picture.GetSize().cx);
    ASSERT_EQ(kPh, picture.GetSize().cy);

    picture.Draw(target.dc, kX, kY);

    std::vector<uint32_t> after = target.dib.Pixels();
    for (int y = 0; y < kH; ++y)
        for (int x = 0; x < kW; ++x) {
            bool inside = x >= kX && x < kX + kPw && y >= kY && y < kY + kPh;
            uint32_t expected = inside ? Opaque(x - kX, y - kY) : before[y * kW + x];
            ASSERT_EQ(expected, after[y * kW + x] & 0x00FFFFFF) << x << "," << y;
        }
}

TEST(MaskedBitmap, TransparentDrawingOfAPictureWithoutTheColourEqualsDraw)
{
    Target plain(kW, kH), masked(kW, kH);
    MaskedBitmap picture;
    picture.Attach(MakePicture(kPw, kPh, Opaque));

    picture.Draw(plain.dc, kX, kY);
    picture.DrawTransparent(masked.dc, kX, kY, kMagenta);

    EXPECT_EQ(plain.dib.Pixels(), masked.dib.Pixels());
}

TEST(MaskedBitmap, APictureAllOfTheTransparentColourLeavesTheTargetUnchanged)
{
    Target target(kW, kH);
    std::vector<uint32_t> before = target.dib.Pixels();
    MaskedBitmap picture;
    picture.Attach(MakePicture(kPw, kPh, [](int, int) { return kMagentaPixel; }));

    picture.DrawTransparent(target.dc, kX, kY, kMagenta);

    EXPECT_EQ(before, target.dib.Pixels());
}

TEST(MaskedBitmap, OnlyThePixelsOfTheTransparentColourShowTheTarget)
{
    // A checkerboard with stripes, including colours one step away from magenta.
    auto fill = [](int x, int y) -> uint32_t {
        if ((x + y) % 3 == 0)
            return kMagentaPixel;
        if (x % 5 == 1)
            return 0x00FF01FF;  // green 1: not the transparent colour
        if (y % 4 == 2)
            return 0x00FE00FF;
        return Opaque(x, y);
    };
    Target target(kW, kH);
    std::vector<uint32_t> before = target.dib.Pixels();
    MaskedBitmap picture;
    picture.Attach(MakePicture(kPw, kPh, fill));

    picture.DrawTransparent(target.dc, kX, kY, kMagenta);

    std::vector<uint32_t> after = target.dib.Pixels();
    int kept = 0;
    for (int y = 0; y < kH; ++y)
        for (int x = 0; x < kW; ++x) {
            bool inside = x >= kX && x < kX + kPw && y >= kY && y < kY + kPh;
            uint32_t expected = before[y * kW + x];
            if (inside && fill(x - kX, y - kY) != kMagentaPixel)
                expected = fill(x - kX, y - kY);
            else if (inside)
                ++kept;
            ASSERT_EQ(expected, after[y * kW + x] & 0x00FFFFFF) << x << "," << y;
        }
    EXPECT_GT(kept, 0);
}

TEST(MaskedBitmap, DrawsInTheTargetsMappingMode)
{
    // With the y axis turned upwards the picture lands at the same logical place
    // as in the default mode, and transparent drawing still matches plain drawing.
    Target plain(kW, kH), masked(kW, kH);
    for (Target* t : {&plain, &masked}) {
        SetMapMode(t->dc, MM_ANISOTROPIC);
        SetWindowExtEx(t->dc, 1, 1, nullptr);
        SetViewportExtEx(t->dc, 1, 1, nullptr);
    }
    MaskedBitmap picture;
    picture.Attach(MakePicture(kPw, kPh, Opaque));
    picture.Draw(plain.dc, kX, kY);
    picture.DrawTransparent(masked.dc, kX, kY, kMagenta);
    EXPECT_EQ(plain.dib.Pixels(), masked.dib.Pixels());
}

TEST(MaskedBitmap, GivesThePictureBackAndReleasesWhatItMakes)
{
    Target target(kW, kH);
    MaskedBitmap picture;
    picture.Attach(MakePicture(kPw, kPh, [](int x, int) { return x % 2 ? kMagentaPixel : Opaque(x, 0); }));
    picture.Draw(target.dc, kX, kY);
    picture.DrawTransparent(target.dc, kX, kY, kMagenta);

    // A bitmap can be selected into one context at a time: the drawing contexts must have
    // let go of the picture.
    HDC other = CreateCompatibleDC(nullptr);
    HGDIOBJ old = SelectObject(other, picture.GetSafeHandle());
    EXPECT_NE(nullptr, old);
    SelectObject(other, old);
    DeleteDC(other);

    // Where the system counts GDI objects, repeated drawing leaves the count unchanged.
    DWORD before = GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS);
    for (int i = 0; i < 50; ++i)
        picture.DrawTransparent(target.dc, kX, kY, kMagenta);
    EXPECT_EQ(before, GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS));
}

TEST(MaskedBitmap, LoadsThePagePictureAndReplacesWhatItHeld)
{
    MaskedBitmap picture;
    EXPECT_EQ(0, picture.GetSize().cx);
    Target target(kW, kH);
    std::vector<uint32_t> before = target.dib.Pixels();
    picture.DrawTransparent(target.dc, 0, 0, kMagenta);  // nothing held: nothing drawn
    EXPECT_EQ(before, target.dib.Pixels());

    picture.Attach(MakePicture(3, 3, Opaque));
    ASSERT_TRUE(picture.LoadBitmap(IDB_PICTURE));
    EXPECT_EQ(82, picture.GetSize().cx);
    EXPECT_EQ(30, picture.GetSize().cy);
    ASSERT_TRUE(picture.LoadBitmap(IDB_PICTURE));
    EXPECT_EQ(82, picture.GetSize().cx);
}

}  // namespace
