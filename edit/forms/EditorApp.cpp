#include "EditorApp.h"

#include <QApplication>
#include <QMessageBox>
#include <QTimer>
#include <exception>
#include <string>
#include <vector>

#include "DesktopIdentity.h"
#include "Environment.h"
#include "Guarded.h"
#include "Icons.h"
#include "Passwords.h"
#include "Pmmain.h"
#include "ProjectWindow.h"
#include "QtEditorDialogs.h"
#include "QtPrompts.h"
#include "QtSoundPlayer.h"
#include "Registry.h"
#include "ToolRunner.h"

namespace gdl {
namespace {

// A debugging aid: GDLEDIT_START_PAGE=props|source|levels|build opens that
// page after start-up, when a project is open.
void ShowStartPage(TfProj& window) {
    const QString page = qEnvironmentVariable("GDLEDIT_START_PAGE").toLower();
    if (page == QLatin1String("props")) window.Forward(On(&PageControl::bPropsClick));
    if (page == QLatin1String("source")) window.Forward(On(&PageControl::bSourceClick));
    if (page == QLatin1String("levels")) window.Forward(On(&PageControl::bLevelsClick));
    if (page == QLatin1String("build")) window.Forward(On(&PageControl::bBuildClick));
}

}  // namespace
}  // namespace gdl

int RunEditorGui(int argc, char** argv) {
    gdl::GuardedApplication app(argc, argv, QString::fromLatin1(gdl::kAppTitle));
    QApplication::setApplicationName(QStringLiteral("GDLEdit"));
    gdl::SetDesktopIdentity("gdledit");
    QApplication::setWindowIcon(gdl::MakeIcon(gdl::IconId::App));

    // The command line as the system gave it: paths are the file system's bytes.
    std::vector<std::string> args;
    for (int i = 1; i < argc; ++i) args.emplace_back(argv[i]);

    gdl::FileRegistry registry = gdl::FileRegistry::FromEnvironment();
    const std::string programFolder = gdl::ProgramFolder();
    gdl::SeedInstallFolder(registry, programFolder);
    gdl::PosixToolRunner runner([] { QCoreApplication::processEvents(); });
    gdl::QtPrompts prompts;
    gdl::QtEditorDialogs dialogs;
    gdl::QtSoundPlayer sound;
    gdl::ClockRandom random;

    gdl::TfProj window(
        gdl::EditorPorts{registry, runner, prompts, dialogs, sound, random, programFolder});
    prompts.SetParent(&window);
    dialogs.SetParent(&window);
    window.show();
    // Start-up runs inside the event loop, so that a start-up that closes the
    // window (no installation, the ".lvs" mode) also ends the program.
    QTimer::singleShot(0, &window, [&window, &args] {
        window.FormActivate(args);
        gdl::ShowStartPage(window);
    });
    return QApplication::exec();
}
