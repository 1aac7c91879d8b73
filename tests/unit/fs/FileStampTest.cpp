// Which source provides a name and whether its file changed: FileSystem::stamp over
// folders and an archive, and the FileWatch that remembers stamps between checks.
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "fs/ArchiveFile.h"
#include "fs/CommonFile.h"
#include "fs/FileSystem.h"
#include "fs/FileWatch.h"
#include "shared/TempDir.h"

namespace arvel {
namespace {

using namespace std::chrono_literals;

void put16(std::string& out, uint32_t value) {
    out.push_back(static_cast<char>(value & 0xFF));
    out.push_back(static_cast<char>((value >> 8) & 0xFF));
}

void put32(std::string& out, uint32_t value) {
    put16(out, value & 0xFFFF);
    put16(out, value >> 16);
}

// A zip of stored entries, ended by the start of a central directory.
std::string zipOf(const std::vector<std::pair<std::string, std::string>>& entries) {
    std::string out;
    for (const auto& [name, data] : entries) {
        put32(out, 0x04034B50);
        put16(out, 10);  // version
        put16(out, 0);   // flags
        put16(out, 0);   // stored
        put32(out, 0);   // time and date
        put32(out, 0);   // crc, never checked
        put32(out, static_cast<uint32_t>(data.size()));
        put32(out, static_cast<uint32_t>(data.size()));
        put16(out, static_cast<uint32_t>(name.size()));
        put16(out, 0);
        out += name + data;
    }
    put32(out, 0x02014B50);
    return out + std::string(42, '\0');
}

// The file's time moved on by two seconds: a rewrite within the file system's clock
// tick would otherwise keep its time.
void ageForward(const std::filesystem::path& file) {
    std::filesystem::last_write_time(file, std::filesystem::last_write_time(file) + 2s);
}

TEST(FileSystemStamp, FollowsTheSourceThatProvidesTheNameAndItsRewrites) {
    test::TempDir first, second;
    FileSystem files;
    ASSERT_TRUE(files.mount(new CommonFile(), (first.path().string() + "/").c_str()));
    ASSERT_TRUE(files.mount(new CommonFile(), (second.path().string() + "/").c_str()));
    const auto path = second.write("maps/a.txt", "abc");
    first.write("folder.txt/inside", "x");

    const FileStamp original = files.stamp("maps\\a.txt");
    EXPECT_EQ(original.source, 1);
    EXPECT_EQ(original.size, 3);
    EXPECT_EQ(files.stamp("maps\\a.txt"), original) << "an untouched file keeps its stamp";

    second.write("maps/a.txt", "xyz");
    ageForward(path);
    const FileStamp rewritten = files.stamp("maps\\a.txt");
    EXPECT_NE(rewritten, original) << "same size, later time";
    EXPECT_EQ(rewritten.size, 3);

    second.write("maps/a.txt", "longer");
    EXPECT_EQ(files.stamp("maps\\a.txt").size, 6);

    first.write("maps/a.txt", "abc");
    EXPECT_EQ(files.stamp("maps\\a.txt").source, 0) << "the earlier source now shadows it";

    EXPECT_EQ(files.stamp("missing.txt"), FileStamp());
    EXPECT_EQ(files.stamp("folder.txt").source, -1) << "a folder is no file";
    EXPECT_EQ(files.stamp(nullptr).source, -1);
}

TEST(FileSystemStamp, ArchiveEntriesAreFoundLikeOpenFindsThemAndNeverChange) {
    test::TempDir dir;
    const auto zip = dir.write(
        "data.zip",
        zipOf({{"tex/a.tga", "12345"}, {"tex/a.tga", "second copy, never opened"}, {"tex/", ""}}));
    FileSystem files;
    ASSERT_TRUE(files.mount(new CommonFile(), (dir.path().string() + "/").c_str()));
    ASSERT_TRUE(files.mount(new ArchiveFile(), zip.string().c_str()));

    const FileStamp entry = files.stamp("tex\\a.tga");
    EXPECT_EQ(entry.source, 1);
    EXPECT_EQ(entry.size, 5) << "the first entry of a name is the one served";
    EXPECT_EQ(entry.modified, ArchiveFile::kEntryTime);
    FileHandle* handle = files.open("tex\\a.tga", kFileRead);
    ASSERT_NE(handle, nullptr);
    EXPECT_EQ(handle->size, entry.size);
    fileClose(handle);
    EXPECT_EQ(files.stamp("tex\\a.tga"), entry);

    EXPECT_EQ(files.stamp("tex/a.tga").source, 1);
    EXPECT_EQ(files.stamp("tex\\").source, -1) << "a folder entry is no file";
    EXPECT_EQ(files.stamp("tex\\A.tga").source, -1) << "case matters in archives";
    EXPECT_EQ(files.stamp(std::string(300, 'a').c_str()).source, -1);
}

// A scripted set of files: each step changes the fake file system, then checks.
TEST(FileWatch, ReportsEachChangeOnceWhateverBecameOfTheFile) {
    std::map<std::string, FileStamp> disk = {
        {"a.tga", {0, 100, 10}}, {"b.rt", {0, 100, 20}}, {"c.vp", {1, 100, 30}}};
    auto stamp = [&](const char* name) {
        auto it = disk.find(name);
        return it == disk.end() ? FileStamp() : it->second;
    };
    FileWatch watch;
    for (const auto& [name, now] : disk) EXPECT_TRUE(watch.watch(name, now));
    // Read once more: the stamp it was first read with stays, so nothing is lost.
    EXPECT_FALSE(watch.watch("a.tga", {0, 50, 10}));
    EXPECT_EQ(watch.size(), 3u);
    EXPECT_TRUE(watch.watching("c.vp"));
    EXPECT_FALSE(watch.watching("C.vp"));

    using Names = std::vector<std::string>;
    struct Step {
        const char* what;
        std::function<void()> change;
        Names expected;
    };
    const std::vector<Step> steps = {
        {"nothing changed", [] {}, {}},
        {"a rewritten", [&] { disk["a.tga"].modified = 200; }, {"a.tga"}},
        {"a checked again", [] {}, {}},
        {"b broken, then nothing", [&] { disk["b.rt"].size = 21; }, {"b.rt"}},
        {"b still broken", [] {}, {}},
        {"b fixed", [&] { disk["b.rt"].modified = 300; }, {"b.rt"}},
        {"c moved to another source", [&] { disk["c.vp"].source = 0; }, {"c.vp"}},
        {"a and c vanish", [&] { disk.erase("a.tga"), disk.erase("c.vp"); }, {"a.tga", "c.vp"}},
        {"still gone", [] {}, {}},
        {"a comes back",
         [&] {
             disk["a.tga"] = {2, 100, 10};
         },
         {"a.tga"}},
    };
    for (const Step& step : steps) {
        step.change();
        EXPECT_EQ(watch.check(stamp), step.expected) << step.what;
    }
}

}  // namespace
}  // namespace arvel
