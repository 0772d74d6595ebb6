// What the web engine needs before the application object exists; call PrepareWebEngine()
// first thing in main() and in window tests.
#pragma once

namespace tarnwick {

// Shares OpenGL contexts as the web engine requires, and turns the engine's sandbox off when
// the program runs as root, where the sandbox refuses to start.
void PrepareWebEngine();

} // namespace tarnwick
