#include "PlayerApp.h"

#include <QApplication>
#include <QMessageBox>
#include <QPointer>
#include <QTimer>
#include <exception>
#include <memory>
#include <string>
#include <vector>

#include "Chooser.h"
#include "Cphint.h"
#include "Cpload.h"
#include "Cpmain.h"
#include "PlayerPictures.h"
#include "PlayerWindow.h"
#include "QtPlayerPorts.h"
#include "QtPrompts.h"
#include "Registry.h"
#include "ToolRunner.h"
#include "ZcommLine.h"

namespace gdl {
namespace {

// An error that escapes an event handler is shown and the player goes on.
class PlayerApplication : public QApplication {
public:
    using QApplication::QApplication;
    bool notify(QObject* receiver, QEvent* event) override {
        try {
            return QApplication::notify(receiver, event);
        } catch (const std::exception& e) {
            QMessageBox::critical(activeWindow(), kPlayerAppTitle,
                                  QString::fromLocal8Bit(e.what()));
        } catch (...) {
            QMessageBox::critical(activeWindow(), kPlayerAppTitle, "An unknown error occurred.");
        }
        return false;
    }
};

}  // namespace
}  // namespace gdl

int RunPlayerGui(int argc, char** argv) {
    using namespace gdl;
    PlayerApplication app(argc, argv);
    QApplication::setApplicationName(kPlayerAppTitle);
    QApplication::setWindowIcon(QIcon(GemPicture()));
    std::vector<std::string> args;
    for (int i = 1; i < argc; ++i) args.emplace_back(argv[i]);

    FileRegistry registry = FileRegistry::FromEnvironment();
    PosixToolRunner runner([] { QCoreApplication::processEvents(); });
    QtPrompts prompts;
    try {
        // The windows in the design's order: the main window, the hint, the chooser.
        TfPlay window;
        play::TfHint hint(&window);
        Chooser chooserCore(registry, prompts, runner);
        TfLoad load(chooserCore, &window);
        prompts.SetParent(&window);
        QtTimer timer(&window);
        QtPlayerDialogs dialogs(load, hint);
        QPointer<TfPlay> target(&window);
        ZcommLine line(
            [target](std::function<void()> fn) {
                if (target)
                    QMetaObject::invokeMethod(
                        target,
                        [target, fn = std::move(fn)] {
                            if (target) target->Run(fn);
                        },
                        Qt::QueuedConnection);
            },
            &registry);
        PlayerWindow core(
            {registry, runner, prompts, timer, line, dialogs, [&window] { window.RepaintNow(); }},
            args, ProgramFolder());
        window.SetCore(&core);
        timer.SetTick([&window] { window.Timer1Timer(); });
        window.Render();
        window.show();
        QTimer::singleShot(0, &window, [&window] { window.FormActivate(); });
        return QApplication::exec();
    } catch (const std::exception& e) {
        QMessageBox::critical(nullptr, kPlayerAppTitle, QString::fromLocal8Bit(e.what()));
        return 1;
    }
}
