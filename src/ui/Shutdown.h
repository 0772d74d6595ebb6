// How the program ends: at once when the main window unloads, or, when the in-application
// browser is still open then, only once the browser closes.
#pragma once

#include <functional>

namespace tarnwick {

// Set by the main window's unload when the browser window is still visible.
extern bool exitWhenBrowserCloses;

// Releases the skin and ends the program.
void EndProgram();

// Replaces how the event loop is ended (tests count the calls instead); an empty handler
// restores the default, which quits the application.
void SetProgramEndHandler(std::function<void()> handler);

} // namespace tarnwick
