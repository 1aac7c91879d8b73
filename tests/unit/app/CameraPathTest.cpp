// The camera path file written and read back, and the timedemo's summary of frame times.
#include <gtest/gtest.h>

#include "app/CameraPath.h"
#include "app/Timedemo.h"
#include "shared/TempDir.h"

namespace arvel {
namespace {

TEST(CameraPath, WrittenFramesReadBackExactly) {
    test::TempDir dir;
    const std::string name = (dir.path() / "flight.path").string();
    const CameraPathFrame written[] = {{-50.44f, 40.717f, -36.719f, 0.1f, -135.0f, 0.0f, 0},
                                       {1e-7f, -3.4e38f, 7.0f, -89.5f, 359.99f, 1.5f, 4294967295u}};
    CameraPathWriter writer;
    ASSERT_TRUE(writer.open(name));
    writer.append({9, 9, 9, 9, 9, 9, 9});
    ASSERT_TRUE(writer.open(name));  // opening again starts afresh
    for (const CameraPathFrame& f : written) writer.append(f);
    writer.close();

    CameraPath path;
    std::string error;
    ASSERT_TRUE(path.read(name, error)) << error;
    ASSERT_EQ(path.frames().size(), 2u);
    for (size_t i = 0; i < 2; ++i) {
        const CameraPathFrame& f = path.frames()[i];
        EXPECT_EQ(f.x, written[i].x);
        EXPECT_EQ(f.y, written[i].y);
        EXPECT_EQ(f.z, written[i].z);
        EXPECT_EQ(f.pitch, written[i].pitch);
        EXPECT_EQ(f.yaw, written[i].yaw);
        EXPECT_EQ(f.roll, written[i].roll);
        EXPECT_EQ(f.timeMs, written[i].timeMs);
    }
}

TEST(Timedemo, SummaryTakesTheNearestRankPercentile) {
    std::vector<double> frames(200, 10.0);
    frames[5] = 50.0;  // the two slowest: the 1%
    frames[17] = 30.0;
    frames[80] = 20.0;  // rank 198 of 200: the time 99% of frames keep to
    const TimedemoResult r = summariseFrames(frames);
    EXPECT_EQ(r.frames, 200);
    EXPECT_DOUBLE_EQ(r.seconds, (197 * 10.0 + 50 + 30 + 20) / 1000);
    EXPECT_DOUBLE_EQ(r.fps, 200 / r.seconds);
    EXPECT_DOUBLE_EQ(r.slowestMs, 20.0);
    EXPECT_EQ(timedemoLine("demo.path", r),
              "timedemo demo.path: 200 frames, 2.07 s, 96.6 fps, 1% slowest 20.0 ms");
    // Below a hundred frames the 1% is the slowest one; no frames give zeros.
    EXPECT_DOUBLE_EQ(summariseFrames({4, 9, 2}).slowestMs, 9.0);
    EXPECT_EQ(summariseFrames({}).frames, 0);
}

}  // namespace
}  // namespace arvel
