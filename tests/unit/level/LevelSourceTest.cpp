// Level sources that are not levels: every message names the line and the field.
#include <gtest/gtest.h>

#include <string>

#include "LevelTestSupport.h"
#include "level/JsonLocator.h"

namespace arvel::test {
namespace {

using level::LevelError;

// The error a source gives when parsed and compiled; fails the test when none.
LevelError errorOf(const std::string& text) {
    try {
        level::compileLevel(level::parseLevel(text, "bad.json"));
    } catch (const LevelError& error) {
        return error;
    }
    ADD_FAILURE() << "no error for:\n" << text;
    return LevelError("", 0, "", "");
}

const char* kRoom =
    R"({"name": "a", "brushes": [{"type": "room", "min": [0, 0, 0], "max": [10, 10, 10], "material": "wall"}]})";

TEST(LevelSourceTest, aSyntaxErrorNamesItsLine) {
    const LevelError error = errorOf("{\n\"materials\": {},\n\"sectors\": [\n1 2]\n}");
    EXPECT_EQ(error.line(), 4);
    EXPECT_EQ(std::string(error.what()).rfind("bad.json:4: syntax error: ", 0), 0u) << error.what();
}

TEST(LevelSourceTest, aTruncatedFileNamesItsLastLine) {
    const LevelError error = errorOf("{\n\"materials\": {\n");
    EXPECT_EQ(error.line(), 3);
}

TEST(LevelSourceTest, aMissingFieldNamesTheObjectThatLacksIt) {
    const std::string text = levelJson(
        "[\n{\"name\": \"a\",\n \"brushes\": [\n  {\"type\": \"room\", \"min\": [0, 0, 0],\n"
        "   \"material\": \"wall\"}]}]");
    const LevelError error = errorOf(text);
    EXPECT_EQ(error.path(), "/sectors/0/brushes/0");
    EXPECT_EQ(error.line(), 5);
    EXPECT_STREQ(error.what(), "bad.json:5: /sectors/0/brushes/0: missing field \"max\"");
}

TEST(LevelSourceTest, aValueOfTheWrongTypeNamesItsPathAndLine) {
    const std::string text = levelJson(
        "[{\"name\": \"a\", \"brushes\": [{\"type\": \"room\",\n\"min\": [0, 0, 0],\n"
        "\"max\": [10,\n\"ten\", 10], \"material\": \"wall\"}]}]");
    const LevelError error = errorOf(text);
    EXPECT_EQ(error.path(), "/sectors/0/brushes/0/max/1");
    EXPECT_EQ(error.line(), 5);
    EXPECT_NE(std::string(error.what()).find("expected a number"), std::string::npos);
}

TEST(LevelSourceTest, anUnknownMaterialIsNamedWhereItIsUsed) {
    const std::string text = levelJson(
        "[{\"name\": \"a\", \"brushes\": [{\"type\": \"room\", \"min\": [0, 0, 0], \"max\": [10, "
        "10, "
        "10],\n\"material\": \"wall\", \"floor\": \"marble\"}]}]");
    const LevelError error = errorOf(text);
    EXPECT_EQ(error.path(), "/sectors/0/brushes/0/floor");
    EXPECT_EQ(error.line(), 3);
    EXPECT_NE(std::string(error.what()).find("unknown material \"marble\""), std::string::npos);
}

TEST(LevelSourceTest, aMisspelledFieldIsRefused) {
    const LevelError error = errorOf(levelJson(std::string("[") + kRoom + "]", "[]",
                                               "[{\"position\": [5, 5, 5], \"inner\": 1, "
                                               "\"outer\": 4,\n\"color\": [1, 1, 1], \"static\": "
                                               "true}]"));
    EXPECT_EQ(error.path(), "/lights/0/color");
    EXPECT_EQ(error.line(), 5);
}

TEST(LevelSourceTest, anInnerRadiusBeyondTheOuterIsRefused) {
    const LevelError error = errorOf(
        levelJson(std::string("[") + kRoom + "]", "[]",
                  "[{\"position\": [5, 5, 5], \"inner\": 6, \"outer\": 4, \"colour\": [1, 1, 1], "
                  "\"static\": true}]"));
    EXPECT_EQ(error.path(), "/lights/0/inner");
}

TEST(LevelSourceTest, twoSectorsOfOneNameAreRefused) {
    const LevelError error = errorOf(levelJson(std::string("[") + kRoom + ",\n" + kRoom + "]"));
    EXPECT_EQ(error.path(), "/sectors/1/name");
    EXPECT_EQ(error.line(), 3);
}

TEST(LevelSourceTest, aSectorWithoutARoomIsRefused) {
    const LevelError error = errorOf(levelJson(
        "[{\"name\": \"a\", \"brushes\": [{\"type\": \"block\", \"min\": [0, 0, 0], \"max\": [1, "
        "1, 1], \"material\": \"wall\"}]}]"));
    EXPECT_EQ(error.path(), "/sectors/0/brushes");
}

TEST(LevelSourceTest, aPortalJoiningASectorToItselfIsRefused) {
    const LevelError error = errorOf(
        levelJson(std::string("[") + kRoom + "]",
                  "[{\"sectors\": [\"a\", \"a\"], \"min\": [0, 0, 0], \"max\": [0, 1, 1]}]"));
    EXPECT_EQ(error.path(), "/portals/0/sectors");
}

TEST(LevelSourceTest, aPortalThatIsNotFlatIsRefused) {
    const std::string b =
        R"({"name": "b", "brushes": [{"type": "room", "min": [10, 0, 0], "max": [20, 10, 10], "material": "wall"}]})";
    const LevelError error = errorOf(
        levelJson(std::string("[") + kRoom + ",\n" + b + "]",
                  "[{\"sectors\": [\"a\", \"b\"], \"min\": [10, 0, 0], \"max\": [11, 1, 1]}]"));
    EXPECT_EQ(error.path(), "/portals/0/max");
    EXPECT_NE(std::string(error.what()).find("exactly one axis"), std::string::npos);
}

TEST(LevelSourceTest, aCoordinateBeyondAMillionIsRefused) {
    const LevelError error = errorOf(
        levelJson("[{\"name\": \"a\", \"brushes\": [{\"type\": \"room\", \"min\": [0, 0, 0], "
                  "\"max\": [10, 1e300, 10], \"material\": \"wall\"}]}]"));
    EXPECT_EQ(error.path(), "/sectors/0/brushes/0/max/1");
}

TEST(LevelSourceTest, aPortalOnNoWallOfItsSectorIsRefusedWhenCompiled) {
    const std::string b =
        R"({"name": "b", "brushes": [{"type": "room", "min": [10, 0, 0], "max": [20, 10, 10], "material": "wall"}]})";
    const LevelError error = errorOf(
        levelJson(std::string("[") + kRoom + ",\n" + b + "]",
                  "[\n{\"sectors\": [\"a\", \"b\"],\n\"min\": [5, 2, 2], \"max\": [5, 6, 6]}]"));
    EXPECT_EQ(error.path(), "/portals/0/min");
    EXPECT_EQ(error.line(), 6);
    EXPECT_NE(std::string(error.what()).find("sector \"a\""), std::string::npos) << error.what();
}

TEST(LevelSourceTest, aLightOutsideEveryRoomIsRefusedWhenCompiled) {
    const LevelError error = errorOf(
        levelJson(std::string("[") + kRoom + "]", "[]",
                  "[\n{\"position\": [50, 5, 5], \"inner\": 1, \"outer\": 4, \"colour\": [1, 1, "
                  "1], \"static\": false}]"));
    EXPECT_EQ(error.path(), "/lights/0/position");
    EXPECT_EQ(error.line(), 5);
}

TEST(LevelSourceTest, aModelFileThatCannotBeOpenedIsNamed) {
    const std::string sector =
        R"([{"name": "a", "brushes": [{"type": "room", "min": [0, 0, 0], "max": [10, 10, 10], "material": "wall"}],
"props": [{"model": "file", "file": "no-such-crate.msh", "position": [5, 0, 5], "material": "wall"}]}])";
    const LevelError error = errorOf(levelJson(sector));
    EXPECT_EQ(error.path(), "/sectors/0/props/0/file");
    EXPECT_EQ(error.line(), 3);
    EXPECT_NE(std::string(error.what()).find("no-such-crate.msh"), std::string::npos);
}

TEST(LevelSourceTest, aFileThatCannotBeReadIsNamed) {
    try {
        level::loadLevel("/nonexistent/level.json");
        FAIL() << "no error";
    } catch (const LevelError& error) {
        EXPECT_STREQ(error.what(), "/nonexistent/level.json: cannot be read");
    }
}

TEST(LevelSourceTest, aGoodSourceKeepsWhatItSays) {
    const level::LevelSource source = level::parseLevel(
        levelJson(std::string("[") + kRoom + "]", "[]",
                  "[{\"position\": [5, 5, 5], \"inner\": 1, \"outer\": 4, \"colour\": [1, 0.5, "
                  "0.25], \"static\": false, \"name\": \"lamp\"}]"),
        "good.json");
    ASSERT_EQ(source.sectors.size(), 1u);
    EXPECT_EQ(source.sectors[0].brushes[0].max.y, 10.0);
    ASSERT_EQ(source.lights.size(), 1u);
    EXPECT_FALSE(source.lights[0].isStatic);
    EXPECT_EQ(source.lights[0].colour[2], 0.25);
    EXPECT_EQ(source.lights[0].name, "lamp");
    EXPECT_EQ(source.materials[0].textures, std::vector<std::string>{"white.tga"});
}

TEST(JsonLocatorTest, findsTheLineOfNestedValuesAndSkipsLookalikes) {
    const std::string text = "{\"a\": [\n  {\"b\": 1},\n  {\"b\": [2,\n 3]}],\n\"b\": \"x\"}";
    EXPECT_EQ(level::lineOfPointer(text, "/a/1/b/1"), 4);
    EXPECT_EQ(level::lineOfPointer(text, "/a/0/b"), 2);
    EXPECT_EQ(level::lineOfPointer(text, "/b"), 5);
    EXPECT_EQ(level::lineOfPointer(text, "/a/1/missing"), 3);  // its object's line
    EXPECT_EQ(level::lineOfPointer(text, ""), 1);
}

TEST(JsonLocatorTest, keysWithEscapedQuotesDoNotLoseTheScan) {
    const std::string text = "{\"k\\\"ey\": 1,\n\"next\": 2}";
    EXPECT_EQ(level::lineOfPointer(text, "/next"), 2);
}

}  // namespace
}  // namespace arvel::test
