// The built GDLTools.exe gallery on the sample project and on a source.
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <png.h>

#include <string>

#include "FileUtil.h"
#include "GalleryPlayer.h"
#include "RunProgram.h"
#include "TempDir.h"

namespace gdl {
namespace {

using gdltest::RunProgram;
using testing::HasSubstr;
using testing::Not;

const std::string kTools = gdltest::KitBin() + "GDLTools.exe";
const gdltest::EnvChanges kNoDisplay{{"DISPLAY", std::nullopt}, {"WAYLAND_DISPLAY", std::nullopt}};
const std::string kProject = std::string(GDLKIT_SOURCE_DIR) + "/samples/GemQuest/GemQuest.gdp";

struct Picture {
    bool ok = false;
    int width = 0, height = 0;
};

Picture Decode(const std::string& path) {
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    Picture p;
    if (!png_image_begin_read_from_file(&image, path.c_str())) return p;
    image.format = PNG_FORMAT_RGBA;
    std::vector<png_byte> pixels(PNG_IMAGE_SIZE(image));
    p.ok = png_image_finish_read(&image, nullptr, pixels.data(), 0, nullptr) != 0;
    p.width = static_cast<int>(image.width);
    p.height = static_cast<int>(image.height);
    return p;
}

TEST(Gallery, SampleProjectWithoutCodes) {
    gdltest::TempDir dir;
    auto r = RunProgram({kTools, "gallery", kProject, "out", "--tile", "4"}, dir.Folder(), "",
                        kNoDisplay);
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_THAT(r.out, HasSubstr("14 levels, 14 pictures"));
    EXPECT_EQ(dir.Names("out").size(), 14u + 2);  // pictures, legend, index
    // VAULT, the first level, is 14x12.
    Picture vault = Decode(dir.Path("out/level-001.png"));
    ASSERT_TRUE(vault.ok);
    EXPECT_EQ(vault.width, 14 * 4);
    EXPECT_EQ(vault.height, 12 * 4);
    for (int i = 2; i <= 14; ++i) {
        std::string name =
            "out/level-0" + std::string(i < 10 ? "0" : "") + std::to_string(i) + ".png";
        EXPECT_TRUE(Decode(dir.Path(name)).ok) << name;
    }
    EXPECT_TRUE(Decode(dir.Path("out/legend.png")).ok);
    const std::string html = dir.Read("out/index.html");
    EXPECT_THAT(html, HasSubstr("<h1>GemQuest</h1>"));
    EXPECT_THAT(html, HasSubstr("Copyright 2025 The GemQuest Team"));
    EXPECT_THAT(html, HasSubstr("<td>H1</td><td>THE SECRET VAULT</td><td>14x12</td><td>2:00</td>"
                                "<td>20</td><td>Cleo Marsh</td>"));
    // Neither the codes nor the hints of the project.
    for (const char* secret : {"QXTR", "BRIM", "Dig under the vault", "Code", "Hint"})
        EXPECT_THAT(html, Not(HasSubstr(secret))) << secret;
}

TEST(Gallery, CodesAndHintsOnlyWhenAsked) {
    gdltest::TempDir dir;
    auto r = RunProgram({kTools, "gallery", kProject, dir.Folder(), "--codes"}, dir.Folder(), "",
                        kNoDisplay);
    ASSERT_EQ(r.status, 0) << r.err;
    const std::string html = dir.Read("index.html");
    EXPECT_THAT(html, HasSubstr("<td>QXTR</td><td>Dig under the vault"));
    EXPECT_EQ(Decode(dir.Path("level-001.png")).width, 14 * 8);
}

TEST(Gallery, ASourceWithABrokenLevelStillShowsIt) {
    gdltest::TempDir dir;
    dir.Write("Two.lvs",
              "level GOOD\nname Say \"Hi\"\ntime 1:00\nquota 0\nmap\nXXXX\nX@EX\nXXXX\nend\n"
              "level BAD\ntime 1:99\nquota 0\nmap\nXXX\nX@X\nXXX\nend\n");
    auto r = RunProgram({kTools, "gallery", "Two.lvs", "pics"}, dir.Folder(), "", kNoDisplay);
    EXPECT_EQ(r.status, 1);
    EXPECT_THAT(r.err, HasSubstr("level BAD has errors"));
    EXPECT_TRUE(Decode(dir.Path("pics/level-001.png")).ok);
    EXPECT_TRUE(Decode(dir.Path("pics/level-002.png")).ok);
    const std::string html = dir.Read("pics/index.html");
    EXPECT_THAT(html, HasSubstr("<td>GOOD</td><td>SAY &quot;HI&quot;</td>"));
    EXPECT_THAT(html, HasSubstr("level-002.png\" alt=\"Level BAD\"><br>the level has errors"));
}

TEST(Gallery, UsageAndInputErrors) {
    gdltest::TempDir dir;
    struct Case {
        std::vector<std::string> args;
        int status;
        const char* message;
    } cases[] = {
        {{"gallery", kProject}, 2, "gallery takes"},
        {{"gallery", kProject, "o", "--tile", "0"}, 2, "--tile takes 1 to 32"},
        {{"gallery", kProject, "o", "--tile", "x"}, 2, "--tile takes"},
        {{"gallery", kProject, "o", "--size"}, 2, "unknown option --size"},
        {{"gallery", "none.gdl", "o"}, 1, "none.gdl"},
    };
    for (const auto& c : cases) {
        std::vector<std::string> argv{kTools};
        argv.insert(argv.end(), c.args.begin(), c.args.end());
        auto r = RunProgram(argv, dir.Folder(), "", kNoDisplay);
        EXPECT_EQ(r.status, c.status) << c.message;
        EXPECT_THAT(r.err, HasSubstr(c.message));
    }
    EXPECT_FALSE(dir.Exists("o/index.html"));
}

// The transcripts' set: two levels of a few bytes, without maps (so the
// gallery's status is 1 for the pictures; these tests look at the player).
const std::string kLinkSet = std::string(GDLKIT_SOURCE_DIR) + "/tests/data/link/two-levels.gdl";

gdltest::EnvChanges WithPlayer(const std::string& folder) {
    gdltest::EnvChanges env = kNoDisplay;
    env.emplace_back(kWebPlayerVariable, folder);
    return env;
}

TEST(Gallery, ALevelSetGetsThePlayerAndALinkToIt) {
    gdltest::TempDir dir;
    dir.MakeFolder("web");
    for (const char* name : {"index.html", "player.js", "gdlplay.js", "gdlplay.wasm", "style.css"})
        dir.Write(std::string("web/") + name, std::string("page file ") + name);
    auto r = RunProgram({kTools, "gallery", kLinkSet, "out"}, dir.Folder(), "",
                        WithPlayer(dir.Path("web")));
    EXPECT_THAT(r.err, Not(HasSubstr("browser player")));
    EXPECT_EQ(dir.Read("out/play/style.css"), "page file style.css");
    EXPECT_EQ(dir.Read("out/play/gdlplay.wasm"), "page file gdlplay.wasm");
    EXPECT_EQ(dir.Read("out/play/two-levels.gdl"), *ReadFileBytes(kLinkSet));
    EXPECT_THAT(dir.Read("out/index.html"),
                HasSubstr("<a href=\"play/?set=two-levels.gdl\">Play on your Lynx</a>"));

    r = RunProgram({kTools, "gallery", kLinkSet, "bare", "--no-player"}, dir.Folder(), "",
                   WithPlayer(dir.Path("web")));
    EXPECT_FALSE(dir.Exists("bare/play"));
    EXPECT_THAT(dir.Read("bare/index.html"), Not(HasSubstr("Play on your Lynx")));
}

TEST(Gallery, WithoutABuiltPlayerItSaysSoAndLinksNothing) {
    gdltest::TempDir dir;
    dir.MakeFolder("web");
    dir.Write("web/index.html", "only the page");
    auto r = RunProgram({kTools, "gallery", kLinkSet, "out"}, dir.Folder(), "",
                        WithPlayer(dir.Path("web")));
    EXPECT_THAT(r.err, HasSubstr("the gallery has no player: the browser player is not in " +
                                 dir.Path("web") + "/"));
    EXPECT_THAT(r.err, HasSubstr("scripts/web"));
    EXPECT_FALSE(dir.Exists("out/play"));
    EXPECT_THAT(dir.Read("out/index.html"), Not(HasSubstr("Play on your Lynx")));
}

TEST(Gallery, ThePlayLinkEscapesTheSetsName) {
    const std::pair<const char*, const char*> cases[] = {
        {"GemQuest.gdl", "play/?set=GemQuest.gdl"},
        {"My Set.gdl", "play/?set=My%20Set.gdl"},
        {"a&b#c\"<.gdl", "play/?set=a%26b%23c%22%3C.gdl"},
        {"\xC3\xA9t\xC3\xA9.gdl", "play/?set=%C3%A9t%C3%A9.gdl"},
    };
    for (const auto& [name, link] : cases) EXPECT_EQ(PlayLink(name), link) << name;
}

}  // namespace
}  // namespace gdl
