// Level sources found by fuzzing the level compiler.
#include <gtest/gtest.h>

#include <string>

#include "LevelTestSupport.h"

namespace arvel::test {
namespace {

using level::LevelError;

// A number too large for a double escaped parsing as the JSON library's own exception
// instead of a level error with a line.
TEST(LevelSourceFuzzRegression, aNumberBeyondADoubleIsASyntaxErrorOnItsLine) {
    const std::string text = "{\n\"materials\": {},\n\"sectors\": [\n{\"name\": 1e999}]\n}";
    try {
        level::parseLevel(text, "bad.json");
        ADD_FAILURE() << "no error";
    } catch (const LevelError& error) {
        EXPECT_EQ(error.line(), 4);
        EXPECT_EQ(std::string(error.what()),
                  "bad.json:4: syntax error: number overflow parsing '1e999'");
    }
}

}  // namespace
}  // namespace arvel::test
