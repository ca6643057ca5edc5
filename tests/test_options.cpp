// The command lines of demo.exe and demo-frame, and the page's options.
#include <demo/options.h>

#include <gtest/gtest.h>

#include <optional>
#include <string_view>
#include <tuple>
#include <vector>

namespace {

using Args = std::vector<const char*>;

// The arguments as main gets them (the program's name first, a null after the last) parsed.
std::optional<DemoOptions> parse(DemoProgram program, Args args) {
    args.insert(args.begin(), "demo");
    args.push_back(nullptr);
    DemoOptions options;
    if (!parseDemoOptions(static_cast<int>(args.size()) - 1, args.data(), program, options)) {
        return std::nullopt;
    }
    return options;
}

} // namespace

TEST(DemoOptions, TakesEveryOptionOfEachProgram) {
    ASSERT_TRUE(parse(DemoProgram::window, {}));
    const DemoOptions window =
        parse(DemoProgram::window, {"--ms", "5000", "--actors", "1000", "--frames", "1"}).value();
    EXPECT_EQ(std::make_tuple(window.actors, window.frames, window.milliseconds),
              std::make_tuple(1000, 1, 5000));
    const DemoOptions tool =
        parse(DemoProgram::frameTool, {"--actors", "1", "--frames", "9", "--out", "a.png"}).value();
    EXPECT_STREQ(tool.out, "a.png");
    EXPECT_STREQ(
        parse(DemoProgram::frameTool, {"--frames", "3", "--compare", "b.png"}).value().compare,
        "b.png");
    EXPECT_EQ(parse(DemoProgram::page, {"--frames", "100"}).value().frames, 100);
}

TEST(DemoOptions, RefusesEveryBadArgumentAndAFrameToolWithoutFramesOrAFile) {
    for (const char* actors : {"0", "1001", "-1", "+5", " 5", "5x", "", "99999999999999999999"}) {
        EXPECT_FALSE(parse(DemoProgram::window, {"--actors", actors})) << "'" << actors << "'";
    }
    for (const Args& args :
         {Args{"--actors"}, Args{"--frames", "0"}, Args{"--frames", "86400001"}, Args{"--ms", "0"},
          Args{"--actors", "5", "--actors", "6"}, Args{"--speed", "2"}, Args{"--out", "a.png"}}) {
        EXPECT_FALSE(parse(DemoProgram::window, args)) << ::testing::PrintToString(args);
    }
    for (const Args& args :
         {Args{"--out", "a.png"}, Args{"--frames", "3"}, Args{"--frames", "3", "--out"},
          Args{"--frames", "3", "--out", ""}, Args{"--frames", "3", "--compare", ""},
          Args{"--frames", "3", "--out", "a.png", "--ms", "9"}}) {
        EXPECT_FALSE(parse(DemoProgram::frameTool, args)) << ::testing::PrintToString(args);
    }
    EXPECT_FALSE(parse(DemoProgram::page, {"--ms", "9"}));
    EXPECT_FALSE(parse(DemoProgram::page, {"--out", "a.png"}));
}

TEST(DemoOptions, APageAddressWithANulInAValueIsRefusedAsTheCommandLineRefuses5x) {
    using namespace std::string_view_literals;
    DemoOptions options;
    EXPECT_TRUE(parseDemoOptions({"demo.html"sv, "--actors"sv, "5"sv}, DemoProgram::page, options));
    EXPECT_EQ(options.actors, 5);
    for (const std::string_view value : {"5\0junk"sv, "5\0"sv, "\0"sv}) {
        for (const std::string_view name : {"--actors"sv, "--frames"sv}) {
            EXPECT_FALSE(
                parseDemoOptions({"demo.html"sv, name, value}, DemoProgram::page, options));
        }
    }
}

TEST(DemoOptions, EveryProgramTakesAFlockOrWanderersAndNothingElseForMotion) {
    for (const DemoProgram program :
         {DemoProgram::window, DemoProgram::frameTool, DemoProgram::page}) {
        const Args file =
            program == DemoProgram::frameTool ? Args{"--frames", "1", "--out", "a.png"} : Args{};
        for (const auto& [word, motion] : {std::pair{"flock", World::Motion::flock},
                                           std::pair{"wander", World::Motion::wander}}) {
            Args args = file;
            args.insert(args.end(), {"--motion", word});
            EXPECT_EQ(parse(program, args).value().motion, motion) << word;
        }
        for (const Args& bad : {Args{"--motion", "Flock"}, Args{"--motion", ""},
                                Args{"--motion", "flock", "--motion", "flock"}, Args{"--motion"}}) {
            Args args = file;
            args.insert(args.end(), bad.begin(), bad.end());
            EXPECT_FALSE(parse(program, args)) << ::testing::PrintToString(args);
        }
    }
}
