#include "PlayerApp.h"

#include <QApplication>
#include <QTimer>
#include <string>
#include <vector>

#include "Chooser.h"
#include "Cphint.h"
#include "Cpload.h"
#include "Cpmain.h"
#include "DesktopIdentity.h"
#include "DeviceWatcher.h"
#include "Environment.h"
#include "Guarded.h"
#include "PlayerPictures.h"
#include "PlayerWindow.h"
#include "QtPlayerPorts.h"
#include "QtPrompts.h"
#include "Registry.h"
#include "ToolRunner.h"
#include "ZcommLine.h"

int RunPlayerGui(int argc, char** argv) {
    using namespace gdl;
    GuardedApplication app(argc, argv, kPlayerAppTitle);
    QApplication::setApplicationName(kPlayerAppTitle);
    SetDesktopIdentity("gdlplay");
    QApplication::setWindowIcon(QIcon(GemPicture()));
    std::vector<std::string> args;
    for (int i = 1; i < argc; ++i) args.emplace_back(argv[i]);

    FileRegistry registry = FileRegistry::FromEnvironment();
    PosixToolRunner runner([] { QCoreApplication::processEvents(); });
    QtPrompts prompts;
    int status = 1;
    // An error while the windows are made is shown, and ends the player.
    RunGuarded(nullptr, [&] {
        // The windows in the design's order: the main window, the hint, the chooser.
        TfPlay window;
        play::TfHint hint(&window);
        Chooser chooserCore(registry, prompts, runner);
        TfLoad load(chooserCore, &window);
        prompts.SetParent(&window);
        QtTimer timer(&window);
        QtPlayerDialogs dialogs(load, hint);
        ZcommLine line(window.PostFunction(), &registry);
        PlayerWindow core(
            {registry, runner, prompts, timer, line, dialogs, [&window] { window.RepaintNow(); }},
            args, ProgramFolder());
        window.SetCore(&core);
        DeviceWatcher devices(
            "/dev", [&window, &core] { window.Run([&core] { core.DevicesChanged(); }); }, &window);
        timer.SetTick([&window] { window.Timer1Timer(); });
        window.Render();
        window.show();
        QTimer::singleShot(0, &window, [&window] { window.FormActivate(); });
        status = QApplication::exec();
    });
    return status;
}
