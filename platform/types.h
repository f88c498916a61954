#pragma once
// Basic handle and message types of the platform layer.
#include <cstddef>
#include <cstdint>

typedef struct HWND__* HWND;   // opaque id with a generation tag, never an address
typedef uintptr_t WPARAM;
typedef intptr_t LPARAM;
typedef intptr_t LRESULT;
typedef uint32_t COLORREF;
typedef uint32_t UINT;
typedef uint32_t DWORD;
typedef int BOOL;

typedef uint8_t BYTE;
typedef uint16_t WORD;
typedef int16_t SHORT;
typedef int32_t LONG;
typedef intptr_t LONG_PTR;
typedef uintptr_t UINT_PTR;
typedef uintptr_t DWORD_PTR;
typedef size_t SIZE_T;
typedef uint16_t ATOM;

// Kernel objects: opaque ids with a generation tag, checked on every use.
typedef void* HANDLE;
// A loaded dynamic library (the dlopen handle); the program itself is null.
typedef struct HINSTANCE__* HINSTANCE;
typedef HINSTANCE HMODULE;
typedef struct HMENU__* HMENU;
typedef struct HICON__* HICON;
typedef HICON HCURSOR;
typedef struct HBRUSH__* HBRUSH;

#ifndef TRUE
#define TRUE 1
#endif
#ifndef FALSE
#define FALSE 0
#endif

#define INVALID_HANDLE_VALUE ((HANDLE)(intptr_t)-1)
#define INFINITE 0xFFFFFFFFu

#ifndef WM_USER
#define WM_USER 0x0400
#endif

struct POINT { LONG x, y; };
struct SIZE { LONG cx, cy; };
struct RECT { LONG left, top, right, bottom; };

// Coordinates read from files and settings are kept within this bound, so
// that sums, differences and scaled values of them fit 32 bits.
constexpr LONG kCoordLimit = 1 << 24;
constexpr LONG ClampCoord(int64_t v) { return v < -kCoordLimit ? -kCoordLimit : v > kCoordLimit ? kCoordLimit : (LONG)v; }
constexpr RECT ClampRect(const RECT& r)
{
    return RECT{ClampCoord(r.left), ClampCoord(r.top), ClampCoord(r.right), ClampCoord(r.bottom)};
}

struct MSG {
    HWND hwnd;
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
    DWORD time;
    POINT pt;
};

typedef LRESULT (*WNDPROC)(HWND, UINT, WPARAM, LPARAM);
typedef void (*TIMERPROC)(HWND, UINT, UINT_PTR, DWORD);
typedef BOOL (*WNDENUMPROC)(HWND, LPARAM);

constexpr COLORREF RGB(int r, int g, int b)
{
    return (COLORREF)((r & 0xFF) | ((g & 0xFF) << 8) | ((b & 0xFF) << 16));
}
constexpr WORD LOWORD(uintptr_t v) { return (WORD)(v & 0xFFFF); }
constexpr WORD HIWORD(uintptr_t v) { return (WORD)((v >> 16) & 0xFFFF); }
constexpr LONG MAKELONG(WORD lo, WORD hi) { return (LONG)((DWORD)lo | ((DWORD)hi << 16)); }

LRESULT SendMessage(HWND hWnd, UINT msg, WPARAM wParam, LPARAM lParam);
