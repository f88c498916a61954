#pragma once
// Shared inside libveldra_qt.so.
#include <QString>
#include <QWindow>
#include <memory>
#include <string>

#include "platform/backend/dialogs.h"

// Qt key -> virtual key (0: not reported); the text a press reports.
UINT VirtualKeyOf(int key, Qt::KeyboardModifiers mods, quint32 nativeKey);
bool IsExtendedKey(int key, Qt::KeyboardModifiers mods);
std::u32string KeyText(UINT vk, const QString& text, Qt::KeyboardModifiers mods);

// Native dialogs (qt_dialogs.cpp), from the caller's thread.
int RunQtDialog(CNativeDialog& dialog);

// Test support: the Qt window of a top-level window (kept alive by the result).
std::shared_ptr<void> QtFindWindowForTest(HWND hwnd, QWindow** window);
void QtCommitText(QWindow* window, const QString& text);
