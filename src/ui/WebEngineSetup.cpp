// Web engine start-up settings that must precede the application object.
#include "ui/WebEngineSetup.h"

#include <QCoreApplication>
#include <QtGlobal>
#include <unistd.h>

namespace tarnwick {

void PrepareWebEngine() {
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    if (::geteuid() == 0 && qEnvironmentVariableIsEmpty("QTWEBENGINE_DISABLE_SANDBOX")) {
        qputenv("QTWEBENGINE_DISABLE_SANDBOX", "1");
    }
}

} // namespace tarnwick
