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

#include "Environment.h"
#include "FileUtil.h"
#include "Process.h"
#include "RunProgram.h"
#include "TempDir.h"

namespace {

namespace fs = std::filesystem;
using testing::HasSubstr;
using testing::StartsWith;

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
                             "share/applications/gdledit.desktop",
                             "share/applications/gdlplay.desktop",
                             "share/icons/hicolor/scalable/apps/gdlplay.svg",
                             "share/mime/packages/gdlkit-mime.xml",
                             "share/metainfo/org.gdlkit.gdledit.metainfo.xml",
                             "share/metainfo/org.gdlkit.gdlplay.metainfo.xml"})
        EXPECT_TRUE(fs::exists(usr + file)) << file;
    for (const char* page :
         {"gdledit", "gdlplay", "GDLMap", "ld.exe", "gdlstat.exe", "GDLTools.exe", "lynxsim"})
        EXPECT_TRUE(fs::exists(usr + "share/man/man1/" + page + ".1.gz")) << page;
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
    for (const Case& c : {Case{"gdlplay", "gdlplay.exe (GDLKIT) "}, Case{"gdledit", "GDLEdit "}}) {
        SCOPED_TRACE(c.launcher);
        auto version = gdltest::RunProgram({bin + c.launcher, "--version"}, dir.Folder());
        EXPECT_EQ(version.status, 0) << version.err;
        EXPECT_THAT(version.out, HasSubstr(c.says));
    }
}

TEST_F(PackageTest, DesktopAppStreamAndManualPagesPassTheirCheckers) {
    const std::string share = root + "usr/share/";
    const std::string desktop = Validator("desktop-file-validate");
    for (const char* file : {"gdledit.desktop", "gdlplay.desktop"}) {
        SCOPED_TRACE(file);
        const std::string path = share + "applications/" + file;
        EXPECT_THAT(gdl::ReadFileBytes(path).value_or(""), HasSubstr("Exec=\"/usr/bin/gdl"));
        if (desktop.empty()) continue;
        auto checked = gdltest::RunProgram({desktop, path}, dir.Folder());
        EXPECT_EQ(checked.status, 0) << checked.out << checked.err;
        EXPECT_EQ(checked.out + checked.err, "");
    }
    const std::string appstream = Validator("appstreamcli");
    for (const char* app : {"gdledit", "gdlplay"}) {
        SCOPED_TRACE(app);
        const std::string path = share + "metainfo/org.gdlkit." + app + ".metainfo.xml";
        const std::string text = gdl::ReadFileBytes(path).value_or("");
        EXPECT_THAT(text, HasSubstr("<launchable type=\"desktop-id\">" + std::string(app) +
                                    ".desktop</launchable>"));
        EXPECT_THAT(text, HasSubstr("<mediatype>application/x-gdlkit-"));
        EXPECT_THAT(text, HasSubstr(std::string(app) + "-"));  // the guide's pictures
        if (appstream.empty()) continue;
        auto checked = gdltest::RunProgram({appstream, "validate", "--no-net", path}, dir.Folder());
        EXPECT_EQ(checked.status, 0) << checked.out << checked.err;
    }
    // Each picture the metainfo shows is one of the guide's.
    const std::string guide = share + "doc/gdlkit/";
    for (const char* app : {"gdledit", "gdlplay"}) {
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

}  // namespace
