// A fresh temporary folder for one test, removed with everything in it afterwards;
// helpers to write files into it.
#pragma once

#include <filesystem>
#include <string>
#include <string_view>

namespace arvel::test {

class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::filesystem::path& path() const { return path_; }
    // Writes bytes to a file below the folder (creating folders on the way); returns
    // its full path.
    std::filesystem::path write(const std::string& relative, std::string_view bytes) const;
    std::string read(const std::string& relative) const;

private:
    std::filesystem::path path_;
};

// Copies the demo's data directory (build/data) into dir, so that game finds its
// techniques, textures and level there.
void copyDemoData(const TempDir& dir);

// Runs the test body with the working directory switched to dir, restoring it after.
class ScopedWorkingDirectory {
public:
    explicit ScopedWorkingDirectory(const std::filesystem::path& dir);
    ~ScopedWorkingDirectory();

private:
    std::filesystem::path previous_;
};

}  // namespace arvel::test
