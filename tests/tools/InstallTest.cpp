// "cmake --install" into a fresh prefix: the kit folder, both launchers on
// the prefix's PATH, desktop files that pass desktop-file-validate, icons
// and the file types, and nothing written outside the prefix.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>

#include "BatchRunner.h"
#include "Environment.h"
#include "FileUtil.h"
#include "RunProgram.h"
#include "TempDir.h"

namespace {

namespace fs = std::filesystem;
using testing::HasSubstr;

TEST(Install, PutsTheKitTheLaunchersAndTheDesktopFilesIntoThePrefix) {
    gdltest::TempDir dir;
    const std::string prefix = dir.MakeFolder("prefix with blank");
    auto installed = gdltest::RunProgram(
        {GDLKIT_CMAKE, "--install", GDLKIT_BUILD_DIR, "--prefix", prefix}, dir.Folder());
    ASSERT_EQ(installed.status, 0) << installed.out << installed.err;
    // Every file the install wrote is inside the prefix.
    const std::string manifest =
        gdl::ReadFileBytes(std::string(GDLKIT_BUILD_DIR) + "/install_manifest.txt").value_or("");
    ASSERT_FALSE(manifest.empty());
    std::istringstream lines(manifest);
    for (std::string line; std::getline(lines, line);) EXPECT_EQ(line.rfind(prefix, 0), 0u) << line;

    const std::string kit = prefix + "lib/gdlkit/";
    for (const char* file :
         {"bin/GDLEdit", "bin/gdlplay.exe", "bin/ld.exe", "bin/ld.pif", "bin/ldinfo.pif",
          "bin/ldstat.pif", "bin/gdlstat.exe", "bin/GDLTools.exe", "bin/GDLMap", "bin/lynxsim",
          "bin/resource.001", "bin/music0.wav", "bin/music2.wav", "docs/docs.htm", "levels",
          "source"})
        EXPECT_TRUE(fs::exists(kit + file)) << file;
    std::vector<std::string> outside = {"share/mime/packages/gdlkit-mime.xml",
                                        "share/man/man1/gdlplay.1",
                                        "share/man/man1/gdltools.1",
                                        "share/man/man1/gdlkit-ld.1",
                                        "share/metainfo/org.gdlkit.gdlplay.metainfo.xml",
                                        "share/metainfo/org.gdlkit.gdlmap.metainfo.xml",
                                        "share/gdlkit/samples/GemQuest/GemQuest.gdp",
                                        "lib/udev/rules.d/70-gdlkit-lynx-cable.rules"};
    // Every program the guide names, on the PATH under a name of its own.
    for (const char* name :
         {"gdledit", "gdlplay", "gdlmap", "gdltools", "gdlkit-ld", "gdlstat", "lynxsim"})
        outside.push_back(std::string("bin/") + name);
    for (const char* app : {"gdledit", "gdlplay", "gdlmap", "gdltools"}) {
        const std::string id = std::string("org.gdlkit.") + app;
        outside.push_back("share/applications/" + id + ".desktop");
        outside.push_back("share/icons/hicolor/scalable/apps/" + id + ".svg");
        for (const char* size : {"16x16", "32x32", "48x48", "64x64", "128x128", "256x256"})
            outside.push_back(std::string("share/icons/hicolor/") + size + "/apps/" + id + ".png");
    }
    for (const auto& file : outside) EXPECT_TRUE(fs::exists(prefix + file)) << file;
    EXPECT_FALSE(fs::exists(prefix + "bin/ld")) << "the linker's name";

    // The launchers start the kit's programs, wherever the prefix is.
    auto version = gdltest::RunProgram({prefix + "bin/gdlplay", "--version"}, dir.Folder());
    EXPECT_EQ(version.status, 0) << version.err;
    EXPECT_THAT(version.out, HasSubstr("gdlplay.exe (GDLKIT)"));
    auto build = gdltest::RunProgram({prefix + "bin/gdledit", "--help"}, dir.Folder());
    EXPECT_EQ(build.status, 0) << build.err;

    // Each desktop file opens its own kind of file through its launcher.
    struct Desktop {
        std::string file, mime, launcher;
    };
    const Desktop desktops[] = {
        {"org.gdlkit.gdledit.desktop", "MimeType=application/x-gdlkit-project;", "bin/gdledit"},
        {"org.gdlkit.gdlplay.desktop", "MimeType=application/x-gdlkit-levelset;", "bin/gdlplay"},
        {"org.gdlkit.gdlmap.desktop", "MimeType=text/x-gdlkit-level-source;", "bin/gdlmap"},
        {"org.gdlkit.gdltools.desktop", "StartupWMClass=gdltools", "bin/gdltools"},
    };
    auto validator = gdl::FindInPath("desktop-file-validate");
    for (const auto& d : desktops) {
        SCOPED_TRACE(d.file);
        const std::string path = prefix + "share/applications/" + d.file;
        const std::string text = gdl::ReadFileBytes(path).value_or("");
        EXPECT_THAT(text, HasSubstr(d.mime + "\n"));
        EXPECT_THAT(text, HasSubstr(d.launcher));
        if (!validator) continue;
        auto checked = gdltest::RunProgram({*validator, path}, dir.Folder());
        EXPECT_EQ(checked.status, 0);
        EXPECT_EQ(checked.out + checked.err, "") << "desktop-file-validate has remarks";
    }
    const std::string mime =
        gdl::ReadFileBytes(prefix + "share/mime/packages/gdlkit-mime.xml").value_or("");
    EXPECT_THAT(mime, HasSubstr("<glob pattern=\"*.gdp\"/>"));
    EXPECT_THAT(mime, HasSubstr("<glob pattern=\"*.gdl\"/>"));
    EXPECT_THAT(mime, HasSubstr("<glob pattern=\"*.lvs\"/>"));
}

}  // namespace
