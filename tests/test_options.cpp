// The command lines of demo.exe and demo-frame, and the page's options.
#include <demo/options.h>

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <tuple>

using Args = std::vector<const char*>;

// The arguments as main gets them (the program's name first, a null after the last) parsed.
static std::optional<DemoOptions> parse(DemoProgram program, Args args) {
    args.insert(args.begin(), "demo");
    args.push_back(nullptr);
    DemoOptions options;
    return parseDemoOptions(static_cast<int>(args.size()) - 1, args.data(), program, options)
               ? std::optional(options)
               : std::nullopt;
}

TEST(DemoOptions, TakesEveryOptionOfEachProgram) {
    ASSERT_TRUE(parse(DemoProgram::window, {}));
    const DemoOptions window = parse(DemoProgram::window, {"--ms", "5000", "--actors", "1000",
                                                           "--frames", "1", "--motion", "flock"})
                                   .value();
    EXPECT_EQ(std::make_tuple(window.actors, window.frames, window.milliseconds, window.motion),
              std::make_tuple(1000, 1, 5000, World::Motion::flock));
    const DemoOptions tool =
        parse(DemoProgram::frameTool, {"--frames", "9", "--out", "a.png", "--motion", "wander"})
            .value();
    EXPECT_EQ(std::make_tuple(std::string(tool.out), tool.motion),
              std::make_tuple(std::string("a.png"), World::Motion::wander));
    EXPECT_STREQ(
        parse(DemoProgram::frameTool, {"--frames", "3", "--compare", "b.png"}).value().compare,
        "b.png");
    const auto page = parse(DemoProgram::page, {"--frames", "100", "--motion", "flock"}).value();
    EXPECT_EQ(std::make_tuple(page.frames, page.motion),
              std::make_tuple(100, World::Motion::flock));
}

TEST(DemoOptions, RefusesEveryBadArgumentAndAFrameToolWithoutFramesOrAFile) {
    for (const char* actors : {"0", "1001", "-1", "+5", " 5", "5x", "", "99999999999999999999"}) {
        EXPECT_FALSE(parse(DemoProgram::window, {"--actors", actors})) << "'" << actors << "'";
    }
    for (const Args& args :
         {Args{"--actors"}, Args{"--frames", "0"}, Args{"--frames", "86400001"}, Args{"--ms", "0"},
          Args{"--actors", "5", "--actors", "6"}, Args{"--speed", "2"}, Args{"--out", "a.png"},
          Args{"--motion", "Flock"}, Args{"--motion", ""},
          Args{"--motion", "flock", "--motion", "flock"}, Args{"--motion"}}) {
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
