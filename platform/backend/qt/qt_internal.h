#pragma once
// Shared inside libveldra_qt.so.
#include <QString>
#include <QWindow>
#include <memory>
#include <string>

#include "platform/user/native_dialogs.h"
#include "platform/backend/qt/qt_backend.h"

// Qt key -> virtual key (0: not reported); the text a press reports.
UINT VirtualKeyOf(int key, Qt::KeyboardModifiers mods, quint32 nativeKey);
bool IsExtendedKey(int key, Qt::KeyboardModifiers mods);
std::u32string KeyText(UINT vk, const QString& text, Qt::KeyboardModifiers mods);

// Native dialogs (qt_dialogs.cpp), from the caller's thread.
int RunQtDialog(CNativeDialog& dialog);

// The Qt window of a top-level window (display thread; kept alive by the result).
VELDRA_QT_API std::shared_ptr<void> QtFindWindow(HWND hwnd, QWindow** window);
