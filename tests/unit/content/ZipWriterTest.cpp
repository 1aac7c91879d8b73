#include "ZipWriter.h"

#include <gtest/gtest.h>

#include <stdexcept>
#include <string>

#include "fs/ArchiveFile.h"
#include "fs/FileSystem.h"
#include "shared/TempDir.h"

namespace arvel::content {
namespace {

uint32_t at16(const std::string& bytes, size_t offset) {
    return static_cast<uint8_t>(bytes[offset]) | static_cast<uint8_t>(bytes[offset + 1]) << 8;
}

uint32_t at32(const std::string& bytes, size_t offset) {
    return at16(bytes, offset) | at16(bytes, offset + 2) << 16;
}

TEST(ZipWriterLayout, OneEntryGivesLocalHeaderDataDirectoryAndEndRecord) {
    ZipWriter zip;
    zip.add("a.txt", "xyz");
    std::string bytes = zip.bytes();
    ASSERT_EQ(bytes.size(), 30u + 5 + 3 + 46 + 5 + 22);

    EXPECT_EQ(at32(bytes, 0), 0x04034B50u);
    EXPECT_EQ(at16(bytes, 4), 10u);  // version needed
    EXPECT_EQ(at16(bytes, 6), 0u);   // flags
    EXPECT_EQ(at16(bytes, 8), 0u);   // stored
    EXPECT_EQ(at16(bytes, 12), 0x21u);
    EXPECT_EQ(at32(bytes, 14), 0xEB8EBA67u /* CRC-32 of "xyz" */);
    EXPECT_EQ(at32(bytes, 18), 3u);
    EXPECT_EQ(at32(bytes, 22), 3u);
    EXPECT_EQ(at16(bytes, 26), 5u);
    EXPECT_EQ(at16(bytes, 28), 0u);
    EXPECT_EQ(bytes.substr(30, 8), "a.txtxyz");

    const size_t directory = 38;
    EXPECT_EQ(at32(bytes, directory), 0x02014B50u);
    EXPECT_EQ(at16(bytes, directory + 6), 10u);
    EXPECT_EQ(at32(bytes, directory + 16), 0xEB8EBA67u /* CRC-32 of "xyz" */);
    EXPECT_EQ(at16(bytes, directory + 28), 5u);
    EXPECT_EQ(at32(bytes, directory + 42), 0u);  // local header offset
    EXPECT_EQ(bytes.substr(directory + 46, 5), "a.txt");

    const size_t end = directory + 51;
    EXPECT_EQ(at32(bytes, end), 0x06054B50u);
    EXPECT_EQ(at16(bytes, end + 8), 1u);
    EXPECT_EQ(at16(bytes, end + 10), 1u);
    EXPECT_EQ(at32(bytes, end + 12), 51u);
    EXPECT_EQ(at32(bytes, end + 16), 38u);
}

TEST(ZipWriterLayout, DirectoryRecordsPointAtEachLocalHeader) {
    ZipWriter zip;
    zip.add("one", "1111");
    zip.add("two", "22");
    std::string bytes = zip.bytes();
    const size_t second = 30 + 3 + 4;
    EXPECT_EQ(at32(bytes, second), 0x04034B50u);
    const size_t directory = second + 30 + 3 + 2;
    EXPECT_EQ(at32(bytes, directory + 42), 0u);
    EXPECT_EQ(at32(bytes, directory + 46 + 3 + 42), second);
    EXPECT_EQ(at16(bytes, bytes.size() - 12), 2u);
}

TEST(ZipWriterLayout, SameEntriesGiveTheSameBytes) {
    ZipWriter first, second;
    for (ZipWriter* zip : {&first, &second}) {
        zip->add("x", "data");
        zip->add("y/z", "");
    }
    EXPECT_EQ(first.bytes(), second.bytes());
}

TEST(ZipWriterLayout, EmptyArchiveIsTheEndRecordAlone) {
    std::string bytes = ZipWriter().bytes();
    ASSERT_EQ(bytes.size(), 22u);
    EXPECT_EQ(at32(bytes, 0), 0x06054B50u);
}

TEST(ZipWriterLimits, NameLongerThan65535BytesIsRefused) {
    ZipWriter zip;
    EXPECT_THROW(zip.add(std::string(65536, 'n'), "x"), std::length_error);
    EXPECT_EQ(zip.entryCount(), 0u);
    zip.add(std::string(65535, 'n'), "x");
    EXPECT_EQ(zip.entryCount(), 1u);
}

TEST(ZipWriterSave, UnwritablePathGivesFalse) {
    test::TempDir dir;
    ZipWriter zip;
    EXPECT_FALSE(zip.save(dir.path() / "missing" / "Data.zip"));
}

// What the writer makes, the engine's archive source reads back.
TEST(ZipWriterRoundTrip, EveryEntryReadsBackThroughTheArchiveSource) {
    test::TempDir dir;
    ZipWriter zip;
    const std::string binary("\0\x01\xFF\x7F", 4);
    zip.add("autoexec.cfg", "gfx_driver Varnet.drv\n");
    zip.add("textures/white.tga", binary);
    zip.add("empty.rt", "");
    ASSERT_TRUE(zip.save(dir.path() / "Data.zip"));
    EXPECT_EQ(dir.read("Data.zip"), zip.bytes());

    FileSystem files;
    ASSERT_TRUE(files.mount(new ArchiveFile, (dir.path() / "Data.zip").string().c_str()));
    auto contents = [&](const char* name) -> std::string {
        FileHandle* handle = files.open(name, kFileRead);
        if (!handle) return "<none>";
        std::string bytes(static_cast<size_t>(handle->size), '\0');
        fileRead(bytes.data(), 1, handle->size, handle);
        fileClose(handle);
        return bytes;
    };
    EXPECT_EQ(contents("autoexec.cfg"), "gfx_driver Varnet.drv\n");
    EXPECT_EQ(contents("textures\\white.tga"), binary);
    EXPECT_EQ(contents("empty.rt"), "");
    EXPECT_EQ(contents("white.tga"), "<none>");
}

}  // namespace
}  // namespace arvel::content
