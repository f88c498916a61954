#pragma once
// System metrics and SystemParametersInfo (colours: sys_colors.h): fixed tables that
// tests may override; changes are announced to the top-level windows.
#include "platform/types.h"
#include "platform/user/sys_colors.h"
#include "platform/gdi/gdi.h"

#define SM_CXSCREEN 0
#define SM_CYSCREEN 1
#define SM_CXVSCROLL 2
#define SM_CYHSCROLL 3
#define SM_CYCAPTION 4
#define SM_CXBORDER 5
#define SM_CYBORDER 6
#define SM_CXDLGFRAME 7
#define SM_CYDLGFRAME 8
#define SM_CYVTHUMB 9
#define SM_CXHTHUMB 10
#define SM_CXICON 11
#define SM_CYICON 12
#define SM_CXCURSOR 13
#define SM_CYCURSOR 14
#define SM_CYMENU 15
#define SM_CXFULLSCREEN 16
#define SM_CYFULLSCREEN 17
#define SM_CYVSCROLL 20
#define SM_CXHSCROLL 21
#define SM_CXMIN 28
#define SM_CYMIN 29
#define SM_CXSIZE 30
#define SM_CYSIZE 31
#define SM_CXFRAME 32
#define SM_CYFRAME 33
#define SM_CXMINTRACK 34
#define SM_CYMINTRACK 35
#define SM_CXDOUBLECLK 36
#define SM_CYDOUBLECLK 37
#define SM_CXFIXEDFRAME 7
#define SM_CYFIXEDFRAME 8
#define SM_CXSIZEFRAME 32
#define SM_CYSIZEFRAME 33
#define SM_CMOUSEBUTTONS 43
#define SM_CXEDGE 45
#define SM_CYEDGE 46
#define SM_CXSMICON 49
#define SM_CYSMICON 50
#define SM_CYSMCAPTION 51
#define SM_CXSMSIZE 52
#define SM_CYSMSIZE 53
#define SM_CXMENUSIZE 54
#define SM_CYMENUSIZE 55
#define SM_CXMAXTRACK 59
#define SM_CYMAXTRACK 60
#define SM_CXMAXIMIZED 61
#define SM_CYMAXIMIZED 62
#define SM_CXDRAG 68
#define SM_CYDRAG 69
#define SM_CXMENUCHECK 71
#define SM_CYMENUCHECK 72
#define SM_MOUSEWHEELPRESENT 75
#define SM_CXVIRTUALSCREEN 78
#define SM_CYVIRTUALSCREEN 79
#define SM_CMONITORS 80
#define SM_COUNT 100

#ifndef COLOR_DESKTOP
#define COLOR_DESKTOP COLOR_BACKGROUND
#define COLOR_3DHILIGHT COLOR_BTNHIGHLIGHT
#define COLOR_BTNHILIGHT COLOR_BTNHIGHLIGHT
#endif

#define SPI_GETBORDER 0x0005u
#define SPI_GETWORKAREA 0x0030u
#define SPI_SETWORKAREA 0x002Fu
#define SPI_GETDRAGFULLWINDOWS 0x0026u
#define SPI_SETDRAGFULLWINDOWS 0x0025u
#define SPI_GETNONCLIENTMETRICS 0x0029u
#define SPI_GETICONTITLELOGFONT 0x001Fu
#define SPI_GETWHEELSCROLLLINES 0x0068u
#define SPI_SETWHEELSCROLLLINES 0x0069u
#define SPI_GETGRADIENTCAPTIONS 0x1008u
#define SPI_SETGRADIENTCAPTIONS 0x1009u
#define SPI_GETKEYBOARDCUES 0x100Au
#define SPI_GETFLATMENU 0x1022u
#define SPIF_UPDATEINIFILE 0x0001u
#define SPIF_SENDCHANGE 0x0002u

#define WM_SETTINGCHANGE 0x001Au
#define WM_WININICHANGE 0x001Au


struct NONCLIENTMETRICS {
    UINT cbSize;
    int iBorderWidth;
    int iScrollWidth;
    int iScrollHeight;
    int iCaptionWidth;
    int iCaptionHeight;
    LOGFONT lfCaptionFont;
    int iSmCaptionWidth;
    int iSmCaptionHeight;
    LOGFONT lfSmCaptionFont;
    int iMenuWidth;
    int iMenuHeight;
    LOGFONT lfMenuFont;
    LOGFONT lfStatusFont;
    LOGFONT lfMessageFont;
};

int GetSystemMetrics(int index);
BOOL SystemParametersInfo(UINT action, UINT uiParam, void* pvParam, UINT winIni);

// Overrides one metric (the display's screen size), announced with
// WM_SETTINGCHANGE; or puts every table back to its fixed values.
void SetSystemMetric(int index, int value);
void ResetSystemSettings();
// The UI font every non-client font uses (DejaVu Sans 9 pt at 96 dpi).
LOGFONT UiLogFont();
