// Ending the program: the skin goes first so the application's look is restored before exit.
#include "ui/Shutdown.h"

#include "ui/Skin.h"

#include <QCoreApplication>
#include <utility>

namespace tarnwick {

bool exitWhenBrowserCloses = false;

namespace {

std::function<void()>& EndHandler() {
    static std::function<void()> handler;
    return handler;
}

} // namespace

void EndProgram() {
    skinEngine().Release();
    if (EndHandler()) {
        EndHandler()();
    } else {
        QCoreApplication::quit();
    }
}

void SetProgramEndHandler(std::function<void()> handler) {
    EndHandler() = std::move(handler);
}

} // namespace tarnwick
