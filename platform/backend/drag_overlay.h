#pragma once
// The drag rectangle of a bar being moved: an outline of four topmost,
// input-transparent tool windows above every other window, so nothing is ever
// drawn onto the desktop. A thick outline means "will float", a thin one
// "will dock". One overlay per process; it belongs to the thread that shows it.
#include "platform/user/user.h"

void ShowDragOverlay(const RECT& screen, bool thick);
void HideDragOverlay();
// Whether the overlay shows, and where (tests).
bool DragOverlayVisible(RECT* screen = nullptr, bool* thick = nullptr);
// How many times it was shown or moved since the start (tests).
int DragOverlayShowCount();
