#include "fs/ArchiveFile.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "core/ErrorReport.h"
#include "core/Exception.h"
#include "fs/CommonFile.h"
#include "fs/FileLoader.h"
#include "platform/platform.h"
#include "shared/TempDir.h"
#include "support/ExceptionText.h"
#include "unit/core/ReportCapture.h"

namespace arvel {
namespace {

using test::drainPostedCloses;
using test::exceptionText;

// One local header and its data, with every field the scan looks at adjustable so
// that unsupported and broken entries can be made.
struct Entry {
    Entry(std::string name, std::string data) : name(std::move(name)), data(std::move(data)) {}
    Entry& version(uint16_t value) {
        versionNeeded = value;
        return *this;
    }
    Entry& flags(uint16_t value) {
        flagBits = value;
        return *this;
    }
    Entry& method(uint16_t value) {
        methodId = value;
        return *this;
    }
    Entry& extra(std::string value) {
        extraField = std::move(value);
        return *this;
    }
    Entry& compressedSize(int64_t value) {
        compressed = value;
        return *this;
    }
    Entry& uncompressedSize(int64_t value) {
        uncompressed = value;
        return *this;
    }

    std::string name;
    std::string data;
    uint16_t versionNeeded = 10;
    uint16_t flagBits = 0;
    uint16_t methodId = 0;
    std::string extraField;
    int64_t compressed = -1;    // -1: the data's length
    int64_t uncompressed = -1;  // -1: the data's length
};

void put16(std::string& out, uint32_t value) {
    out.push_back(static_cast<char>(value & 0xFF));
    out.push_back(static_cast<char>((value >> 8) & 0xFF));
}

void put32(std::string& out, uint32_t value) {
    put16(out, value & 0xFFFF);
    put16(out, value >> 16);
}

std::string localEntry(const Entry& entry) {
    const auto length = static_cast<uint32_t>(entry.data.size());
    std::string out;
    put32(out, 0x04034B50);
    put16(out, entry.versionNeeded);
    put16(out, entry.flagBits);
    put16(out, entry.methodId);
    put16(out, 0);           // time
    put16(out, 0x21);        // date
    put32(out, 0x12345678);  // crc, never checked
    put32(out, entry.compressed < 0 ? length : static_cast<uint32_t>(entry.compressed));
    put32(out, entry.uncompressed < 0 ? length : static_cast<uint32_t>(entry.uncompressed));
    put16(out, static_cast<uint32_t>(entry.name.size()));
    put16(out, static_cast<uint32_t>(entry.extraField.size()));
    return out + entry.name + entry.extraField + entry.data;
}

// The entries followed by the start of a central directory, which ends the scan.
std::string zipOf(const std::vector<Entry>& entries) {
    std::string out;
    for (const Entry& entry : entries) out += localEntry(entry);
    put32(out, 0x02014B50);
    out += std::string(42, '\0');
    return out;
}

std::string messageOf(Exception* e) {
    std::string message = e->what();
    delete e;
    return message;
}

class ArchiveFileTest : public testing::Test {
protected:
    void SetUp() override { setenv("ARVEL_NO_DIALOGS", "1", 1); }

    // Writes the archive and mounts it.
    void mount(const std::string& bytes) {
        path = dir.write("Data.zip", bytes).string();
        ASSERT_TRUE(archive.mount(path.c_str()));
    }

    std::string readAll(FileHandle* handle) {
        std::string bytes(static_cast<size_t>(handle->size), '\0');
        archive.read(bytes.data(), 1, handle->size, handle);
        return bytes;
    }

    // The entry's whole contents, or "<none>" when it does not open.
    std::string contentsOf(const char* name) {
        FileHandle* handle = archive.open(name, kFileRead);
        if (!handle) return "<none>";
        std::string bytes = readAll(handle);
        archive.close(handle);
        return bytes;
    }

    test::TempDir dir;
    std::string path;
    ArchiveFile archive;
};

// --- mounting -------------------------------------------------------------------

TEST_F(ArchiveFileTest, MissingArchiveDoesNotMount) {
    EXPECT_FALSE(archive.mount((dir.path() / "Data.zip").string().c_str()));
    EXPECT_EQ(archive.open("a.txt", kFileRead), nullptr);
}

TEST_F(ArchiveFileTest, FileThatIsNotAZipDoesNotMount) {
    std::string text = dir.write("Data.zip", "just some text").string();
    EXPECT_FALSE(archive.mount(text.c_str()));
    std::string empty = dir.write("Empty.zip", "").string();
    EXPECT_FALSE(archive.mount(empty.c_str()));
}

TEST_F(ArchiveFileTest, FolderDoesNotMount) {
    dir.write("Data.zip/inner.txt", "x");
    EXPECT_FALSE(archive.mount((dir.path() / "Data.zip").string().c_str()));
}

TEST_F(ArchiveFileTest, EmptyZipMountsAndHasNothing) {
    std::string end;
    put32(end, 0x06054B50);
    end += std::string(18, '\0');
    mount(end);
    EXPECT_EQ(archive.open("a.txt", kFileRead), nullptr);
}

// --- lookup ---------------------------------------------------------------------

TEST_F(ArchiveFileTest, HandleDescribesTheEntryDataExactly) {
    mount(zipOf({Entry("one.txt", "12345"), Entry("two.rt", "abc")}));
    FileHandle* handle = archive.open("two.rt", kFileRead);
    ASSERT_NE(handle, nullptr);
    // Second entry's data: after 30 + 7 + 5 bytes of the first, its own 30 + 6 header.
    EXPECT_EQ(handle->start, 78);
    EXPECT_EQ(handle->size, 3);
    EXPECT_EQ(handle->position, 0);
    EXPECT_EQ(handle->owner, &archive);
    EXPECT_EQ(readAll(handle), "abc");
    archive.close(handle);
}

TEST_F(ArchiveFileTest, ExtraFieldIsSkipped) {
    mount(zipOf({Entry("a", "data").extra("EXTRA!")}));
    FileHandle* handle = archive.open("a", kFileRead);
    ASSERT_NE(handle, nullptr);
    EXPECT_EQ(handle->start, 30 + 1 + 6);
    EXPECT_EQ(readAll(handle), "data");
    archive.close(handle);
}

TEST_F(ArchiveFileTest, BackslashInTheRequestStandsForSlashInTheEntry) {
    mount(zipOf({Entry("textures/white.tga", "white")}));
    EXPECT_EQ(contentsOf("textures\\white.tga"), "white");
    EXPECT_EQ(contentsOf("textures/white.tga"), "white");
}

TEST_F(ArchiveFileTest, NamesMustMatchWholeAndCaseMatters) {
    mount(zipOf({Entry("textures/white.tga", "white")}));
    EXPECT_EQ(contentsOf("Textures\\white.tga"), "<none>");
    EXPECT_EQ(contentsOf("textures\\WHITE.TGA"), "<none>");
    EXPECT_EQ(contentsOf("white.tga"), "<none>");
    EXPECT_EQ(contentsOf("textures\\white.tg"), "<none>");
    EXPECT_EQ(contentsOf("textures\\white.tga2"), "<none>");
    EXPECT_EQ(contentsOf(""), "<none>");
}

TEST_F(ArchiveFileTest, FirstMatchingEntryInArchiveOrderWins) {
    mount(zipOf({Entry("b.txt", "B"), Entry("same.txt", "first"), Entry("same.txt", "second")}));
    EXPECT_EQ(contentsOf("same.txt"), "first");
    EXPECT_EQ(contentsOf("b.txt"), "B");
}

TEST_F(ArchiveFileTest, FolderEntryIsNotAFile) {
    mount(zipOf({Entry("textures/", ""), Entry("textures/a.tga", "A")}));
    EXPECT_EQ(contentsOf("textures\\"), "<none>");
    EXPECT_EQ(contentsOf("textures\\a.tga"), "A");
}

TEST_F(ArchiveFileTest, ZeroSizeEntryOpensWithSizeZero) {
    mount(zipOf({Entry("empty", ""), Entry("next", "N")}));
    FileHandle* handle = archive.open("empty", kFileRead);
    ASSERT_NE(handle, nullptr);
    EXPECT_EQ(handle->size, 0);
    EXPECT_EQ(archive.read(nullptr, 1, 0, handle), 0);
    EXPECT_EQ(archive.readByte(handle), EOF);
    archive.close(handle);
}

TEST_F(ArchiveFileTest, NameOf259BytesMatchesAndLongerNamesAreSteppedOver) {
    std::string longest(259, 'n');
    std::string tooLong(300, 'n');
    mount(zipOf({Entry(tooLong, "too long"), Entry(longest, "longest"), Entry("after", "after")}));
    EXPECT_EQ(contentsOf(tooLong.c_str()), "<none>");
    EXPECT_EQ(contentsOf(longest.c_str()), "longest");
    EXPECT_EQ(contentsOf("after"), "after");
}

// --- entry boundaries -------------------------------------------------------------

TEST_F(ArchiveFileTest, ShortReadStopsAtTheEntryEndAndThrows) {
    mount(zipOf({Entry("a", "abc"), Entry("b", "NEXT")}));
    FileHandle* handle = archive.open("a", kFileRead);
    ASSERT_NE(handle, nullptr);
    char buffer[6] = {'.', '.', '.', '.', '.', '.'};
    std::string message;
    try {
        archive.read(buffer, 1, 5, handle);
    } catch (Exception* e) {
        message = messageOf(e);
    }
    EXPECT_EQ(message, "(Utils\\ArchiveFile:141): Error while reading file, couldn't read 5");
    EXPECT_EQ(std::string(buffer, 6), "abc...");
    EXPECT_EQ(archive.tell(handle), 3);
    archive.close(handle);
}

TEST_F(ArchiveFileTest, ReadsNeverReturnTheNextEntrysBytes) {
    mount(zipOf({Entry("a", "ab\x01"), Entry("b", std::string("NEXT\0", 5))}));
    FileHandle* handle = archive.open("a", kFileRead);
    ASSERT_NE(handle, nullptr);
    EXPECT_EQ(archive.readByte(handle), 'a');
    char* text = archive.readString(handle);
    EXPECT_EQ(std::string(text), "b\x01");
    free(text);
    EXPECT_EQ(archive.tell(handle), 3);
    EXPECT_EQ(archive.readByte(handle), EOF);
    char* none = archive.readString(handle);
    EXPECT_EQ(std::string(none), "");
    free(none);
    EXPECT_EQ(archive.tell(handle), 3);
    archive.close(handle);
}

TEST_F(ArchiveFileTest, ReadOfWholeItemsThatFitSucceedsAndReturnsTheCount) {
    mount(zipOf({Entry("a", "0123456789")}));
    FileHandle* handle = archive.open("a", kFileRead);
    ASSERT_NE(handle, nullptr);
    char buffer[10];
    EXPECT_EQ(archive.read(buffer, 4, 2, handle), 2);
    EXPECT_EQ(std::string(buffer, 8), "01234567");
    EXPECT_EQ(archive.tell(handle), 8);
    // One item of 4 does not fit in the 2 left.
    EXPECT_EQ(exceptionText([&] { archive.read(buffer, 4, 1, handle); }),
              "(Utils\\ArchiveFile:141): Error while reading file, couldn't read 1");
    EXPECT_EQ(archive.tell(handle), 8);
    EXPECT_EQ(archive.read(buffer, 2, 1, handle), 1);
    EXPECT_EQ(std::string(buffer, 2), "89");
    archive.close(handle);
}

TEST_F(ArchiveFileTest, ReadStringStopsAtTheZeroAndCountsIt) {
    mount(zipOf({Entry("s", std::string("abc\0def", 7))}));
    FileHandle* handle = archive.open("s", kFileRead);
    ASSERT_NE(handle, nullptr);
    char* first = archive.readString(handle);
    EXPECT_STREQ(first, "abc");
    EXPECT_EQ(archive.tell(handle), 4);
    char* second = archive.readString(handle);
    EXPECT_STREQ(second, "def");
    EXPECT_EQ(archive.tell(handle), 7);
    free(first);
    free(second);
    archive.close(handle);
}

// --- positioning ------------------------------------------------------------------

TEST_F(ArchiveFileTest, SeekMovesRelativeToStartCurrentAndEnd) {
    mount(zipOf({Entry("pad", "xxxx"), Entry("a", "0123456789")}));
    FileHandle* handle = archive.open("a", kFileRead);
    ASSERT_NE(handle, nullptr);
    EXPECT_EQ(archive.seek(handle, 0, SEEK_END), 0);
    EXPECT_EQ(archive.tell(handle), 10);
    EXPECT_EQ(archive.seek(handle, -3, SEEK_END), 0);
    EXPECT_EQ(archive.readByte(handle), '7');
    EXPECT_EQ(archive.seek(handle, 2, SEEK_SET), 0);
    EXPECT_EQ(archive.readByte(handle), '2');
    EXPECT_EQ(archive.seek(handle, 3, SEEK_CUR), 0);
    EXPECT_EQ(archive.tell(handle), 6);
    EXPECT_EQ(archive.readByte(handle), '6');
    archive.close(handle);
}

TEST_F(ArchiveFileTest, SeekBeforeTheStartOrWithUnknownWhenceChangesNothing) {
    mount(zipOf({Entry("a", "0123456789")}));
    FileHandle* handle = archive.open("a", kFileRead);
    ASSERT_NE(handle, nullptr);
    archive.seek(handle, 4, SEEK_SET);
    EXPECT_EQ(archive.seek(handle, -5, SEEK_CUR), -1);
    EXPECT_EQ(archive.seek(handle, 1, 7), -1);
    EXPECT_EQ(archive.tell(handle), 4);
    EXPECT_EQ(archive.readByte(handle), '4');
    archive.close(handle);
}

TEST_F(ArchiveFileTest, SeekPastTheEndReadsNothing) {
    mount(zipOf({Entry("a", "abc"), Entry("b", "NEXT")}));
    FileHandle* handle = archive.open("a", kFileRead);
    ASSERT_NE(handle, nullptr);
    EXPECT_EQ(archive.seek(handle, 5, SEEK_SET), 0);
    EXPECT_EQ(archive.tell(handle), 5);
    EXPECT_EQ(archive.readByte(handle), EOF);
    char byte;
    EXPECT_EQ(exceptionText([&] { archive.read(&byte, 1, 1, handle); }),
              "(Utils\\ArchiveFile:141): Error while reading file, couldn't read 1");
    archive.close(handle);
}

TEST_F(ArchiveFileTest, TwoHandlesReadAlternatelyEachSeeTheirOwnData) {
    mount(zipOf({Entry("a", "AAaaAA"), Entry("b", "BBbbBB")}));
    FileHandle* a = archive.open("a", kFileRead);
    FileHandle* b = archive.open("b", kFileRead);
    ASSERT_NE(a, nullptr);
    ASSERT_NE(b, nullptr);
    char buffer[2];
    std::string seen;
    for (FileHandle* handle : {a, b, a, b, a, b}) {
        archive.read(buffer, 1, 2, handle);
        seen.append(buffer, 2);
    }
    EXPECT_EQ(seen, "AABBaabbAABB");
    archive.close(a);
    archive.close(b);
}

TEST_F(ArchiveFileTest, OpeningAnotherEntryDoesNotDisturbAnOpenHandle) {
    mount(zipOf({Entry("a", "0123"), Entry("b", "wxyz")}));
    FileHandle* a = archive.open("a", kFileRead);
    ASSERT_NE(a, nullptr);
    EXPECT_EQ(archive.readByte(a), '0');
    EXPECT_EQ(archive.open("missing", kFileRead), nullptr);  // walks the whole archive
    FileHandle* b = archive.open("b", kFileRead);
    ASSERT_NE(b, nullptr);
    EXPECT_EQ(archive.readByte(a), '1');
    EXPECT_EQ(archive.readByte(b), 'w');
    archive.close(b);  // the current handle
    EXPECT_EQ(archive.readByte(a), '2');
    archive.close(a);
}

// --- unsupported and broken entries ---------------------------------------------------

TEST_F(ArchiveFileTest, ArchiveWithOnlyACompressedEntryOpensNothing) {
    mount(zipOf({Entry("packed", "zz").version(20).method(8).uncompressedSize(9)}));
    EXPECT_EQ(contentsOf("packed"), "<none>");
    EXPECT_EQ(contentsOf("other"), "<none>");
}

TEST_F(ArchiveFileTest, UnsupportedEntriesAreSkippedAndLaterEntriesStillOpen) {
    mount(zipOf({Entry("deflated", "zz").version(20).method(8).uncompressedSize(9),
                 Entry("v20", "v").version(20), Entry("method8", "m").method(8),
                 Entry("sizes", "s").uncompressedSize(2), Entry("encrypted", "e").flags(0x0001),
                 Entry("flag4", "f").flags(0x0004), Entry("stored", "ok")}));
    for (const char* name : {"deflated", "v20", "method8", "sizes", "encrypted", "flag4"}) {
        EXPECT_EQ(contentsOf(name), "<none>") << name;
    }
    EXPECT_EQ(contentsOf("stored"), "ok");
}

TEST_F(ArchiveFileTest, UnsupportedEntryDoesNotHideAStoredOneOfTheSameName) {
    mount(zipOf(
        {Entry("same", "zz").version(20).method(8).uncompressedSize(9), Entry("same", "plain")}));
    EXPECT_EQ(contentsOf("same"), "plain");
}

TEST_F(ArchiveFileTest, DataDescriptorEntryEndsTheScan) {
    mount(zipOf({Entry("first", "1"), Entry("streamed", "s").flags(0x0008), Entry("after", "a")}));
    EXPECT_EQ(contentsOf("first"), "1");
    EXPECT_EQ(contentsOf("streamed"), "<none>");
    EXPECT_EQ(contentsOf("after"), "<none>");
}

TEST_F(ArchiveFileTest, EntryReachingBeyondTheArchiveIsNotOpened) {
    std::string bytes =
        localEntry(Entry("ok", "fine")) +
        localEntry(Entry("big", "tiny").compressedSize(0x7FFFFFF0).uncompressedSize(0x7FFFFFF0));
    mount(bytes);
    EXPECT_EQ(contentsOf("ok"), "fine");
    EXPECT_EQ(contentsOf("big"), "<none>");
    EXPECT_EQ(contentsOf("later"), "<none>");
}

TEST_F(ArchiveFileTest, MaximalSizesDoNotOverflowTheOffsets) {
    mount(localEntry(Entry("huge", "x").compressedSize(0xFFFFFFFF).uncompressedSize(0xFFFFFFFF)));
    EXPECT_EQ(contentsOf("huge"), "<none>");
}

TEST_F(ArchiveFileTest, ArchiveCutOffInsideAnEntryKeepsTheEarlierEntries) {
    std::string whole = zipOf({Entry("first", "11"), Entry("second", "2222")});
    const size_t secondHeader = 30 + 5 + 2;
    for (size_t cut : {secondHeader + 10, secondHeader + 30 + 3, secondHeader + 30 + 6 + 2}) {
        ArchiveFile truncated;
        std::string file = dir.write("Cut.zip", whole.substr(0, cut)).string();
        ASSERT_TRUE(truncated.mount(file.c_str()));
        FileHandle* first = truncated.open("first", kFileRead);
        ASSERT_NE(first, nullptr) << cut;
        truncated.close(first);
        EXPECT_EQ(truncated.open("second", kFileRead), nullptr) << cut;
    }
}

TEST_F(ArchiveFileTest, GarbageAfterAnEntryEndsTheScan) {
    mount(localEntry(Entry("first", "1")) + "garbage that is no header at all");
    EXPECT_EQ(contentsOf("first"), "1");
    EXPECT_EQ(contentsOf("second"), "<none>");
}

// --- writing and modes -------------------------------------------------------------

TEST_F(ArchiveFileTest, WritesThrowBecauseArchivesAreReadOnly) {
    mount(zipOf({Entry("a", "abc")}));
    FileHandle* handle = archive.open("a", kFileRead);
    ASSERT_NE(handle, nullptr);
    std::string byteMessage, blockMessage;
    try {
        archive.writeByte('x', handle);
    } catch (Exception* e) {
        byteMessage = messageOf(e);
    }
    try {
        archive.write("xy", 1, 2, handle);
    } catch (Exception* e) {
        blockMessage = messageOf(e);
    }
    EXPECT_EQ(byteMessage, "(Utils\\ArchiveFile:126): Can't write to an archive file");
    EXPECT_EQ(blockMessage, "(Utils\\ArchiveFile:131): Can't write to an archive file");
    EXPECT_EQ(readAll(handle), "abc");
    archive.close(handle);
}

int occurrences(const std::string& text, const std::string& part) {
    int count = 0;
    for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1))
        ++count;
    return count;
}

TEST_F(ArchiveFileTest, WriteModeShowsTheFatalBoxOnceThenOpensForReading) {
    mount(zipOf({Entry("a", "abc")}));
    drainPostedCloses();
    testing::internal::CaptureStderr();
    FileHandle* handle = archive.open("a", kFileWrite);
    std::string out = testing::internal::GetCapturedStderr();
    EXPECT_EQ(occurrences(out, "ERROR: Can't open a .ZIP file for anything but read"), 1) << out;
    EXPECT_EQ(occurrences(out, "in file ArchiveFile at row 57"), 1) << out;
    EXPECT_EQ(drainPostedCloses(), 1);
    ASSERT_NE(handle, nullptr);
    EXPECT_EQ(readAll(handle), "abc");
    archive.close(handle);
}

// --- in the search list ------------------------------------------------------------

// The start-up mounts: working directory, textures\, shaders\, lshaders\, Data.zip.
class StartupSourcesTest : public testing::Test {
protected:
    void SetUp() override {
        dir.write("white.tga", "working directory copy");
        dir.write("textures/stone.tga", "textures copy");
        dir.write(
            "Data.zip",
            zipOf({Entry("white.tga", "archive white"), Entry("stone.tga", "archive stone"),
                   Entry("only.rt", "archive only"), Entry("shaders/deep.vp", "archive deep")}));
        for (const char* prefix : {"", "textures\\", "shaders\\", "lshaders\\"}) {
            ASSERT_TRUE(files.mount(new CommonFile, prefix));
        }
        auto* archive = new ArchiveFile;
        ASSERT_TRUE(files.mount(archive, "Data.zip"));
    }

    std::string contentsOf(const char* name) {
        FileHandle* handle = files.open(name, kFileRead);
        if (!handle) return "<none>";
        std::string bytes(static_cast<size_t>(handle->size), '\0');
        fileRead(bytes.data(), 1, handle->size, handle);
        fileClose(handle);
        return bytes;
    }

    test::TempDir dir;
    test::ScopedWorkingDirectory cwd{dir.path()};
    FileSystem files;
};

TEST_F(StartupSourcesTest, WorkingDirectoryCopyWinsOverTheArchive) {
    EXPECT_EQ(contentsOf("white.tga"), "working directory copy");
}

TEST_F(StartupSourcesTest, FolderCopyWinsOverTheArchive) {
    EXPECT_EQ(contentsOf("stone.tga"), "textures copy");
}

TEST_F(StartupSourcesTest, ArchiveIsConsultedLast) {
    FileHandle* handle = files.open("only.rt", kFileRead);
    ASSERT_NE(handle, nullptr);
    EXPECT_EQ(handle->owner, files.sources().back());
    fileClose(handle);
    EXPECT_EQ(contentsOf("only.rt"), "archive only");
    EXPECT_EQ(contentsOf("shaders\\deep.vp"), "archive deep");
    EXPECT_EQ(contentsOf("nowhere.tga"), "<none>");
}

class WholeEntryLoader : public FileLoader {
public:
    std::string bytes;

protected:
    void parse(const void* block, int size) override {
        FileBytes owned(block);
        bytes.assign(static_cast<const char*>(block), static_cast<size_t>(size));
    }
};

TEST_F(StartupSourcesTest, FileLoaderReadsAnArchiveEntryWhole) {
    // FileLoader goes through the process-wide list.
    fileSystem().clear();
    auto* archive = new ArchiveFile;
    ASSERT_TRUE(fileSystem().mount(archive, "Data.zip"));
    WholeEntryLoader loader;
    EXPECT_TRUE(loader.load("stone.tga"));
    fileSystem().clear();
    EXPECT_EQ(loader.bytes, "archive stone");
}

}  // namespace
}  // namespace arvel
