// The pages' templates, the pictures, the icon, the manifest and the version block linked into
// the program, read back as the system reads them.
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "res/resource.h"
#include "support/wizard_texts.h"

namespace {

const WORD kLanguages[] = {
    MAKELANGID(LANG_ARABIC, SUBLANG_ARABIC_SAUDI_ARABIA),  // 1025
    MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US),          // 1033
    MAKELANGID(LANG_HEBREW, SUBLANG_DEFAULT),              // 1037
};

const char kDescription[] = "ZRN 7730 Printer Driver for Windows 2000 and Windows XP Professional";
const COLORREF kMagenta = RGB(255, 0, 255);

HMODULE Self()
{
    return GetModuleHandleA(nullptr);
}

// The bytes of one resource, or an empty vector when it is missing.
std::vector<BYTE> ResourceBytes(LPCSTR type, UINT id, WORD language)
{
    HRSRC found = FindResourceExA(Self(), type, MAKEINTRESOURCEA(id), language);
    if (!found)
        return {};
    const BYTE* data = static_cast<const BYTE*>(LockResource(LoadResource(Self(), found)));
    return std::vector<BYTE>(data, data + SizeofResource(Self(), found));
}

std::vector<BYTE> NeutralResourceBytes(LPCSTR type, UINT id)
{
    return ResourceBytes(type, id, MAKELANGID(LANG_NEUTRAL, SUBLANG_NEUTRAL));
}

std::string Lower(std::string text)
{
    std::transform(text.begin(), text.end(), text.begin(), [](unsigned char c) { return char(tolower(c)); });
    return text;
}

// ---------------------------------------------------------------------------------------------
// Dialog templates (DLGTEMPLATEEX with DLGITEMTEMPLATEEX items)

struct Control {
    DWORD id = 0;
    std::string windowClass;  // lower case; predefined classes by name
    std::string text;
    DWORD style = 0;
    DWORD exStyle = 0;
    short x = 0, y = 0, cx = 0, cy = 0;
};

struct Dialog {
    bool valid = false;
    DWORD style = 0;
    DWORD exStyle = 0;
    short cx = 0, cy = 0;
    std::string caption;
    WORD pointSize = 0;
    std::string face;
    std::vector<Control> controls;
};

class TemplateReader {
public:
    explicit TemplateReader(const std::vector<BYTE>& bytes) : bytes_(bytes) {}

    bool ok() const { return ok_; }

    WORD Word() { return static_cast<WORD>(Take(2)); }
    DWORD Dword() { return Take(4); }
    short Short() { return static_cast<short>(Word()); }
    BYTE Byte() { return static_cast<BYTE>(Take(1)); }

    // A string, or an ordinal (0xFFFF, n): the predefined window classes by name, else "#n".
    std::string StringOrOrdinal()
    {
        if (Peek() == 0xFFFF) {
            Word();
            WORD ordinal = Word();
            switch (ordinal) {
            case 0x80: return "button";
            case 0x81: return "edit";
            case 0x82: return "static";
            case 0x83: return "listbox";
            case 0x84: return "scrollbar";
            case 0x85: return "combobox";
            default: return "#" + std::to_string(ordinal);
            }
        }
        return String();
    }

    std::string String()
    {
        std::string text;
        for (WORD c = Word(); ok_ && c != 0; c = Word())
            text.push_back(c < 0x80 ? static_cast<char>(c) : '?');
        return text;
    }

    void AlignDword() { offset_ = (offset_ + 3) & ~size_t(3); }
    void Skip(size_t count) { offset_ += count; }

private:
    WORD Peek() const
    {
        return offset_ + 2 <= bytes_.size() ? static_cast<WORD>(bytes_[offset_] | bytes_[offset_ + 1] << 8) : 0;
    }

    DWORD Take(size_t size)
    {
        if (offset_ + size > bytes_.size()) {
            ok_ = false;
            offset_ = bytes_.size();
            return 0;
        }
        DWORD value = 0;
        for (size_t i = 0; i < size; ++i)
            value |= DWORD(bytes_[offset_ + i]) << (8 * i);
        offset_ += size;
        return value;
    }

    const std::vector<BYTE>& bytes_;
    size_t offset_ = 0;
    bool ok_ = true;
};

Dialog ParseDialog(const std::vector<BYTE>& bytes)
{
    Dialog dialog;
    TemplateReader in(bytes);
    if (in.Word() != 1 || in.Word() != 0xFFFF)
        return dialog;  // not an extended template
    in.Dword();         // help id
    dialog.exStyle = in.Dword();
    dialog.style = in.Dword();
    WORD count = in.Word();
    in.Short();
    in.Short();
    dialog.cx = in.Short();
    dialog.cy = in.Short();
    in.StringOrOrdinal();  // menu
    in.StringOrOrdinal();  // class
    dialog.caption = in.String();
    if (dialog.style & DS_SETFONT) {
        dialog.pointSize = in.Word();
        in.Word();  // weight
        in.Byte();  // italic
        in.Byte();  // character set
        dialog.face = in.String();
    }
    for (WORD i = 0; i < count && in.ok(); ++i) {
        in.AlignDword();
        Control control;
        in.Dword();  // help id
        control.exStyle = in.Dword();
        control.style = in.Dword();
        control.x = in.Short();
        control.y = in.Short();
        control.cx = in.Short();
        control.cy = in.Short();
        control.id = in.Dword();
        control.windowClass = Lower(in.StringOrOrdinal());
        control.text = in.StringOrOrdinal();
        in.Skip(in.Word());  // creation data
        dialog.controls.push_back(control);
    }
    dialog.valid = in.ok();
    return dialog;
}

bool IsStaticId(DWORD id)
{
    return id == 0xFFFF || id == 0xFFFFFFFF;
}

struct PageExpectation {
    UINT id;
    bool minimizeBox;
    bool taskBarButton;
    std::map<DWORD, std::string> controls;  // every control with an id, and its class
};

const PageExpectation kPages[] = {
    {IDD_WELCOME, true, false,
     {{IDC_TASK_INSTALL, "button"}, {IDC_TASK_COPY, "button"}, {IDC_VIEW_README, "button"},
      {IDOK, "button"}, {IDCANCEL, "button"}}},
    {IDD_PRINTER, false, true,
     {{IDC_NAME, "edit"}, {IDC_PORTS, "syslistview32"}, {IDC_NEW_PORT, "button"}, {IDC_BACK, "button"},
      {IDOK, "button"}, {IDCANCEL, "button"}}},
    {IDD_DESTINATION, true, false,
     {{IDC_DRIVE, "combobox"}, {IDC_TREE, "systreeview32"}, {IDC_DIRECTORY, "edit"}, {IDC_CREATE, "button"},
      {IDC_BACK, "button"}, {IDOK, "button"}, {IDCANCEL, "button"}}},
    {IDD_SUMMARY, true, false,
     {{IDC_HEADING, "static"}, {IDC_SUMMARY_TEXT, "edit"}, {IDC_BACK, "button"}, {IDOK, "button"},
      {IDCANCEL, "button"}}},
};

const Control* FindControl(const Dialog& dialog, DWORD id)
{
    for (const Control& control : dialog.controls)
        if (control.id == id)
            return &control;
    return nullptr;
}

TEST(PageTemplates, EveryLanguageCarriesTheSameFourPages)
{
    for (const PageExpectation& page : kPages) {
        std::vector<BYTE> english = ResourceBytes(RT_DIALOG, page.id, kLanguages[1]);
        ASSERT_FALSE(english.empty()) << "dialog " << page.id;
        for (WORD language : kLanguages)
            EXPECT_EQ(english, ResourceBytes(RT_DIALOG, page.id, language))
                << "dialog " << page.id << ", language " << language;
    }
}

TEST(PageTemplates, FrameCaptionFontAndSize)
{
    for (const PageExpectation& page : kPages) {
        SCOPED_TRACE("dialog " + std::to_string(page.id));
        Dialog dialog = ParseDialog(ResourceBytes(RT_DIALOG, page.id, kLanguages[1]));
        ASSERT_TRUE(dialog.valid);
        EXPECT_EQ(texts::kPageCaption, dialog.caption);
        EXPECT_EQ(288, dialog.cx);
        EXPECT_EQ(172, dialog.cy);
        EXPECT_EQ(8, dialog.pointSize);
        EXPECT_EQ("MS Sans Serif", dialog.face);
        const DWORD frame = DS_MODALFRAME | DS_SETFONT | WS_POPUP | WS_CAPTION | WS_SYSMENU;
        EXPECT_EQ(frame, dialog.style & frame);
        EXPECT_EQ(0u, dialog.style & WS_VISIBLE) << "a page shows itself only when it runs";
        EXPECT_EQ(page.minimizeBox, (dialog.style & WS_MINIMIZEBOX) != 0);
        EXPECT_EQ(page.taskBarButton, (dialog.exStyle & WS_EX_APPWINDOW) != 0);
    }
}

TEST(PageTemplates, ControlsTheCodeUsesHaveTheirIdsAndClasses)
{
    for (const PageExpectation& page : kPages) {
        SCOPED_TRACE("dialog " + std::to_string(page.id));
        Dialog dialog = ParseDialog(ResourceBytes(RT_DIALOG, page.id, kLanguages[1]));
        ASSERT_TRUE(dialog.valid);
        std::map<DWORD, std::string> found;
        for (const Control& control : dialog.controls) {
            if (IsStaticId(control.id)) {
                EXPECT_TRUE(control.windowClass == "static" || control.windowClass == "button")
                    << "unnamed " << control.windowClass;
                continue;
            }
            EXPECT_TRUE(found.emplace(control.id, control.windowClass).second) << "id " << control.id << " twice";
        }
        EXPECT_EQ(page.controls, found);
    }
}

TEST(PageTemplates, ControlsLieInsideThePageAndNextOrFinishIsTheOnlyDefault)
{
    for (const PageExpectation& page : kPages) {
        SCOPED_TRACE("dialog " + std::to_string(page.id));
        Dialog dialog = ParseDialog(ResourceBytes(RT_DIALOG, page.id, kLanguages[1]));
        ASSERT_TRUE(dialog.valid);
        int defaults = 0;
        for (const Control& control : dialog.controls) {
            EXPECT_GE(control.x, 0);
            EXPECT_GE(control.y, 0);
            EXPECT_LE(control.x + control.cx, dialog.cx) << control.text << " (" << control.id << ")";
            EXPECT_LE(control.y + control.cy, dialog.cy) << control.text << " (" << control.id << ")";
            EXPECT_NE(0u, control.style & WS_VISIBLE) << control.text << " (" << control.id << ")";
            if (control.windowClass == "button" && (control.style & BS_TYPEMASK) == BS_DEFPUSHBUTTON) {
                ++defaults;
                EXPECT_EQ(DWORD(IDOK), control.id);
            }
        }
        EXPECT_EQ(1, defaults);
    }
}

TEST(PageTemplates, AccessKeysAreUniqueOnEachPage)
{
    for (const PageExpectation& page : kPages) {
        SCOPED_TRACE("dialog " + std::to_string(page.id));
        Dialog dialog = ParseDialog(ResourceBytes(RT_DIALOG, page.id, kLanguages[1]));
        ASSERT_TRUE(dialog.valid);
        std::set<char> keys;
        for (const Control& control : dialog.controls) {
            size_t amp = control.text.find('&');
            if (amp != std::string::npos && amp + 1 < control.text.size()) {
                EXPECT_TRUE(keys.insert(char(tolower(control.text[amp + 1]))).second)
                    << "access key of \"" << control.text << "\" used twice";
            }
        }
    }
}

TEST(PageTemplates, ListAndTreeStyles)
{
    Dialog printer = ParseDialog(ResourceBytes(RT_DIALOG, IDD_PRINTER, kLanguages[1]));
    const Control* ports = FindControl(printer, IDC_PORTS);
    ASSERT_NE(nullptr, ports);
    const DWORD list = LVS_REPORT | LVS_SINGLESEL | LVS_SHOWSELALWAYS | LVS_SORTASCENDING | LVS_NOSORTHEADER |
                       WS_BORDER | WS_TABSTOP;
    EXPECT_EQ(list, ports->style & list);

    Dialog destination = ParseDialog(ResourceBytes(RT_DIALOG, IDD_DESTINATION, kLanguages[1]));
    const Control* tree = FindControl(destination, IDC_TREE);
    ASSERT_NE(nullptr, tree);
    const DWORD treeStyle = TVS_HASBUTTONS | TVS_HASLINES | TVS_SHOWSELALWAYS | TVS_DISABLEDRAGDROP | WS_TABSTOP;
    EXPECT_EQ(treeStyle, tree->style & treeStyle);
    EXPECT_NE(0u, tree->exStyle & WS_EX_CLIENTEDGE);
    const Control* drive = FindControl(destination, IDC_DRIVE);
    ASSERT_NE(nullptr, drive);
    EXPECT_EQ(DWORD(CBS_DROPDOWNLIST), drive->style & 3);

    Dialog summary = ParseDialog(ResourceBytes(RT_DIALOG, IDD_SUMMARY, kLanguages[1]));
    const Control* text = FindControl(summary, IDC_SUMMARY_TEXT);
    ASSERT_NE(nullptr, text);
    EXPECT_EQ(DWORD(ES_MULTILINE | ES_READONLY), text->style & (ES_MULTILINE | ES_READONLY));
    EXPECT_EQ(0u, text->style & WS_BORDER);
}

// ---------------------------------------------------------------------------------------------
// Bitmaps

// A packed DIB resource: header, colour table, bottom-up rows.
class Dib {
public:
    explicit Dib(std::vector<BYTE> bytes) : bytes_(std::move(bytes))
    {
        if (bytes_.size() >= sizeof(BITMAPINFOHEADER))
            memcpy(&header_, bytes_.data(), sizeof header_);
    }

    const BITMAPINFOHEADER& header() const { return header_; }

    size_t Colours() const
    {
        if (header_.biBitCount > 8)
            return 0;
        return header_.biClrUsed ? header_.biClrUsed : size_t(1) << header_.biBitCount;
    }

    COLORREF PaletteEntry(size_t index) const
    {
        const BYTE* q = bytes_.data() + header_.biSize + 4 * index;
        return RGB(q[2], q[1], q[0]);
    }

    bool Complete() const
    {
        size_t stride = ((header_.biWidth * header_.biBitCount + 31) / 32) * 4;
        return header_.biSize >= sizeof header_ &&
               bytes_.size() >= header_.biSize + 4 * Colours() + stride * std::abs(header_.biHeight);
    }

    // Colour at (x, y), y counted from the top.
    COLORREF Pixel(int x, int y) const
    {
        size_t stride = ((header_.biWidth * header_.biBitCount + 31) / 32) * 4;
        const BYTE* row = bytes_.data() + header_.biSize + 4 * Colours() + stride * (header_.biHeight - 1 - y);
        if (header_.biBitCount == 24)
            return RGB(row[3 * x + 2], row[3 * x + 1], row[3 * x]);
        BYTE pair = row[x / 2];
        return PaletteEntry(x % 2 ? pair & 0x0F : pair >> 4);
    }

private:
    std::vector<BYTE> bytes_;
    BITMAPINFOHEADER header_ = {};
};

int OpaquePixels(const Dib& dib, int left, int width)
{
    int count = 0;
    for (int y = 0; y < dib.header().biHeight; ++y)
        for (int x = left; x < left + width; ++x)
            count += dib.Pixel(x, y) != kMagenta;
    return count;
}

TEST(Pictures, PagePictureIs82By30TrueColourOnMagenta)
{
    Dib picture(NeutralResourceBytes(RT_BITMAP, IDB_PICTURE));
    ASSERT_TRUE(picture.Complete());
    EXPECT_EQ(82, picture.header().biWidth);
    EXPECT_EQ(30, picture.header().biHeight);
    EXPECT_EQ(24, picture.header().biBitCount);
    EXPECT_EQ(DWORD(BI_RGB), picture.header().biCompression);
    for (int x : {0, 81})
        for (int y : {0, 29})
            EXPECT_EQ(kMagenta, picture.Pixel(x, y)) << x << "," << y;
    EXPECT_GT(OpaquePixels(picture, 0, 82), 82 * 30 / 3);

    HBITMAP loaded = static_cast<HBITMAP>(
        LoadImageA(Self(), MAKEINTRESOURCEA(IDB_PICTURE), IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION));
    ASSERT_NE(nullptr, loaded);
    BITMAP info = {};
    GetObjectA(loaded, sizeof info, &info);
    EXPECT_EQ(82, info.bmWidth);
    EXPECT_EQ(30, info.bmHeight);
    EXPECT_EQ(24, info.bmBitsPixel);
    DeleteObject(loaded);
}

TEST(Pictures, FolderStripHoldsFourDistinct16ColourImagesOnMagenta)
{
    Dib folders(NeutralResourceBytes(RT_BITMAP, IDB_FOLDERS));
    ASSERT_TRUE(folders.Complete());
    EXPECT_EQ(64, folders.header().biWidth);
    EXPECT_EQ(16, folders.header().biHeight);
    EXPECT_EQ(4, folders.header().biBitCount);
    ASSERT_EQ(16u, folders.Colours());

    bool magentaInPalette = false;
    for (size_t i = 0; i < folders.Colours(); ++i)
        magentaInPalette |= folders.PaletteEntry(i) == kMagenta;
    EXPECT_TRUE(magentaInPalette) << "the image list masks exactly RGB(255, 0, 255)";

    std::vector<std::vector<COLORREF>> images(4);
    for (int image = 0; image < 4; ++image) {
        SCOPED_TRACE("image " + std::to_string(image));
        EXPECT_EQ(kMagenta, folders.Pixel(16 * image, 0));
        EXPECT_EQ(kMagenta, folders.Pixel(16 * image + 15, 15));
        EXPECT_GT(OpaquePixels(folders, 16 * image, 16), 64);
        for (int y = 0; y < 16; ++y)
            for (int x = 0; x < 16; ++x)
                images[image].push_back(folders.Pixel(16 * image + x, y));
    }
    EXPECT_NE(images[0], images[1]) << "closed folder and its highlighted form";
    EXPECT_NE(images[2], images[3]) << "open folder and its highlighted form";
    EXPECT_NE(images[0], images[2]) << "closed and open folder";

    HIMAGELIST list = ImageList_LoadImageA(Self(), MAKEINTRESOURCEA(IDB_FOLDERS), 16, 10, kMagenta, IMAGE_BITMAP,
                                           LR_CREATEDIBSECTION);
    ASSERT_NE(nullptr, list);
    EXPECT_EQ(4, ImageList_GetImageCount(list));
    ImageList_Destroy(list);
}

// ---------------------------------------------------------------------------------------------
// Icon

#pragma pack(push, 2)
struct GroupIconEntry {
    BYTE width, height, colours, reserved;
    WORD planes, bitCount;
    DWORD bytes;
    WORD id;
};
#pragma pack(pop)

TEST(ApplicationIcon, GroupHolds32And16PixelImagesThatLoad)
{
    std::vector<BYTE> group = NeutralResourceBytes(RT_GROUP_ICON, IDI_APP);
    ASSERT_GE(group.size(), 6u);
    WORD count = WORD(group[4] | group[5] << 8);
    ASSERT_EQ(group.size(), 6 + count * sizeof(GroupIconEntry));
    std::set<int> sizes;
    for (WORD i = 0; i < count; ++i) {
        GroupIconEntry entry;
        memcpy(&entry, group.data() + 6 + i * sizeof entry, sizeof entry);
        EXPECT_EQ(entry.width, entry.height);
        sizes.insert(entry.width);
    }
    EXPECT_EQ((std::set<int>{16, 32}), sizes);

    for (int size : {32, 16}) {
        SCOPED_TRACE("size " + std::to_string(size));
        // The system's choice for this size is an image drawn at this size, not a scaled one.
        int id = LookupIconIdFromDirectoryEx(group.data(), TRUE, size, size, LR_DEFAULTCOLOR);
        ASSERT_NE(0, id);
        Dib image(NeutralResourceBytes(RT_ICON, id));
        EXPECT_EQ(size, image.header().biWidth);
        EXPECT_EQ(2 * size, image.header().biHeight);

        HICON icon = static_cast<HICON>(LoadImageA(Self(), MAKEINTRESOURCEA(IDI_APP), IMAGE_ICON, size, size, 0));
        ASSERT_NE(nullptr, icon);
        ICONINFO info = {};
        ASSERT_TRUE(GetIconInfo(icon, &info));
        BITMAP mask = {};
        GetObjectA(info.hbmMask, sizeof mask, &mask);
        EXPECT_EQ(size, mask.bmWidth);
        DeleteObject(info.hbmMask);
        if (info.hbmColor)
            DeleteObject(info.hbmColor);
        DestroyIcon(icon);
    }
}

// ---------------------------------------------------------------------------------------------
// Manifest

// The value of attribute `name` of the element that starts at `element`.
std::string Attribute(const std::string& xml, size_t element, const std::string& name)
{
    size_t close = xml.find('>', element);
    for (size_t at = xml.find(name + "=\"", element); at < close; at = xml.find(name + "=\"", at + 1)) {
        if (isspace(static_cast<unsigned char>(xml[at - 1]))) {
            size_t start = at + name.size() + 2;
            return xml.substr(start, xml.find('"', start) - start);
        }
    }
    return "<missing>";
}

TEST(Manifest, RequestsCommonControls6ForTheProgramsArchitecture)
{
    std::vector<BYTE> bytes = NeutralResourceBytes(RT_MANIFEST, 1);
    ASSERT_FALSE(bytes.empty());
    std::string xml(bytes.begin(), bytes.end());
    size_t dependency = xml.find("<dependentAssembly>");
    ASSERT_NE(std::string::npos, dependency);
    size_t identity = xml.find("<assemblyIdentity", dependency);
    ASSERT_NE(std::string::npos, identity);
    EXPECT_EQ("win32", Attribute(xml, identity, "type"));
    EXPECT_EQ("Microsoft.Windows.Common-Controls", Attribute(xml, identity, "name"));
    EXPECT_EQ("6.0.0.0", Attribute(xml, identity, "version"));
#ifdef _WIN64
    EXPECT_EQ("amd64", Attribute(xml, identity, "processorArchitecture"));
#else
    EXPECT_EQ("X86", Attribute(xml, identity, "processorArchitecture"));
#endif
    EXPECT_EQ("6595b64144ccf1df", Attribute(xml, identity, "publicKeyToken"));
    EXPECT_EQ("*", Attribute(xml, identity, "language"));
}

TEST(Manifest, ProgramRunsWithSideBySideCommonControls6)
{
    // The loader binds the program to the side-by-side assembly that the manifest names; its
    // version number shows in the assembly's directory name.
    HMODULE comctl = GetModuleHandleA("comctl32.dll");
    ASSERT_NE(nullptr, comctl);
    char path[MAX_PATH] = {};
    ASSERT_NE(0u, GetModuleFileNameA(comctl, path, sizeof path));
    EXPECT_NE(std::string::npos, Lower(path).find("common-controls_6595b64144ccf1df_6.0.")) << path;
}

// ---------------------------------------------------------------------------------------------
// Version block

std::wstring Widen(const std::string& text)
{
    return std::wstring(text.begin(), text.end());
}

// A value of a version block, read the wide way that works on the raw resource bytes.
std::string VersionString(std::vector<BYTE> block, const std::string& path)
{
    void* value = nullptr;
    UINT length = 0;
    if (!VerQueryValueW(block.data(), Widen(path).c_str(), &value, &length) || !value)
        return "<missing>";
    const WCHAR* text = static_cast<const WCHAR*>(value);
    std::string narrow;
    for (UINT i = 0; i < length && text[i]; ++i)
        narrow.push_back(text[i] < 0x80 ? char(text[i]) : '?');
    return narrow;
}

const std::map<std::string, std::string> kVersionStrings = {
    {"FileVersion", "1.1"},          {"ProductVersion", "1.1"},
    {"FileDescription", kDescription}, {"ProductName", kDescription},
    {"InternalName", "setup.exe"},   {"OriginalFilename", "setup.exe"},
};

TEST(VersionBlock, EachLanguageHasItsOwnStringsAndTranslation)
{
    for (WORD language : kLanguages) {
        SCOPED_TRACE("language " + std::to_string(language));
        std::vector<BYTE> block = ResourceBytes(RT_VERSION, VS_VERSION_INFO, language);
        ASSERT_FALSE(block.empty());
        block.resize(block.size() * 3);  // room that the version functions may use behind the block

        void* value = nullptr;
        UINT length = 0;
        ASSERT_TRUE(VerQueryValueW(block.data(), L"\\VarFileInfo\\Translation", &value, &length));
        ASSERT_EQ(4u, length);
        const WORD* translation = static_cast<const WORD*>(value);
        EXPECT_EQ(language, translation[0]);
        EXPECT_EQ(1200, translation[1]);

        char name[9];
        snprintf(name, sizeof name, "%04x04b0", language);
        for (const auto& expected : kVersionStrings)
            EXPECT_EQ(expected.second, VersionString(block, std::string("\\StringFileInfo\\") + name + "\\" +
                                                                expected.first))
                << expected.first;
    }
}

TEST(VersionBlock, FileReportsVersion1000AndItsDescription)
{
    char path[MAX_PATH] = {};
    ASSERT_NE(0u, GetModuleFileNameA(nullptr, path, sizeof path));
    DWORD handle = 0;
    DWORD size = GetFileVersionInfoSizeA(path, &handle);
    ASSERT_NE(0u, size);
    std::vector<BYTE> info(size);
    ASSERT_TRUE(GetFileVersionInfoA(path, 0, size, info.data()));

    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT length = 0;
    ASSERT_TRUE(VerQueryValueA(info.data(), "\\", reinterpret_cast<void**>(&fixed), &length));
    EXPECT_EQ(0xFEEF04BDu, fixed->dwSignature);
    EXPECT_EQ(0x00010000u, fixed->dwFileVersionMS);
    EXPECT_EQ(0u, fixed->dwFileVersionLS);
    EXPECT_EQ(0x00010000u, fixed->dwProductVersionMS);
    EXPECT_EQ(0u, fixed->dwProductVersionLS);
    EXPECT_EQ(DWORD(VFT_APP), fixed->dwFileType);

    WORD* translation = nullptr;
    ASSERT_TRUE(VerQueryValueA(info.data(), "\\VarFileInfo\\Translation", reinterpret_cast<void**>(&translation),
                               &length));
    char query[80];
    snprintf(query, sizeof query, "\\StringFileInfo\\%04x%04x\\FileDescription", translation[0], translation[1]);
    char* description = nullptr;
    ASSERT_TRUE(VerQueryValueA(info.data(), query, reinterpret_cast<void**>(&description), &length));
    EXPECT_STREQ(kDescription, description);
}

}  // namespace
