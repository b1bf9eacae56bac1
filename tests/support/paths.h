// Where the tests find the build, the sources and the laid-out packages (Windows paths).
#pragma once
#include <string>
#include <vector>

namespace testpaths {

// A Unix path as Wine's Z: drive shows it ("/work/b" -> "Z:\work\b").
std::string FromUnix(const std::string& unixPath);

// ZRN_BUILD_DIR / ZRN_SOURCE_DIR, set by CTest, as Windows paths ("" when unset).
std::string BuildDir();
std::string SourceDir();

// The package laid out by the build: <build>\package, and the one with the newer monitor.
std::string PackageDir();
std::string UpgradePackageDir();

// Directory of the running test program (no trailing backslash).
std::string ModuleDir();

// A fresh empty directory under the prefix's temp directory, unique per call.
std::string MakeTempDir(const std::string& tag);

// The sub-directory names of a directory given with a trailing backslash, in the order
// the system lists them.
std::vector<std::string> Subdirectories(const std::string& dir);

// Removes a directory tree (best effort).
void RemoveTree(const std::string& path);

// Writes a file, replacing one that is there (read-only too); a failure fails the test.
void WriteText(const std::string& path, const std::string& text);

}  // namespace testpaths
