// Times the directory tree's FillDrive on a drive root against the two-level enumeration
// that it performs, and against inserting the same items the plain way (in the order the
// file system lists them, each sorted in by the control, with the control redrawing).
//
//   filldrive_bench <drive letter> [repeats]
//
// The page is shown on the drive; the timings are printed, then the page closes.
#include <windows.h>
#include <commctrl.h>

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "clock.h"
#include "support/paths.h"
#include "pages/destination_page.h"

namespace {

struct Figures {
    std::vector<double> runs;
    void Add(double ms) { runs.push_back(ms); }
    double Min() const { return *std::min_element(runs.begin(), runs.end()); }
    double Median() const
    {
        std::vector<double> s = runs;
        std::sort(s.begin(), s.end());
        return s[s.size() / 2];
    }
};

HTREEITEM Insert(HWND tree, HTREEITEM parent, const std::string& text)
{
    TVINSERTSTRUCTA ins = {};
    ins.hParent = parent;
    ins.hInsertAfter = parent == TVI_ROOT ? TVI_LAST : TVI_SORT;
    ins.item.mask = TVIF_TEXT | TVIF_IMAGE | TVIF_SELECTEDIMAGE;
    ins.item.pszText = const_cast<char*>(text.c_str());
    return reinterpret_cast<HTREEITEM>(SendMessageA(tree, TVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&ins)));
}

class BenchPage : public DestinationPage {
public:
    BenchPage(char letter, int repeats) : letter_(letter), repeats_(repeats) { m_tree.m_cDrive = letter; }

protected:
    BOOL OnInitDialog() override
    {
        DestinationPage::OnInitDialog();
        std::string root = std::string(1, letter_) + ":\\";
        HWND tree = m_tree.hwnd();

        Figures enumeration, fill, plain, select;
        size_t top = 0, below = 0;
        for (int r = 0; r < repeats_; ++r) {
            double t0 = Now();
            std::vector<std::string> names = testpaths::Subdirectories(root);
            size_t n = 0;
            for (const std::string& name : names)
                n += testpaths::Subdirectories(root + name + "\\").size();
            enumeration.Add(Now() - t0);
            top = names.size();
            below = n;

            t0 = Now();
            m_tree.FillDrive();
            fill.Add(Now() - t0);

            t0 = Now();
            SendMessageA(tree, TVM_DELETEITEM, 0, reinterpret_cast<LPARAM>(TVI_ROOT));
            HTREEITEM rootItem = Insert(tree, TVI_ROOT, root);
            for (const std::string& name : testpaths::Subdirectories(root)) {
                HTREEITEM child = Insert(tree, rootItem, name);
                for (const std::string& sub : testpaths::Subdirectories(root + name + "\\"))
                    Insert(tree, child, sub);
            }
            SendMessageA(tree, TVM_EXPAND, TVE_EXPAND, reinterpret_cast<LPARAM>(rootItem));
            UpdateWindow(tree);
            plain.Add(Now() - t0);
        }
        m_tree.FillDrive();
        std::vector<std::string> names = testpaths::Subdirectories(root);
        std::string last = names.empty() ? std::string() : names.back();
        for (int r = 0; r < repeats_; ++r) {
            double t0 = Now();
            m_tree.SelectPath(root + last);
            select.Add(Now() - t0);
        }
        size_t items = static_cast<size_t>(SendMessageA(tree, TVM_GETCOUNT, 0, 0));

        std::printf("drive %s: %u directories in the root, %u one level below; %u tree items\n", root.c_str(),
                    static_cast<unsigned>(top), static_cast<unsigned>(below), static_cast<unsigned>(items));
        std::printf("%-40s min %8.1f ms   median %8.1f ms   (%d runs)\n", "two-level enumeration alone",
                    enumeration.Min(), enumeration.Median(), repeats_);
        std::printf("%-40s min %8.1f ms   median %8.1f ms\n", "FillDrive", fill.Min(), fill.Median());
        std::printf("%-40s min %8.1f ms   median %8.1f ms\n", "plain sorted insertion, for comparison",
                    plain.Min(), plain.Median());
        std::printf("%-40s min %8.1f ms   median %8.1f ms\n", "SelectPath one level down (open root)",
                    select.Min(), select.Median());
        std::printf("FillDrive / enumeration: %.2f (median)\n", fill.Median() / enumeration.Median());
        std::fflush(stdout);
        EndDialog(IDOK);
        return TRUE;
    }

private:
    char letter_;
    int repeats_;
};

}  // namespace

int main(int argc, char** argv)
{
    if (argc < 2 || !std::isalpha(static_cast<unsigned char>(argv[1][0]))) {
        std::fprintf(stderr, "usage: filldrive_bench <drive letter> [repeats]\n");
        return 2;
    }
    INITCOMMONCONTROLSEX icc = {sizeof icc, ICC_WIN95_CLASSES};
    InitCommonControlsEx(&icc);
    char letter = static_cast<char>(std::toupper(static_cast<unsigned char>(argv[1][0])));
    int repeats = argc > 2 ? std::max(1, std::atoi(argv[2])) : 5;
    BenchPage page(letter, repeats);
    return page.DoModal() == IDOK ? 0 : 1;
}
