#include "support/paths.h"

#include <windows.h>
#include <cstdlib>
#include <cstdio>

#include <gtest/gtest.h>

namespace testpaths {

std::string FromUnix(const std::string& unixPath)
{
    if (unixPath.empty())
        return {};
    std::string p = "Z:" + unixPath;
    for (char& c : p)
        if (c == '/')
            c = '\\';
    while (p.size() > 3 && p.back() == '\\')
        p.pop_back();
    return p;
}

static std::string EnvPath(const char* name)
{
    const char* v = std::getenv(name);
    return v ? FromUnix(v) : std::string();
}

std::string BuildDir() { return EnvPath("ZRN_BUILD_DIR"); }
std::string SourceDir() { return EnvPath("ZRN_SOURCE_DIR"); }
std::string PackageDir() { return BuildDir() + "\\package"; }
std::string UpgradePackageDir() { return BuildDir() + "\\package-upgrade"; }

std::string ModuleDir()
{
    char buf[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, buf, MAX_PATH);
    std::string s(buf);
    return s.substr(0, s.find_last_of('\\'));
}

std::string MakeTempDir(const std::string& tag)
{
    static unsigned counter = 0;
    char tmp[MAX_PATH] = {};
    GetTempPathA(MAX_PATH, tmp);
    for (;;) {
        char name[MAX_PATH];
        std::snprintf(name, sizeof name, "%szrn-%s-%lu-%u", tmp, tag.c_str(),
                      GetCurrentProcessId(), ++counter);
        if (CreateDirectoryA(name, nullptr))
            return name;
        if (GetLastError() != ERROR_ALREADY_EXISTS)
            return {};
    }
}

std::vector<std::string> Subdirectories(const std::string& dir)
{
    std::vector<std::string> names;
    WIN32_FIND_DATAA data;
    HANDLE h = FindFirstFileA((dir + "*.*").c_str(), &data);
    if (h == INVALID_HANDLE_VALUE)
        return names;
    do {
        std::string n = data.cFileName;
        if ((data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) && n != "." && n != "..")
            names.push_back(n);
    } while (FindNextFileA(h, &data));
    FindClose(h);
    return names;
}

void RemoveTree(const std::string& path)
{
    if (path.size() < 4)
        return;
    WIN32_FIND_DATAA fd;
    HANDLE h = FindFirstFileA((path + "\\*").c_str(), &fd);
    if (h != INVALID_HANDLE_VALUE) {
        do {
            std::string n = fd.cFileName;
            if (n == "." || n == "..")
                continue;
            std::string full = path + "\\" + n;
            if (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
                RemoveTree(full);
            } else {
                SetFileAttributesA(full.c_str(), FILE_ATTRIBUTE_NORMAL);
                DeleteFileA(full.c_str());
            }
        } while (FindNextFileA(h, &fd));
        FindClose(h);
    }
    RemoveDirectoryA(path.c_str());
}

void WriteText(const std::string& path, const std::string& text)
{
    SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
    FILE* f = std::fopen(path.c_str(), "wb");
    ASSERT_NE(f, nullptr) << path;
    std::fwrite(text.data(), 1, text.size(), f);
    std::fclose(f);
}

}  // namespace testpaths
