// The Debian package scripts/package made, unpacked into a folder of its
// own: everything under /usr, the kit folder's layout, launchers that start
// the kit's programs, and desktop, AppStream and manual pages that pass their
// checkers. The package is named by GDLKIT_PACKAGE (scripts/test sets it
// after building one); without it there is nothing to look at.
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstdlib>
#include <filesystem>
#include <memory>
#include <sstream>
#include <utility>
#include <vector>

#include "Environment.h"
#include "FileUtil.h"
#include "Process.h"
#include "ProjectFixtures.h"
#include "ReadOnlyFolder.h"
#include "Registry.h"
#include "RunProgram.h"
#include "SampleOffer.h"
#include "TempDir.h"

namespace {

namespace fs = std::filesystem;
using testing::HasSubstr;
using testing::StartsWith;

constexpr const char* kApps[] = {"gdledit", "gdlplay", "gdlmap", "gdltools"};
constexpr const char* kComponents[] = {"gdledit", "gdlplay", "gdlmap"};
std::string Id(const std::string& app) {
    return "org.gdlkit." + app;
}

// Width and height from a PNG's header chunk; 0 x 0 when it is no PNG.
std::pair<unsigned, unsigned> PngSize(const std::string& path) {
    const std::string head = gdl::ReadFilePrefix(path, 24).value_or("");
    if (head.size() < 24 || head.compare(1, 3, "PNG") != 0) return {0, 0};
    auto word = [&](std::size_t at) {
        unsigned v = 0;
        for (std::size_t i = 0; i < 4; ++i) v = v << 8 | static_cast<unsigned char>(head[at + i]);
        return v;
    };
    return {word(16), word(20)};
}

class PackageTest : public ::testing::Test {
protected:
    void SetUp() override {
        const char* deb = std::getenv("GDLKIT_PACKAGE");
        if (!deb || !*deb) GTEST_SKIP() << "GDLKIT_PACKAGE names no package";
        ASSERT_TRUE(fs::exists(deb)) << deb;
        auto unpacked = gdltest::RunProgram({"/usr/bin/dpkg-deb", "-x", deb, root}, dir.Folder());
        ASSERT_EQ(unpacked.status, 0) << unpacked.err;
        auto fields = gdltest::RunProgram({"/usr/bin/dpkg-deb", "-f", deb}, dir.Folder());
        control = fields.out;
    }
    std::string Validator(const char* name) {
        auto found = gdl::FindInPath(name);
        return found ? *found : std::string();
    }

    gdltest::TempDir dir;
    std::string root = dir.MakeFolder("root");
    std::string control;
};

TEST_F(PackageTest, EverythingLiesUnderUsrInTheKitsLayout) {
    std::size_t files = 0;
    for (auto it = fs::recursive_directory_iterator(root); it != fs::recursive_directory_iterator();
         ++it) {
        const std::string path = "/" + fs::relative(it->path(), root).string();
        EXPECT_TRUE(path == "/usr" || path.rfind("/usr/", 0) == 0) << path;
        files += it->is_regular_file();
    }
    EXPECT_GT(files, 40u);
    const std::string usr = root + "usr/";
    for (const char* file : {"bin/gdledit",
                             "bin/gdlplay",
                             "lib/gdlkit/bin/GDLEdit",
                             "lib/gdlkit/bin/gdlplay.exe",
                             "lib/gdlkit/bin/ld.exe",
                             "lib/gdlkit/bin/ld.pif",
                             "lib/gdlkit/bin/ldinfo.pif",
                             "lib/gdlkit/bin/ldstat.pif",
                             "lib/gdlkit/bin/gdlstat.exe",
                             "lib/gdlkit/bin/GDLTools.exe",
                             "lib/gdlkit/bin/lynxsim",
                             "lib/gdlkit/bin/resource.001",
                             "lib/gdlkit/bin/music0.wav",
                             "lib/gdlkit/docs/docs.htm",
                             "lib/gdlkit/levels",
                             "lib/gdlkit/source",
                             "share/doc/gdlkit/docs.htm",
                             "share/doc/gdlkit/gdlplay-playing.png",
                             "share/doc/gdlkit/copyright",
                             "share/doc/gdlkit/changelog.gz",
                             "share/mime/packages/gdlkit-mime.xml",
                             "share/gdlkit/samples/GemQuest/GemQuest.gdp",
                             "lib/udev/rules.d/70-gdlkit-lynx-cable.rules"})
        EXPECT_TRUE(fs::exists(usr + file)) << file;
    for (const char* app : kApps) {
        EXPECT_TRUE(fs::exists(usr + "share/applications/" + Id(app) + ".desktop")) << app;
        EXPECT_TRUE(fs::exists(usr + "share/icons/hicolor/scalable/apps/" + Id(app) + ".svg"));
    }
    // Each program the guide tells the user to run, under its name on the PATH.
    for (const char* page :
         {"gdledit", "gdlplay", "gdlmap", "gdlkit-ld", "gdlstat", "gdltools", "lynxsim"}) {
        EXPECT_TRUE(fs::exists(usr + "share/man/man1/" + page + ".1.gz")) << page;
        EXPECT_TRUE(fs::exists(usr + "bin/" + page)) << page;
    }
    EXPECT_FALSE(fs::exists(usr + "bin/ld")) << "the linker's name";
    // The kit folder's docs/ is the guide's folder under /usr/share/doc.
    EXPECT_EQ(fs::read_symlink(usr + "lib/gdlkit/docs"), "../../share/doc/gdlkit");

    EXPECT_THAT(control, HasSubstr("Package: gdlkit\n"));
    // Found in the binaries, not written by hand.
    EXPECT_THAT(control, HasSubstr("libc6 (>="));
    EXPECT_THAT(control, HasSubstr("libqt6widgets6"));
}

TEST_F(PackageTest, LaunchersStartTheKitsPrograms) {
    const std::string bin = root + "usr/bin/";
    struct Case {
        const char* launcher;
        const char* says;
    };
    for (const Case& c : {Case{"gdlplay", "gdlplay.exe (GDLKIT) "}, Case{"gdledit", "GDLEdit "},
                          Case{"gdlmap", "GDLMap (GDLKIT) "}, Case{"gdltools", "GDLTools.exe"},
                          Case{"gdlkit-ld", "ld.exe"}, Case{"gdlstat", "gdlstat.exe"},
                          Case{"lynxsim", "lynxsim"}}) {
        SCOPED_TRACE(c.launcher);
        auto version = gdltest::RunProgram({bin + c.launcher, "--version"}, dir.Folder());
        EXPECT_EQ(version.status, 0) << version.err;
        EXPECT_THAT(version.out, HasSubstr(c.says));
    }
}

TEST_F(PackageTest, DesktopAppStreamAndManualPagesPassTheirCheckers) {
    const std::string share = root + "usr/share/";
    const std::string desktop = Validator("desktop-file-validate");
    for (const char* app : kApps) {
        SCOPED_TRACE(app);
        const std::string path = share + "applications/" + Id(app) + ".desktop";
        const std::string text = gdl::ReadFileBytes(path).value_or("");
        EXPECT_THAT(text, HasSubstr("Exec=\"/usr/bin/" + std::string(app) + "\""));
        // The window's class, as each program sets it.
        EXPECT_THAT(text, HasSubstr("StartupWMClass=" + std::string(app) + "\n"));
        EXPECT_THAT(text, HasSubstr("Icon=" + Id(app) + "\n"));
        if (desktop.empty()) continue;
        auto checked = gdltest::RunProgram({desktop, path}, dir.Folder());
        EXPECT_EQ(checked.status, 0) << checked.out << checked.err;
        EXPECT_EQ(checked.out + checked.err, "");
    }
    const std::string appstream = Validator("appstreamcli");
    for (const char* app : kComponents) {
        SCOPED_TRACE(app);
        const std::string path = share + "metainfo/org.gdlkit." + app + ".metainfo.xml";
        const std::string text = gdl::ReadFileBytes(path).value_or("");
        // The desktop id is the component id.
        EXPECT_THAT(text, HasSubstr("<id>" + Id(app) + "</id>"));
        EXPECT_THAT(text, HasSubstr("<launchable type=\"desktop-id\">" + Id(app) +
                                    ".desktop</launchable>"));
        EXPECT_THAT(text, HasSubstr("<mediatype>"));
        EXPECT_THAT(text, HasSubstr(std::string(app) + "-"));  // the guide's pictures
        if (appstream.empty()) continue;
        auto checked = gdltest::RunProgram({appstream, "validate", "--no-net", path}, dir.Folder());
        EXPECT_EQ(checked.status, 0) << checked.out << checked.err;
    }
    // Each picture the metainfo shows is one of the guide's.
    const std::string guide = share + "doc/gdlkit/";
    for (const char* app : kComponents) {
        const std::string text =
            gdl::ReadFileBytes(share + "metainfo/org.gdlkit." + app + ".metainfo.xml").value_or("");
        for (auto at = text.find("<image>"); at != std::string::npos;
             at = text.find("<image>", at + 1)) {
            const std::string url = text.substr(at + 7, text.find("</image>", at) - at - 7);
            EXPECT_TRUE(fs::exists(guide + url.substr(url.rfind('/') + 1))) << url;
        }
    }
    const std::string man = Validator("man");
    if (man.empty()) return;
    for (const auto& page : fs::directory_iterator(share + "man/man1")) {
        SCOPED_TRACE(page.path().filename().string());
        auto shown = gdltest::RunProgram({man, "--warnings", "-E", "UTF-8", "-l", page.path()},
                                         dir.Folder(), "", {{"MANWIDTH", "80"}});
        EXPECT_EQ(shown.status, 0);
        EXPECT_EQ(shown.err, "");
        EXPECT_THAT(shown.out, HasSubstr("EXAMPLE"));
        EXPECT_THAT(shown.out, HasSubstr("EXIT STATUS"));
    }
}

TEST_F(PackageTest, IconsFileTypesAndTheCableRule) {
    const std::string share = root + "usr/share/";
    for (const char* app : kApps) {
        for (unsigned size : {16u, 32u, 48u, 64u, 128u, 256u}) {
            const std::string px = std::to_string(size);
            const std::string png =
                share + "icons/hicolor/" + px + "x" + px + "/apps/" + Id(app) + ".png";
            EXPECT_EQ(PngSize(png), std::make_pair(size, size)) << png;
        }
    }
    // The file types, compiled as the desktop compiles them: each glob names its type.
    const std::string mime = dir.MakeFolder("mime");
    fs::copy(share + "mime/packages", mime + "packages");
    const std::string updater = Validator("update-mime-database");
    if (!updater.empty()) {
        auto built = gdltest::RunProgram({updater, mime}, dir.Folder());
        EXPECT_EQ(built.status, 0) << built.err;
        const std::string globs = gdl::ReadFileBytes(mime + "globs2").value_or("");
        for (const char* glob :
             {":application/x-gdlkit-project:*.gdp", ":application/x-gdlkit-levelset:*.gdl",
              ":text/x-gdlkit-level-source:*.lvs"})
            EXPECT_THAT(globs, HasSubstr(glob));
        EXPECT_THAT(gdl::ReadFileBytes(mime + "subclasses").value_or(""),
                    HasSubstr("text/x-gdlkit-level-source text/plain"));
    }
    // The cable's adapters for the user at the seat: every rule a tty one with the tag.
    const std::string rules = root + "usr/lib/udev/rules.d/70-gdlkit-lynx-cable.rules";
    const std::string text = gdl::ReadFileBytes(rules).value_or("");
    std::size_t count = 0;
    for (const char* vendor : {"0403", "10c4", "1a86", "067b"})
        EXPECT_THAT(text, HasSubstr("ATTRS{idVendor}==\"" + std::string(vendor) + "\""));
    std::istringstream lines(text);
    for (std::string line; std::getline(lines, line);) {
        if (line.empty() || line[0] == '#') continue;
        ++count;
        EXPECT_THAT(line, StartsWith("SUBSYSTEM==\"tty\", "));
        EXPECT_THAT(line, testing::EndsWith(", TAG+=\"uaccess\""));
    }
    EXPECT_EQ(count, 4u);
    const std::string udevadm = Validator("udevadm");
    if (udevadm.empty()) return;
    auto verified = gdltest::RunProgram({udevadm, "verify", rules}, dir.Folder());
    // udevadm before version 254 has no verify.
    if (verified.err.find("Unknown command") != std::string::npos) return;
    EXPECT_EQ(verified.status, 0) << verified.out << verified.err;
}

// The package as a new user meets it: the install folder read-only, the
// user's folders fresh. The sample is offered and copied into the user's
// kit folder, builds there to "Done.", and the batch files are the user's.
TEST_F(PackageTest, ANewUserOfAReadOnlyInstallWorksInAKitFolderOfTheirOwn) {
    const std::string kit = root + "usr/lib/gdlkit/";
    const std::string data = dir.MakeFolder("data"), config = dir.MakeFolder("config");
    gdltest::ScopedEnv dataHome("XDG_DATA_HOME", data);
    gdltest::ScopedEnv configHome("XDG_CONFIG_HOME", config);
    gdltest::ScopedEnv machine("GDLKIT_MACHINE_REG", config + "machine.reg");
    gdltest::ScopedEnv noDisplay("DISPLAY", "");
    std::vector<std::unique_ptr<gdltest::ReadOnlyFolder>> readOnly;
    for (const char* folder : {"", "bin", "levels", "source"})
        readOnly.push_back(std::make_unique<gdltest::ReadOnlyFolder>(kit + folder));
    if (readOnly.front()->Writable()) GTEST_SKIP() << "no way to make a folder read-only here";

    gdltest::RealProcessWindow editor(kit);
    editor.prompts.answers.push_back(gdl::Answer::Yes);
    editor.window->FormActivate({});
    ASSERT_EQ(editor.prompts.shown.size(), 1u);
    EXPECT_EQ(editor.prompts.shown[0].caption, "Confirm");
    const std::string copy = data + "gdlkit/source/GemQuest/";
    EXPECT_THAT(editor.prompts.shown[0].text, HasSubstr("sample project \"GemQuest\""));
    EXPECT_THAT(editor.prompts.shown[0].text, HasSubstr(copy));
    ASSERT_TRUE(editor.window->Model().open);
    EXPECT_EQ(editor.window->Model().FullPath(), copy + "GemQuest.gdp");
    for (const char* file : {"GemQuest.gdp", "Caverns.lvs", "Depths.lvs", "Secrets.lvs"})
        EXPECT_TRUE(fs::exists(copy + file)) << file;
    // Offered once.
    gdltest::RealProcessWindow again(kit);
    again.registry.WriteValue(gdl::RegRoot::CurrentUser, gdl::kRegKeyEdit, gdl::kSampleOfferedValue,
                              "1");
    again.window->FormActivate({});
    EXPECT_TRUE(again.prompts.shown.empty());

    // The headless build to its default output, through the launcher.
    auto built = gdltest::RunProgram(
        {root + "usr/bin/gdledit", "--build", copy + "GemQuest.gdp", "--level-list"}, dir.Folder());
    EXPECT_EQ(built.status, 0) << built.out << built.err;
    EXPECT_THAT(built.out, testing::EndsWith("Done.\n"));
    EXPECT_TRUE(fs::exists(data + "gdlkit/levels/GemQuest.gdl")) << built.out;
    // The batch files are the user's, never the install folder's.
    for (const char* batch : {"ldedit.bat", "ldinfo.bat", "ldstat.bat"}) {
        EXPECT_TRUE(fs::exists(data + "gdlkit/" + batch)) << batch;
        EXPECT_FALSE(fs::exists(kit + "bin/" + batch)) << batch;
    }
}

}  // namespace
