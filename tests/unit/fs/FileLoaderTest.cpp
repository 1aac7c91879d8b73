#include "fs/FileLoader.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <string>

#include "core/Exception.h"
#include "fs/CommonFile.h"
#include "fs/FileSystem.h"
#include "shared/TempDir.h"
#include "support/ExceptionText.h"

namespace arvel {
namespace {

// A directory source that counts its closes and can claim files are longer than
// they are.
class CountingSource : public CommonFile {
public:
    int closes = 0;
    int extraLength = 0;

    void close(FileHandle* handle) override {
        ++closes;
        CommonFile::close(handle);
    }
    int tell(FileHandle* handle) override { return CommonFile::tell(handle) + extraLength; }
};

class RecordingLoader : public FileLoader {
public:
    explicit RecordingLoader(const CountingSource* source) : source_(source) {}

    int parses = 0;
    int size = -1;
    std::string bytes;
    int closesBeforeParse = -1;
    bool blockWasNull = true;

protected:
    void parse(const void* block, int length) override {
        FileBytes owned(block);
        ++parses;
        size = length;
        blockWasNull = block == nullptr;
        if (block) bytes.assign(static_cast<const char*>(block), static_cast<size_t>(length));
        closesBeforeParse = source_->closes;
    }

private:
    const CountingSource* source_;
};

class ThrowingLoader : public FileLoader {
protected:
    void parse(const void* block, int) override {
        FileBytes owned(block);
        throw new Exception(7, "World\\OTM", "Bad map\n");
    }
};

class FileLoaderTest : public testing::Test {
protected:
    void SetUp() override {
        fileSystem().clear();
        source = new CountingSource;
        ASSERT_TRUE(fileSystem().mount(source, (dir.path().string() + "/").c_str()));
    }
    void TearDown() override { fileSystem().clear(); }

    test::TempDir dir;
    CountingSource* source = nullptr;
};

TEST_F(FileLoaderTest, WholeFileReachesParseWithItsExactSize) {
    std::string content("map\0\x01\xFF data", 10);
    dir.write("test.otm", content);
    RecordingLoader loader(source);
    EXPECT_TRUE(loader.load("test.otm"));
    EXPECT_EQ(loader.parses, 1);
    EXPECT_EQ(loader.size, 10);
    EXPECT_EQ(loader.bytes, content);
}

TEST_F(FileLoaderTest, HandleIsClosedBeforeParse) {
    dir.write("test.msh", "mesh");
    RecordingLoader loader(source);
    loader.load("test.msh");
    EXPECT_EQ(loader.closesBeforeParse, 1);
    EXPECT_EQ(source->closes, 1);
}

TEST_F(FileLoaderTest, EmptyFileIsParsedWithSizeZero) {
    dir.write("empty.fpf", "");
    RecordingLoader loader(source);
    EXPECT_TRUE(loader.load("empty.fpf"));
    EXPECT_EQ(loader.parses, 1);
    EXPECT_EQ(loader.size, 0);
    EXPECT_FALSE(loader.blockWasNull);
}

TEST_F(FileLoaderTest, MissingFileLeavesTheLoaderUntouchedWithoutError) {
    RecordingLoader loader(source);
    bool loaded = true;
    EXPECT_NO_THROW(loaded = loader.load("nothere.tga"));
    EXPECT_FALSE(loaded);
    EXPECT_EQ(loader.parses, 0);
    EXPECT_EQ(loader.size, -1);
    EXPECT_EQ(source->closes, 0);
}

TEST_F(FileLoaderTest, ShortReadThrowsTheSourceErrorClosesAndSkipsParse) {
    dir.write("shrunk.tga", "abc");
    source->extraLength = 5;  // measured as 8 bytes, only 3 arrive
    RecordingLoader loader(source);
    EXPECT_EQ(test::exceptionText([&] { loader.load("shrunk.tga"); }),
              "(Utils\\CommonFile:90): Error while reading file, 3 != 8\n");
    EXPECT_EQ(loader.parses, 0);
    EXPECT_EQ(source->closes, 1);
}

TEST_F(FileLoaderTest, ExceptionFromParsePropagates) {
    dir.write("bad.otm", "xx");
    ThrowingLoader loader;
    EXPECT_EQ(test::exceptionText([&] { loader.load("bad.otm"); }), "(World\\OTM:7): Bad map\n");
    EXPECT_EQ(source->closes, 1);
}

}  // namespace
}  // namespace arvel
