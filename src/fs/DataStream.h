// A cursor over a private copy of a file's bytes with typed little-endian reads. Every
// read is bounded by the data: one that needs more bytes than remain throws an
// Exception ("Read past the end of a data stream") and leaves the position alone.
#pragma once

#include <cstdint>

#include "core/math/Vector4.h"

namespace arvel {

// Texture coordinates as stored in the data files.
struct Vector2 {
    float u = 0.0f, v = 0.0f;
    friend bool operator==(const Vector2&, const Vector2&) = default;
};

class DataStream {
public:
    static constexpr int32_t kInitialStringCapacity = 65536;

    // Copies size bytes (none when size is not positive).
    DataStream(const void* bytes, int size);
    ~DataStream() { destroy(); }
    DataStream(const DataStream&) = delete;
    DataStream& operator=(const DataStream&) = delete;

    uint8_t readByte();
    uint16_t readUInt16();
    int32_t readInt32();
    float readFloat();
    Vector2 readVec2();
    Vector4 readVec3();  // w = 0
    // Bytes up to and including the next 0. The result lives in the stream's buffer
    // and is overwritten by the next readString; copy it to keep it.
    const char* readString();
    void read(void* destination, int length);
    // Moves on by n (negative moves back). Past the end is allowed, the next read
    // throws; before the start throws at once.
    void skip(int n);
    // Frees the bytes and the string buffer; the stream is then empty.
    void destroy();

    int32_t size() const { return size_; }
    int32_t position() const { return position_; }
    int32_t remaining() const { return position_ < limit_ ? limit_ - position_ : 0; }
    int32_t stringCapacity() const { return stringCapacity_; }

private:
    // The bytes of the next length-byte read, after checking they exist.
    const uint8_t* take(int length);

    int32_t size_ = 0;
    int32_t limit_ = 0;
    int32_t position_ = 0;
    uint8_t* data_ = nullptr;  // malloc'd
    int32_t stringCapacity_ = 0;
    char* stringBuffer_ = nullptr;  // malloc'd
};

}  // namespace arvel
