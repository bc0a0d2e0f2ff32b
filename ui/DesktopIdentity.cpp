#include "DesktopIdentity.h"

#include <QGuiApplication>
#include <QTimer>

#ifndef GDLKIT_APP_ID_BASE
#define GDLKIT_APP_ID_BASE "org.gdlkit"
#endif

namespace gdl {

void SetDesktopIdentity(const char* program) {
    QGuiApplication::setDesktopFileName(QString::fromLatin1(GDLKIT_APP_ID_BASE ".") +
                                        QString::fromLatin1(program));
    // The X11 window class's instance part comes from RESOURCE_NAME when the
    // first window is made (else from the file name, "gdlplay.exe"). Once the
    // event loop runs the windows are made, and the programs we start must
    // not inherit our name.
    const bool had = qEnvironmentVariableIsSet("RESOURCE_NAME");
    const QByteArray before = qgetenv("RESOURCE_NAME");
    qputenv("RESOURCE_NAME", program);
    QTimer::singleShot(0, qApp, [had, before] {
        if (had)
            qputenv("RESOURCE_NAME", before);
        else
            qunsetenv("RESOURCE_NAME");
    });
}

}  // namespace gdl
