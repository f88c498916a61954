#pragma once
// The interactive display over Qt 6 (internal to libveldra_qt.so).
//
// Threads: Qt runs on the process's main thread (the display thread). Our
// threads never call Qt: they queue ordered requests that the display thread
// runs; only calls that return data (clipboard import, dialogs) wait, serving
// the messages sent to them. The display thread never waits for our threads:
// what it reports goes through ReportBackendEvent.
#include <functional>

#include "platform/port/backend.h"

// The library shows its entry (veldra_qt_run) and the few calls marked so,
// for code loaded beside it; the rest stays inside.
#define VELDRA_QT_API __attribute__((visibility("default")))

// Queues work for the display thread (any thread; never waits); false once
// the display has stopped.
VELDRA_QT_API bool PostToDisplay(std::function<void()> work);
// Runs work on the display thread and waits for it, serving sends; false
// when the bound (milliseconds, 0xFFFFFFFF: none) passed first.
VELDRA_QT_API bool RunOnDisplayAndWait(std::function<void()> work, unsigned milliseconds);
bool OnDisplayThread();

std::unique_ptr<CBackend> MakeQtBackend();
// Display-thread set-up and tear-down around the event loop.
void StartQtDisplay();
void StopQtDisplay();
