#include "fs/DataStream.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "core/Exception.h"
#include "support/ExceptionText.h"

namespace arvel {
namespace {

using test::exceptionText;

const std::string kReadPastEnd = "(Utils\\DataStream:150): Read past the end of a data stream\n";

DataStream streamOf(const std::vector<uint8_t>& bytes) {
    return DataStream(bytes.data(), static_cast<int>(bytes.size()));
}

TEST(DataStreamValues, ByteIsUnsigned) {
    DataStream stream = streamOf({0xFF, 0x00, 0x80});
    EXPECT_EQ(stream.readByte(), 255);
    EXPECT_EQ(stream.readByte(), 0);
    EXPECT_EQ(stream.readByte(), 128);
}

TEST(DataStreamValues, UInt16IsLittleEndianAndUnsigned) {
    DataStream stream = streamOf({0x34, 0x12, 0xFF, 0xFF});
    EXPECT_EQ(stream.readUInt16(), 0x1234);
    EXPECT_EQ(stream.readUInt16(), 65535);
}

TEST(DataStreamValues, Int32IsLittleEndianAndSigned) {
    DataStream stream =
        streamOf({0x78, 0x56, 0x34, 0x12, 0xFF, 0xFF, 0xFF, 0xFF, 0x00, 0x00, 0x00, 0x80});
    EXPECT_EQ(stream.readInt32(), 0x12345678);
    EXPECT_EQ(stream.readInt32(), -1);
    EXPECT_EQ(stream.readInt32(), INT32_MIN);
}

TEST(DataStreamValues, FloatIsLittleEndianIeee) {
    // 1.5f = 0x3FC00000, -2.0f = 0xC0000000
    DataStream stream = streamOf({0x00, 0x00, 0xC0, 0x3F, 0x00, 0x00, 0x00, 0xC0});
    EXPECT_EQ(stream.readFloat(), 1.5f);
    EXPECT_EQ(stream.readFloat(), -2.0f);
}

TEST(DataStreamValues, Vec2ReadsUThenV) {
    // 0.25f = 0x3E800000, 4.0f = 0x40800000
    DataStream stream = streamOf({0x00, 0x00, 0x80, 0x3E, 0x00, 0x00, 0x80, 0x40});
    Vector2 uv = stream.readVec2();
    EXPECT_EQ(uv, (Vector2{0.25f, 4.0f}));
    EXPECT_EQ(stream.position(), 8);
}

TEST(DataStreamValues, Vec3HasZeroFourthComponentEvenWhenMoreBytesFollow) {
    // 1.0f, 2.0f, 3.0f, then 5.0f that must not end up in w
    DataStream stream = streamOf({0x00, 0x00, 0x80, 0x3F, 0x00, 0x00, 0x00, 0x40, 0x00, 0x00, 0x40,
                                  0x40, 0x00, 0x00, 0xA0, 0x40});
    Vector4 v = stream.readVec3();
    EXPECT_EQ(v, (Vector4{1.0f, 2.0f, 3.0f, 0.0f}));
    EXPECT_EQ(stream.position(), 12);
}

TEST(DataStreamValues, ValuesNeedNoAlignment) {
    DataStream stream = streamOf({0xAA, 0x78, 0x56, 0x34, 0x12, 0x00, 0x00, 0x80, 0x3F});
    stream.readByte();
    EXPECT_EQ(stream.readInt32(), 0x12345678);
    EXPECT_EQ(stream.readFloat(), 1.0f);
}

TEST(DataStreamValues, EachReadAdvancesByItsSize) {
    std::vector<uint8_t> bytes(31, 0);
    DataStream stream = streamOf(bytes);
    stream.readByte();
    EXPECT_EQ(stream.position(), 1);
    stream.readUInt16();
    EXPECT_EQ(stream.position(), 3);
    stream.readInt32();
    EXPECT_EQ(stream.position(), 7);
    stream.readFloat();
    EXPECT_EQ(stream.position(), 11);
    stream.readVec2();
    EXPECT_EQ(stream.position(), 19);
    stream.readVec3();
    EXPECT_EQ(stream.position(), 31);
}

TEST(DataStreamValues, StreamKeepsItsOwnCopyOfTheBytes) {
    std::vector<uint8_t> bytes{1, 2, 3, 4};
    DataStream stream = streamOf(bytes);
    bytes.assign(4, 9);
    EXPECT_EQ(stream.readInt32(), 0x04030201);
}

TEST(DataStreamBounds, ReadOfZeroBytesAtTheEndSucceeds) {
    DataStream stream = streamOf({1, 2});
    char buffer[2];
    stream.read(buffer, 2);
    EXPECT_EQ(exceptionText([&] { stream.read(buffer, 0); }), "");
    EXPECT_EQ(stream.position(), 2);
}

TEST(DataStreamBounds, ReadOfOneByteAtTheEndThrowsReadPastEnd) {
    DataStream stream = streamOf({1, 2});
    char buffer[3] = {0, 0, 0};
    stream.read(buffer, 2);
    EXPECT_EQ(buffer[0], 1);
    EXPECT_EQ(buffer[1], 2);
    EXPECT_EQ(exceptionText([&] { stream.read(buffer, 1); }), kReadPastEnd);
    EXPECT_EQ(stream.position(), 2);
}

TEST(DataStreamBounds, ReadCopiesNothingWhenItDoesNotFit) {
    DataStream stream = streamOf({1, 2, 3});
    char buffer[4] = {9, 9, 9, 9};
    EXPECT_EQ(exceptionText([&] { stream.read(buffer, 4); }), kReadPastEnd);
    EXPECT_EQ(buffer[0], 9);
    EXPECT_EQ(stream.position(), 0);
}

TEST(DataStreamBounds, NegativeReadLengthThrows) {
    DataStream stream = streamOf({1, 2, 3});
    char buffer[1];
    EXPECT_EQ(exceptionText([&] { stream.read(buffer, -1); }), kReadPastEnd);
    EXPECT_EQ(stream.position(), 0);
}

TEST(DataStreamBounds, TypedReadsThrowWhenTooFewBytesRemainAndKeepThePosition) {
    DataStream stream = streamOf({1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11});
    stream.skip(3);  // 8 bytes left
    EXPECT_EQ(exceptionText([&] { stream.readVec3(); }), kReadPastEnd);
    EXPECT_EQ(stream.position(), 3);
    stream.skip(5);  // 3 bytes left
    EXPECT_EQ(exceptionText([&] { stream.readInt32(); }), kReadPastEnd);
    EXPECT_EQ(exceptionText([&] { stream.readFloat(); }), kReadPastEnd);
    EXPECT_EQ(exceptionText([&] { stream.readVec2(); }), kReadPastEnd);
    EXPECT_EQ(stream.position(), 8);
    EXPECT_EQ(stream.readUInt16(), 0x0A09);
    EXPECT_EQ(exceptionText([&] { stream.readUInt16(); }), kReadPastEnd);
    EXPECT_EQ(stream.readByte(), 11);
    EXPECT_EQ(exceptionText([&] { stream.readByte(); }), kReadPastEnd);
    EXPECT_EQ(stream.position(), 11);
}

TEST(DataStreamBounds, EmptyStreamReadsNothing) {
    DataStream stream(nullptr, 0);
    EXPECT_EQ(stream.size(), 0);
    EXPECT_EQ(exceptionText([&] { stream.read(nullptr, 0); }), "");
    EXPECT_EQ(exceptionText([&] { stream.readByte(); }), kReadPastEnd);
    EXPECT_EQ(exceptionText([&] { stream.readString(); }), kReadPastEnd);
}

TEST(DataStreamBounds, SkipPastTheEndIsAllowedButTheNextReadThrows) {
    DataStream stream = streamOf({1, 2, 3, 4});
    stream.skip(10);
    EXPECT_EQ(stream.position(), 10);
    EXPECT_EQ(stream.remaining(), 0);
    EXPECT_EQ(exceptionText([&] { stream.readByte(); }), kReadPastEnd);
    EXPECT_EQ(exceptionText([&] { stream.readString(); }), kReadPastEnd);
    EXPECT_EQ(exceptionText([&] { stream.read(nullptr, 0); }), kReadPastEnd);
}

TEST(DataStreamBounds, SkipBackIsAllowedButNotBeforeTheStart) {
    DataStream stream = streamOf({1, 2, 3, 4});
    stream.skip(3);
    stream.skip(-2);
    EXPECT_EQ(stream.readByte(), 2);
    std::string message = exceptionText([&] { stream.skip(-3); });
    EXPECT_NE(message.find("outside a data stream"), std::string::npos) << message;
    EXPECT_EQ(stream.position(), 2);
    EXPECT_EQ(stream.readByte(), 3);
}

TEST(DataStreamBounds, HugeSkipDoesNotWrapAround) {
    DataStream stream = streamOf({1, 2, 3, 4});
    stream.skip(INT32_MAX - 1);
    EXPECT_NE(exceptionText([&] { stream.skip(INT32_MAX); }), "");
    EXPECT_EQ(stream.position(), INT32_MAX - 1);
    EXPECT_EQ(exceptionText([&] { stream.readInt32(); }), kReadPastEnd);
}

TEST(DataStreamBounds, DestroyEmptiesTheStream) {
    DataStream stream = streamOf({1, 2, 3, 4});
    stream.readByte();
    stream.destroy();
    EXPECT_EQ(stream.size(), 0);
    EXPECT_EQ(stream.position(), 0);
    EXPECT_EQ(exceptionText([&] { stream.readByte(); }), kReadPastEnd);
    EXPECT_EQ(exceptionText([&] { stream.readString(); }), kReadPastEnd);
}

std::vector<uint8_t> bytesOf(const std::string& text) { return {text.begin(), text.end()}; }

TEST(DataStreamStrings, ReadsUpToAndIncludingTheZero) {
    DataStream stream = streamOf(bytesOf(std::string("abc\0de\0", 7) + "\x05"));
    EXPECT_STREQ(stream.readString(), "abc");
    EXPECT_EQ(stream.position(), 4);
    EXPECT_STREQ(stream.readString(), "de");
    EXPECT_EQ(stream.position(), 7);
    EXPECT_EQ(stream.readByte(), 5);
}

TEST(DataStreamStrings, EmptyStringIsJustTheZero) {
    DataStream stream = streamOf({0, 'x', 0});
    EXPECT_STREQ(stream.readString(), "");
    EXPECT_EQ(stream.position(), 1);
}

TEST(DataStreamStrings, NextStringReusesTheSameBuffer) {
    DataStream stream = streamOf(bytesOf(std::string("first\0second\0", 13)));
    const char* first = stream.readString();
    const char* second = stream.readString();
    EXPECT_EQ(first, second);
    EXPECT_STREQ(second, "second");
}

TEST(DataStreamStrings, MissingZeroThrowsAndKeepsThePosition) {
    DataStream stream = streamOf(bytesOf("abc"));
    EXPECT_EQ(exceptionText([&] { stream.readString(); }), kReadPastEnd);
    EXPECT_EQ(stream.position(), 0);
    EXPECT_EQ(stream.readByte(), 'a');
}

TEST(DataStreamStrings, StringLongerThan65536BytesGrowsTheBufferTo131072) {
    std::string text(70000, 'q');
    text[69999] = 'z';
    std::vector<uint8_t> bytes = bytesOf(text);
    bytes.push_back(0);
    DataStream stream = streamOf(bytes);
    EXPECT_EQ(stream.stringCapacity(), 65536);
    const char* read = stream.readString();
    EXPECT_EQ(std::string(read), text);
    EXPECT_EQ(stream.stringCapacity(), 131072);
    EXPECT_EQ(stream.position(), 70001);
}

TEST(DataStreamStrings, BufferDoublesWhenTheCopiedBytesReachItsCapacity) {
    // 65534 characters and the 0 stay below 65536; one more character reaches it.
    std::vector<uint8_t> fits(65534, 'a');
    fits.push_back(0);
    DataStream small = streamOf(fits);
    EXPECT_EQ(strlen(small.readString()), 65534u);
    EXPECT_EQ(small.stringCapacity(), 65536);

    std::vector<uint8_t> reaches(65535, 'b');
    reaches.push_back(0);
    DataStream large = streamOf(reaches);
    EXPECT_EQ(strlen(large.readString()), 65535u);
    EXPECT_EQ(large.stringCapacity(), 131072);
}

}  // namespace
}  // namespace arvel
