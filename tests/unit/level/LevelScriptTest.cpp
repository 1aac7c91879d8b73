// The meshes and camera start of a level source: arvel-level writes them as console
// statements into NAME.cfg beside NAME.otm, and refuses places outside every room.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "LevelTestSupport.h"
#include "support/Process.h"

namespace arvel::test {
namespace {

const char* kTwoRooms =
    R"([{"name": "a", "brushes": [{"type": "room", "min": [0, 0, 0], "max": [10, 10, 10], "material": "wall"}]},
{"name": "b", "brushes": [{"type": "room", "min": [10, 0, 0], "max": [20, 10, 10], "material": "wall"}]}])";

// The two rooms with more top-level fields (a JSON text starting with a comma).
std::string withFields(const std::string& fields) {
    std::string text = levelJson(kTwoRooms);
    text.insert(text.rfind('}'), fields);
    return text;
}

std::string fileText(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

ProcessResult compile(const TempDir& folder, const char* source) {
    Process tool({ARVEL_BIN_DIR "/arvel-level", (folder.path() / source).string(),
                  (folder.path() / "out/room.otm").string()},
                 folder.path().string());
    return tool.wait(60);
}

TEST(LevelScriptTest, meshesAndCameraBecomeSpawnAndCameraLinesBesideTheMap) {
    TempDir folder;
    std::filesystem::create_directory(folder.path() / "out");
    folder.write("plain.json", levelJson(kTwoRooms));
    folder.write("placed.json",
                 withFields(",\n\"meshes\": [{\"file\": \"test.msh\", \"position\": [5, 0, 5]},\n"
                            "{\"file\": \"dir\\\\b.msh\", \"position\": [12.25, 0.1, -0.0], "
                            "\"yaw\": -0.3, \"animation\": 2}],\n"
                            "\"camera\": {\"position\": [1.5, 5, 9.875], \"pitch\": 1e-4, "
                            "\"yaw\": 1000000, \"roll\": -90}"));

    // Without meshes or a camera nothing but the map is written.
    ProcessResult result = compile(folder, "plain.json");
    ASSERT_EQ(result.exitCode, 0) << result.err;
    EXPECT_TRUE(std::filesystem::exists(folder.path() / "out/room.otm"));
    EXPECT_FALSE(std::filesystem::exists(folder.path() / "out/room.cfg"));

    result = compile(folder, "placed.json");
    ASSERT_EQ(result.exitCode, 0) << result.err;
    // Numbers exactly as written: no exponent, no "-0", nothing rounded away.
    EXPECT_EQ(fileText(folder.path() / "out/room.cfg"),
              "# Written by arvel-level from placed.json, which compiling again replaces\n"
              "spawn test.msh 5 0 5 0 0\n"
              "spawn dir\\b.msh 12.25 0.1 0 -0.3 2\n"
              "camera 1.5 5 9.875 0.0001 1000000 -90\n");
    EXPECT_EQ(result.err, "");

    // A NAME.cfg someone wrote by hand is kept, and the map with it.
    const std::filesystem::path map = folder.path() / "out/room.otm";
    std::filesystem::remove(map);
    folder.write("out/room.cfg", "spawn mine.msh 1 1 1\n");
    result = compile(folder, "placed.json");
    EXPECT_EQ(result.exitCode, 1);
    EXPECT_NE(result.err.find("room.cfg was not written by arvel-level"), std::string::npos)
        << result.err;
    EXPECT_EQ(fileText(folder.path() / "out/room.cfg"), "spawn mine.msh 1 1 1\n");
    EXPECT_FALSE(std::filesystem::exists(map));
}

TEST(LevelScriptTest, placesOutsideEveryRoomAndUnsafeNamesAreRefusedByPath) {
    const struct {
        std::string fields;
        const char* message;
    } cases[] = {
        // A mesh may stand on a floor, but not below it.
        {",\n\"meshes\": [{\"file\": \"a.msh\", \"position\": [5, 0, 5]},\n"
         "{\"file\": \"a.msh\", \"position\": [15, -0.5, 5]}]",
         "bad.json:7: /meshes/1/position: the mesh lies in no sector"},
        {",\n\"camera\": {\"position\": [25, 5, 5]}",
         "bad.json:6: /camera/position: the camera lies in no sector"},
        {",\n\"meshes\": [{\"file\": \"a b.msh\", \"position\": [5, 0, 5]}]",
         "bad.json:6: /meshes/0/file: must not hold blanks, control characters, quotes, '#', "
         "';' or '='"},
        {",\n\"meshes\": [{\"file\": \"a;quit\", \"position\": [5, 0, 5]}]",
         "bad.json:6: /meshes/0/file: must not hold blanks, control characters, quotes, '#', "
         "';' or '='"},
        {",\n\"meshes\": [{\"file\": \"\", \"position\": [5, 0, 5]}]",
         "bad.json:6: /meshes/0/file: must not be empty"},
        {",\n\"meshes\": [{\"file\": \"a.msh\", \"position\": [5, 0, 5], \"animation\": -1}]",
         "bad.json:6: /meshes/0/animation: must be 0 to 65535"},
        {",\n\"meshes\": [{\"file\": \"a.msh\", \"position\": [5, 0, 5], \"animation\": 1.5}]",
         "bad.json:6: /meshes/0/animation: expected a whole number"},
        {",\n\"camera\": {\"position\": [5, 5, 5], \"roll\": \"0\"}",
         "bad.json:6: /camera/roll: expected a number"},
        {",\n\"camera\": {\"position\": [5, 5, 5], \"zoom\": 2}",
         "bad.json:6: /camera/zoom: unknown field \"zoom\""},
    };
    for (const auto& c : cases) {
        const std::string text = withFields(c.fields);
        try {
            level::compileLevel(level::parseLevel(text, "bad.json"));
            ADD_FAILURE() << "no error for:\n" << text;
        } catch (const level::LevelError& error) {
            EXPECT_STREQ(error.what(), c.message);
        }
    }
}

}  // namespace
}  // namespace arvel::test
