#include "fs/CommonFile.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>
#include <string>

#include "core/Exception.h"
#include "shared/TempDir.h"
#include "support/ExceptionText.h"

namespace arvel {
namespace {

using test::exceptionText;

// Owns a malloc'd string from readString.
std::string take(char* text) {
    std::unique_ptr<char, decltype(&free)> owned(text, &free);
    return text ? std::string(text) : std::string("<null>");
}

class CommonFileTest : public testing::Test {
protected:
    void SetUp() override {
        setenv("ARVEL_NO_DIALOGS", "1", 1);
        source.mount((dir.path().string() + "/").c_str());
    }
    test::TempDir dir;
    CommonFile source;
};

TEST_F(CommonFileTest, OpenMeasuresSizeAndStartsAtTheBeginning) {
    dir.write("data.bin", "abcdef");
    FileHandle* handle = source.open("data.bin", kFileRead);
    ASSERT_NE(handle, nullptr);
    EXPECT_EQ(handle->size, 6);
    EXPECT_EQ(handle->start, 0);
    EXPECT_EQ(handle->owner, &source);
    EXPECT_EQ(source.tell(handle), 0);
    char bytes[6];
    EXPECT_EQ(source.read(bytes, 1, 6, handle), 6);
    EXPECT_EQ(std::string(bytes, 6), "abcdef");
    source.close(handle);
}

TEST_F(CommonFileTest, EmptyFileHasSizeZeroAndReadsZeroItems) {
    dir.write("empty", "");
    FileHandle* handle = source.open("empty", kFileRead);
    ASSERT_NE(handle, nullptr);
    EXPECT_EQ(handle->size, 0);
    char none[1];
    EXPECT_EQ(source.read(none, 1, 0, handle), 0);
    source.close(handle);
}

TEST_F(CommonFileTest, UnknownModesOpenNothing) {
    dir.write("data.bin", "x");
    EXPECT_EQ(source.open("data.bin", 0), nullptr);
    EXPECT_EQ(source.open("data.bin", 4), nullptr);
    EXPECT_EQ(source.open("data.bin", -1), nullptr);
}

TEST_F(CommonFileTest, MissingFileAndFolderOpenNothing) {
    dir.write("sub/inner.txt", "x");
    EXPECT_EQ(source.open("absent.txt", kFileRead), nullptr);
    EXPECT_EQ(source.open("sub", kFileRead), nullptr);
    EXPECT_EQ(source.open(nullptr, kFileRead), nullptr);
    EXPECT_EQ(source.open("absent.txt", kFileReadWrite), nullptr);
}

TEST_F(CommonFileTest, NameTooLongForTheBufferOpensNothing) {
    std::string name(70000, 'n');
    EXPECT_EQ(source.open(name.c_str(), kFileRead), nullptr);
}

TEST_F(CommonFileTest, BackslashesInPrefixAndNameAreFolderSeparators) {
    dir.write("textures/white.tga", "white");
    dir.write("textures/sub/grey.tga", "grey");
    CommonFile textures;
    ASSERT_TRUE(textures.mount((dir.path().string() + "\\textures\\").c_str()));
    FileHandle* white = textures.open("white.tga", kFileRead);
    ASSERT_NE(white, nullptr);
    EXPECT_EQ(white->size, 5);
    textures.close(white);
    FileHandle* grey = source.open("textures\\sub\\grey.tga", kFileRead);
    ASSERT_NE(grey, nullptr);
    EXPECT_EQ(grey->size, 4);
    source.close(grey);
}

TEST_F(CommonFileTest, ShortReadThrowsWithCountsAndLocation) {
    dir.write("three", "abc");
    FileHandle* handle = source.open("three", kFileRead);
    ASSERT_NE(handle, nullptr);
    char bytes[8];
    EXPECT_EQ(exceptionText([&] { source.read(bytes, 1, 5, handle); }),
              "(Utils\\CommonFile:90): Error while reading file, 3 != 5\n");
    source.close(handle);
}

TEST_F(CommonFileTest, NegativeCountOrSizeThrowsInsteadOfReading) {
    dir.write("data", "abcd");
    FileHandle* handle = source.open("data", kFileRead);
    ASSERT_NE(handle, nullptr);
    char bytes[4];
    EXPECT_EQ(exceptionText([&] { source.read(bytes, 1, -2, handle); }),
              "(Utils\\CommonFile:90): Error while reading file, 0 != -2\n");
    EXPECT_NE(exceptionText([&] { source.read(bytes, -1, 2, handle); }), "");
    source.close(handle);
}

TEST_F(CommonFileTest, WriteOnReadOnlyFileThrowsWithLocation) {
    dir.write("data", "abcd");
    FileHandle* handle = source.open("data", kFileRead);
    ASSERT_NE(handle, nullptr);
    EXPECT_EQ(exceptionText([&] { source.write("xy", 1, 2, handle); }),
              "(Utils\\CommonFile:85): Error while writing file, 0 != 2\n");
    source.close(handle);
}

TEST_F(CommonFileTest, WriteModeCreatesAndTruncates) {
    dir.write("out.txt", "old contents");
    FileHandle* handle = source.open("out.txt", kFileWrite);
    ASSERT_NE(handle, nullptr);
    EXPECT_EQ(handle->size, 0);
    EXPECT_EQ(source.write("new", 1, 3, handle), 3);
    source.close(handle);
    EXPECT_EQ(dir.read("out.txt"), "new");

    FileHandle* created = source.open("fresh.txt", kFileWrite);
    ASSERT_NE(created, nullptr);
    source.close(created);
    EXPECT_EQ(dir.read("fresh.txt"), "");
}

TEST_F(CommonFileTest, ReadWriteModeUpdatesInPlace) {
    dir.write("rw.bin", "abcdef");
    FileHandle* handle = source.open("rw.bin", kFileReadWrite);
    ASSERT_NE(handle, nullptr);
    EXPECT_EQ(handle->size, 6);
    EXPECT_EQ(source.seek(handle, 2, SEEK_SET), 0);
    EXPECT_EQ(source.writeByte('X', handle), 'X');
    EXPECT_EQ(source.flush(handle), 0);
    EXPECT_EQ(source.seek(handle, -1, SEEK_END), 0);
    EXPECT_EQ(source.readByte(handle), 'f');
    EXPECT_EQ(source.readByte(handle), EOF);
    source.close(handle);
    EXPECT_EQ(dir.read("rw.bin"), "abXdef");
}

TEST_F(CommonFileTest, ReadStringStopsAfterEachZeroByte) {
    dir.write("strings", std::string("abc\0de\0", 7));
    FileHandle* handle = source.open("strings", kFileRead);
    ASSERT_NE(handle, nullptr);
    EXPECT_EQ(take(source.readString(handle)), "abc");
    EXPECT_EQ(take(source.readString(handle)), "de");
    EXPECT_EQ(source.tell(handle), 7);
    source.close(handle);
}

TEST_F(CommonFileTest, ReadStringEndsSafelyAtEndOfFileWithoutZeroByte) {
    dir.write("unterminated", std::string("ab\0tail", 7));
    FileHandle* handle = source.open("unterminated", kFileRead);
    ASSERT_NE(handle, nullptr);
    EXPECT_EQ(take(source.readString(handle)), "ab");
    EXPECT_EQ(take(source.readString(handle)), "tail");
    EXPECT_EQ(take(source.readString(handle)), "");
    source.close(handle);
}

TEST_F(CommonFileTest, ReadStringGrowsPastItsWorkBuffer) {
    std::string longText(200000, 's');
    longText[65535] = 'A';
    longText[131071] = 'B';
    dir.write("long", longText + std::string(1, '\0') + "next");
    FileHandle* handle = source.open("long", kFileRead);
    ASSERT_NE(handle, nullptr);
    EXPECT_EQ(take(source.readString(handle)), longText);
    EXPECT_EQ(take(source.readString(handle)), "next");
    source.close(handle);
}

TEST(CommonFileWorkingDirectory, EmptyPrefixOpensRelativeToTheWorkingDirectory) {
    test::TempDir dir;
    dir.write("autoexec.cfg", "set x 1\n");
    test::ScopedWorkingDirectory cwd(dir.path());
    CommonFile here;
    ASSERT_TRUE(here.mount(""));
    EXPECT_STREQ(here.prefix(), "");
    FileHandle* handle = here.open("autoexec.cfg", kFileRead);
    ASSERT_NE(handle, nullptr);
    EXPECT_EQ(handle->size, 8);
    here.close(handle);
}

}  // namespace
}  // namespace arvel
