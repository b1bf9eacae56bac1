// The directory tree of the destination page: one drive at a time, its root as the single
// top item, the directories below read lazily — an item's sub-directories when it is opened,
// always one level further, so that the control shows an expand button wherever there is
// something below.
#pragma once
#include <string>

#include "framework/controls.h"

class CDirectoryTree : public framework::TreeView {
public:
    // Indices into the page's folder image list.
    static constexpr int kClosedFolder = 0;
    static constexpr int kClosedFolderSelected = 1;
    static constexpr int kOpenFolder = 2;
    static constexpr int kOpenFolderSelected = 3;

    CDirectoryTree() = default;
    ~CDirectoryTree() override = default;

    // Shows the root of drive m_cDrive (drive C while m_cDrive is 'a', the first time, or
    // when that root cannot be made current) and its directories two levels deep, opened
    // and selected. Makes that root the process's current directory. False, after a
    // message, when the current directory cannot be read.
    bool FillDrive();
    // Makes the directory that was current before the first FillDrive current again, so
    // that the process holds no directory of a drive that the user only browsed.
    void RestoreCurrentDirectory();

    // Reads the sub-directories of path into parent, sorted by the control, replacing
    // what was there. With expand, reads one more level below each and opens parent.
    void AddChildren(const std::string& path, HTREEITEM parent, bool expand);

    // Removes every item below item.
    void DeleteChildren(HTREEITEM item);

    // The full path of an item, such as C:\Tools\Drivers.
    std::string GetItemPath(HTREEITEM item) const;
    void SetPathFromItem(HTREEITEM item);

    // The selection-changed notification, passed on by the page: m_strPath follows the
    // selected item.
    void UpdatePathFromSelection(NMHDR* nm, LRESULT* result);

    // Selects the directory of path, component by component, on the drive shown (the drive
    // letter written in path plays no part). Components are matched without regard to case
    // at the beginning of the names: "Prog" reaches "Program Files" when no "Prog" exists.
    // Where a component matches nothing, the deepest item reached stays selected. The path
    // is taken by value: each selection notifies the page, which may overwrite the string
    // it passed (its own directory) while the walk goes on.
    void SelectPath(std::string path);
    // Selects the first component of rest below parent and goes on below it; returns the
    // child reached, or null. rest is read before the first selection and never after.
    HTREEITEM SelectSubPath(const char* rest, HTREEITEM parent);

    HTREEITEM GetRootItem() const { return GetRoot(); }

    // Double click: the selected item gets the open-folder images for good, its children
    // are read again and it opens; the control's own toggling is suppressed.
    void OnDblclk(NMHDR* nm, LRESULT* result);
    // An item is about to open or close: its children are read again first.
    void OnItemexpanding(NMHDR* nm, LRESULT* result);

    bool OnReflectedNotify(NMHDR* nm, LRESULT& result) override;

    std::string m_strPath;  // path of the item last made current
    char m_cDrive = 'a';    // drive shown; 'a' until a drive has been chosen

private:
    void OpenItem(HTREEITEM item);
    void SetItemImages(HTREEITEM item, int image, int selectedImage) const;
    // A folder item under parent (TVI_ROOT for the tree's root), with the open or closed folder.
    HTREEITEM InsertChild(HTREEITEM parent, const std::string& name, HTREEITEM after, bool open = false) const;
    void Fill(const std::string& path, HTREEITEM parent, bool expand);

    std::string m_startDirectory;  // current before the first fill; "" once restored

    class RedrawHold {
    public:
        explicit RedrawHold(CDirectoryTree& tree);
        ~RedrawHold();
        RedrawHold(const RedrawHold&) = delete;
        RedrawHold& operator=(const RedrawHold&) = delete;

    private:
        CDirectoryTree& tree_;
    };

    int redrawHeld_ = 0;
};
