#include "fs/DataStream.h"

#include <cstdlib>
#include <cstring>

#include "core/Exception.h"

namespace arvel {

namespace {

constexpr const char* kSource = "Utils\\DataStream";
constexpr int kReadPastEndLine = 150;

[[noreturn]] void throwReadPastEnd() {
    throw new Exception(kReadPastEndLine, kSource, "Read past the end of a data stream\n");
}

uint32_t littleEndian32(const uint8_t* bytes) {
    return static_cast<uint32_t>(bytes[0]) | static_cast<uint32_t>(bytes[1]) << 8 |
           static_cast<uint32_t>(bytes[2]) << 16 | static_cast<uint32_t>(bytes[3]) << 24;
}

float floatAt(const uint8_t* bytes) {
    uint32_t bits = littleEndian32(bytes);
    float value;
    memcpy(&value, &bits, sizeof value);
    return value;
}

}  // namespace

DataStream::DataStream(const void* bytes, int size) {
    if (size > 0 && bytes) {
        data_ = static_cast<uint8_t*>(malloc(static_cast<size_t>(size)));
        if (!data_)
            throw new Exception(__LINE__, kSource, "Out of memory for a data stream of %d bytes\n",
                                size);
        memcpy(data_, bytes, static_cast<size_t>(size));
        size_ = size;
    }
    limit_ = size_;
    stringBuffer_ = static_cast<char*>(malloc(kInitialStringCapacity));
    if (!stringBuffer_) {
        free(data_);
        throw new Exception(__LINE__, kSource, "Out of memory for a data stream\n");
    }
    stringCapacity_ = kInitialStringCapacity;
}

const uint8_t* DataStream::take(int length) {
    // 64-bit sum: position may sit far past the end after a skip.
    if (length < 0 || static_cast<int64_t>(position_) + length > limit_) throwReadPastEnd();
    const uint8_t* bytes = data_ + position_;
    position_ += length;
    return bytes;
}

uint8_t DataStream::readByte() { return *take(1); }

uint16_t DataStream::readUInt16() {
    const uint8_t* bytes = take(2);
    return static_cast<uint16_t>(bytes[0] | bytes[1] << 8);
}

int32_t DataStream::readInt32() { return static_cast<int32_t>(littleEndian32(take(4))); }

float DataStream::readFloat() { return floatAt(take(4)); }

Vector2 DataStream::readVec2() {
    const uint8_t* bytes = take(8);
    return {floatAt(bytes), floatAt(bytes + 4)};
}

Vector4 DataStream::readVec3() {
    const uint8_t* bytes = take(12);
    return {floatAt(bytes), floatAt(bytes + 4), floatAt(bytes + 8), 0.0f};
}

const char* DataStream::readString() {
    if (position_ >= limit_) throwReadPastEnd();
    const uint8_t* start = data_ + position_;
    const void* end = memchr(start, 0, static_cast<size_t>(limit_ - position_));
    if (!end) throwReadPastEnd();
    int32_t length = static_cast<int32_t>(static_cast<const uint8_t*>(end) - start) + 1;
    // The buffer doubles each time the bytes copied reach its capacity.
    int64_t capacity = stringCapacity_;
    while (capacity <= length) capacity *= 2;
    if (capacity != stringCapacity_) {
        char* grown =
            capacity <= INT32_MAX
                ? static_cast<char*>(realloc(stringBuffer_, static_cast<size_t>(capacity)))
                : nullptr;
        if (!grown)
            throw new Exception(__LINE__, kSource, "Out of memory for a string of %d bytes\n",
                                length);
        stringBuffer_ = grown;
        stringCapacity_ = static_cast<int32_t>(capacity);
    }
    memcpy(stringBuffer_, start, static_cast<size_t>(length));
    position_ += length;
    return stringBuffer_;
}

void DataStream::read(void* destination, int length) {
    const uint8_t* bytes = take(length);
    if (length > 0) memcpy(destination, bytes, static_cast<size_t>(length));
}

void DataStream::skip(int n) {
    int64_t target = static_cast<int64_t>(position_) + n;
    if (target < 0 || target > INT32_MAX) {
        throw new Exception(__LINE__, kSource, "Skip to %lld, outside a data stream\n",
                            static_cast<long long>(target));
    }
    position_ = static_cast<int32_t>(target);
}

void DataStream::destroy() {
    free(data_);
    free(stringBuffer_);
    data_ = nullptr;
    stringBuffer_ = nullptr;
    size_ = 0;
    limit_ = 0;
    position_ = 0;
    stringCapacity_ = 0;
}

}  // namespace arvel
