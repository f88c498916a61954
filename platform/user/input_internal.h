#pragma once
// The raw-input side of the message queue (internal).
#include "platform/user/window_internal.h"

// Takes the head of the raw-input queue when it is for the calling thread
// and passes the filters. Runs without the thread's lock.
bool TakeRawInput(MSG* out, HWND filter, UINT filterMin, UINT filterMax, bool remove);
// Cheap check before taking the lock path.
bool RawInputWaiting();
// Text that the last key press taken by this thread typed, when msg is it.
bool KeyTextOf(const MSG& msg, std::u32string* text);
// Lets a thread that ended stop holding up the queue.
void ForgetInputThread(CThreadData& thread);
// Marks input as possibly waiting for the thread and wakes it.
void KickThread(CThreadData& t, UINT bits);
void SetForegroundInternal(HWND hwnd);
void ForgetForegroundAndCapture(HWND hwnd);
// Class style bits of a window's class.
UINT GetClassLongStyle(HWND hwnd);
// The scan code we report for a virtual key.
UINT MapVirtualKeyScan(UINT vk);
// WM_DROPFILES: the record behind an HDROP.
void* MakeDropRecord(const std::vector<std::string>& files, POINT pt, HWND target);
void TrackMoveSize(HWND hwnd, int hit, POINT start);
// Menus (menu.cpp): the menu bar's modal loop, from a press on it (screen
// point) or from the keyboard (key 0: Alt or F10; else a mnemonic).
void TrackMenuBarWithMouse(HWND hwnd, POINT pt);
void TrackMenuBarWithKey(HWND hwnd, UINT key);
// Non-client painting (nonclient_paint.cpp).
void PaintNonClient(HWND hwnd);
void SetCaretInverter(void (*invert)(HWND, const RECT&, bool grey));
void CaretPaintHide(HWND hwnd, bool hide);
void CaretBlinkStep();
// The class cursor of a window.
HCURSOR GetClassCursorOf(HWND hwnd);
bool CaretBlinkFrozen();
// When the thread found the head held by another thread's turn: the tick
// at which to look again (0: none). Clears it.
uint64_t TakeRawInputRetryTick();
// Whether the Alt release this thread took last had its press in the same
// focus (no focus change between them): only then is it a tap.
bool LastAltReleaseWasTap();
// SetActiveWindow with the WM_ACTIVATE state (WA_CLICKACTIVE for a click).
HWND ActivateWindow(HWND hwnd, WPARAM how);
