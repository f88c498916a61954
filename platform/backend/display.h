#pragma once
// Choosing the display. The interactive display lives in lib/libveldra_qt.so,
// loaded only here, so batch runs and headless tests never load it.
#include <functional>
#include <string>

// True when a desktop is there to use: DISPLAY or WAYLAND_DISPLAY is set and
// VELDRA_HEADLESS is not 1.
bool DisplayWanted();

// Runs appMain on a new thread while the display's event loop runs on the
// calling thread (which must be the process's main thread) until appMain
// returns; the interactive back end is installed meanwhile. Returns false,
// with the reason, when the display could not start: nothing ran then and
// the caller decides (usually: run headless).
bool RunWithDisplay(int argc, char** argv, const std::function<int()>& appMain, int* exitCode, std::string* why);

// The library's path: VELDRA_QT_LIBRARY, else lib/libveldra_qt.so next to libveldra.
std::string DisplayLibraryPath();
