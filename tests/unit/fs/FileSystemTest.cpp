#include "fs/FileSystem.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <new>
#include <string>
#include <vector>

#include "core/Exception.h"
#include "fs/CommonFile.h"
#include "shared/TempDir.h"
#include "support/ExceptionText.h"

namespace arvel {
namespace {

// A source that records what it is asked and can refuse its mount.
class RecordingSource : public CommonFile {
public:
    RecordingSource(bool mountSucceeds, bool* destroyed, std::vector<std::string>* asked)
        : mountSucceeds_(mountSucceeds), destroyed_(destroyed), asked_(asked) {}
    ~RecordingSource() override {
        if (destroyed_) *destroyed_ = true;
    }
    bool mount(const char* path) override { return mountSucceeds_ && CommonFile::mount(path); }
    FileHandle* open(const char* name, int mode) override {
        if (asked_) asked_->push_back(name);
        return CommonFile::open(name, mode);
    }

private:
    bool mountSucceeds_;
    bool* destroyed_;
    std::vector<std::string>* asked_;
};

std::string readAll(FileHandle* handle) {
    std::string bytes(static_cast<size_t>(handle->size), '\0');
    fileRead(bytes.data(), 1, handle->size, handle);
    return bytes;
}

// The standard mounts: the working directory, then the folders below it.
class FileSystemTest : public testing::Test {
protected:
    void SetUp() override {
        setenv("ARVEL_NO_DIALOGS", "1", 1);
        dir.write("white.tga", "root copy");
        dir.write("textures/white.tga", "textures copy");
        dir.write("textures/stone.tga", "stone");
        dir.write("shaders/light.vp", "program");
        for (const char* path : {"", "textures\\", "shaders\\"}) {
            ASSERT_TRUE(files.mount(new CommonFile, path));
        }
    }
    test::TempDir dir;
    test::ScopedWorkingDirectory cwd{dir.path()};
    FileSystem files;
};

TEST_F(FileSystemTest, WorkingDirectoryCopyWinsOverTexturesCopy) {
    FileHandle* handle = files.open("white.tga", kFileRead);
    ASSERT_NE(handle, nullptr);
    EXPECT_EQ(readAll(handle), "root copy");
    fileClose(handle);
}

TEST_F(FileSystemTest, BareNameIsFoundInALaterSource) {
    FileHandle* handle = files.open("light.vp", kFileRead);
    ASSERT_NE(handle, nullptr);
    EXPECT_EQ(readAll(handle), "program");
    fileClose(handle);
}

TEST_F(FileSystemTest, NameWithFolderIsFoundThroughTheWorkingDirectory) {
    FileHandle* handle = files.open("textures\\stone.tga", kFileRead);
    ASSERT_NE(handle, nullptr);
    EXPECT_EQ(handle->owner, files.sources()[0]);
    fileClose(handle);
}

TEST_F(FileSystemTest, NameNoSourceHasGivesNull) {
    EXPECT_EQ(files.open("missing.tga", kFileRead), nullptr);
    EXPECT_EQ(files.open(nullptr, kFileRead), nullptr);
}

TEST_F(FileSystemTest, SourcesAreAskedInMountOrderUntilOneHasTheName) {
    std::vector<std::string> asked;
    ASSERT_TRUE(files.mount(new RecordingSource(true, nullptr, &asked), "textures\\"));
    EXPECT_NE(files.sources().back(), nullptr);
    FileHandle* found = files.open("stone.tga", kFileRead);
    ASSERT_NE(found, nullptr);
    fileClose(found);
    EXPECT_TRUE(asked.empty());  // the earlier textures source had it
    EXPECT_EQ(files.open("stone.tga", 4), nullptr);
    EXPECT_EQ(asked, std::vector<std::string>{"stone.tga"});
}

TEST_F(FileSystemTest, FailedMountIsNotListedAndStaysWithTheCaller) {
    bool destroyed = false;
    auto* refusing = new RecordingSource(false, &destroyed, nullptr);
    size_t before = files.sources().size();
    EXPECT_FALSE(files.mount(refusing, ""));
    EXPECT_EQ(files.sources().size(), before);
    files.clear();
    EXPECT_FALSE(destroyed);
    delete refusing;
    EXPECT_TRUE(destroyed);
}

TEST_F(FileSystemTest, ClearDeletesEverySourceAndEmptiesTheList) {
    bool destroyed = false;
    ASSERT_TRUE(files.mount(new RecordingSource(true, &destroyed, nullptr), ""));
    files.clear();
    EXPECT_TRUE(destroyed);
    EXPECT_TRUE(files.sources().empty());
    EXPECT_EQ(files.open("white.tga", kFileRead), nullptr);
}

TEST_F(FileSystemTest, HandleFunctionsForwardToTheOwner) {
    FileHandle* handle = files.open("textures\\white.tga", kFileRead);
    ASSERT_NE(handle, nullptr);
    EXPECT_EQ(fileSeek(handle, 0, SEEK_END), 0);
    EXPECT_EQ(fileTell(handle), handle->size);
    EXPECT_EQ(fileSeek(handle, 9, SEEK_SET), 0);
    char bytes[4];
    EXPECT_EQ(fileRead(bytes, 1, 4, handle), 4);
    EXPECT_EQ(std::string(bytes, 4), "copy");
    EXPECT_EQ(test::exceptionText([&] { fileRead(bytes, 1, 1, handle); }),
              "(Utils\\CommonFile:90): Error while reading file, 0 != 1\n");
    fileClose(handle);
}

TEST(FileHandleFunctions, NullHandleIsReportedNotFollowed) {
    fileClose(nullptr);
    EXPECT_EQ(fileSeek(nullptr, 0, SEEK_SET), -1);
    EXPECT_EQ(fileTell(nullptr), -1);
    char byte;
    const std::string text = test::exceptionText([&] { fileRead(&byte, 1, 1, nullptr); });
    EXPECT_NE(text.find("not open"), std::string::npos) << text;
}

TEST(FileHandleLifetime, DestroyedHandleIsPoisoned) {
    CommonFile owner;
    alignas(FileHandle) unsigned char storage[sizeof(FileHandle)];
    auto* handle = new (storage) FileHandle(&owner, nullptr, 12, 34);
    EXPECT_NE(handle->semaphore, nullptr);
    EXPECT_EQ(handle->start, 12);
    EXPECT_EQ(handle->size, 34);
    handle->~FileHandle();
    auto* poisoned = reinterpret_cast<volatile FileHandle*>(storage);
    EXPECT_EQ(poisoned->start, FileHandle::kPoison);
    EXPECT_EQ(poisoned->position, FileHandle::kPoison);
    EXPECT_EQ(poisoned->size, FileHandle::kPoison);
    EXPECT_EQ(poisoned->file, nullptr);
    EXPECT_EQ(poisoned->semaphore, nullptr);
    EXPECT_EQ(poisoned->owner, nullptr);
    EXPECT_EQ(FileHandle::kPoison, static_cast<int32_t>(0xFEEDFACEu));
}

TEST(FileHandleLock, LockCanBeTakenAgainAfterUnlock) {
    test::TempDir dir;
    dir.write("shared", "x");
    CommonFile source;
    source.mount((dir.path().string() + "/").c_str());
    FileHandle* handle = source.open("shared", kFileRead);
    ASSERT_NE(handle, nullptr);
    source.lock(handle);
    source.unlock(handle);
    source.lock(handle);  // blocks forever if unlock lost the count
    source.unlock(handle);
    source.close(handle);
}

}  // namespace
}  // namespace arvel
