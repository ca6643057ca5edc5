// The command lines of demo.exe and demo-frame.
#include <demo/options.h>

#include <gtest/gtest.h>

#include <initializer_list>
#include <vector>

namespace {

bool parse(std::initializer_list<const char*> args, DemoProgram program, DemoOptions& options) {
    std::vector<const char*> argv{"demo"};
    argv.insert(argv.end(), args);
    return parseDemoOptions(static_cast<int>(argv.size()), argv.data(), program, options);
}

bool accepted(std::initializer_list<const char*> args, DemoProgram program) {
    DemoOptions options;
    return parse(args, program, options);
}

} // namespace

TEST(DemoOptions, DefaultsAndEveryOptionOfTheWindow) {
    DemoOptions options;
    ASSERT_TRUE(parse({}, DemoProgram::window, options));
    EXPECT_EQ(options.actors, 256);
    EXPECT_EQ(options.frames, 0);
    EXPECT_EQ(options.milliseconds, 0);
    ASSERT_TRUE(
        parse({"--ms", "5000", "--actors", "1000", "--frames", "1"}, DemoProgram::window, options));
    EXPECT_EQ(options.actors, 1000);
    EXPECT_EQ(options.frames, 1);
    EXPECT_EQ(options.milliseconds, 5000);
}

TEST(DemoOptions, RefusesActorsOutsideOneToAThousandAndEveryOtherBadArgument) {
    const auto window = DemoProgram::window;
    EXPECT_TRUE(accepted({"--actors", "1"}, window));
    for (const char* bad : {"0", "1001", "-1", "+5", " 5", "5x", "", "99999999999999999999"}) {
        EXPECT_FALSE(accepted({"--actors", bad}, window)) << bad;
    }
    EXPECT_FALSE(accepted({"--actors"}, window));
    EXPECT_FALSE(accepted({"--frames", "0"}, window));
    EXPECT_FALSE(accepted({"--frames", "86400001"}, window));
    EXPECT_FALSE(accepted({"--ms", "0"}, window));
    EXPECT_FALSE(accepted({"--actors", "5", "--actors", "6"}, window));
    EXPECT_FALSE(accepted({"--speed", "2"}, window));
    EXPECT_FALSE(accepted({"--out", "a.png"}, window));
}

TEST(DemoOptions, TheFrameToolNeedsFramesAndAFile) {
    DemoOptions options;
    ASSERT_TRUE(parse({"--frames", "100", "--out", "a.png"}, DemoProgram::frameTool, options));
    EXPECT_STREQ(options.out, "a.png");
    EXPECT_TRUE(accepted({"--frames", "3", "--compare", "b.png"}, DemoProgram::frameTool));
    EXPECT_FALSE(accepted({"--out", "a.png"}, DemoProgram::frameTool));
    EXPECT_FALSE(accepted({"--frames", "3"}, DemoProgram::frameTool));
    EXPECT_FALSE(accepted({"--frames", "3", "--out", ""}, DemoProgram::frameTool));
    EXPECT_FALSE(
        accepted({"--frames", "3", "--out", "a.png", "--ms", "9"}, DemoProgram::frameTool));
}
