#pragma once
// Basic handle and message types of the platform layer.
#include <cstdint>

typedef struct HWND__* HWND;   // opaque id with a generation tag, never an address
typedef uintptr_t WPARAM;
typedef intptr_t LPARAM;
typedef intptr_t LRESULT;
typedef uint32_t COLORREF;
typedef uint32_t UINT;
typedef uint32_t DWORD;
typedef int BOOL;

#ifndef WM_USER
#define WM_USER 0x0400
#endif

constexpr COLORREF RGB(int r, int g, int b)
{
    return (COLORREF)((r & 0xFF) | ((g & 0xFF) << 8) | ((b & 0xFF) << 16));
}

LRESULT SendMessage(HWND hWnd, UINT msg, WPARAM wParam, LPARAM lParam);
