#pragma once
// The clipboard: an in-process store that the back end exports. Data are
// global memory blocks (CF_ENHMETAFILE: a metafile handle) owned by the
// store from SetClipboardData on; emptying frees them.
#include <functional>
#include <string>
#include <vector>

#include "platform/kernel/global_memory.h"
#include "platform/types.h"

#define CF_TEXT 1u
#define CF_BITMAP 2u
#define CF_METAFILEPICT 3u
#define CF_DIB 8u
#define CF_UNICODETEXT 13u
#define CF_ENHMETAFILE 14u
#define CF_HDROP 15u

#define WM_DESTROYCLIPBOARD 0x0307u
#define WM_CLIPBOARDUPDATE 0x031Du

// Fails while another thread has the clipboard open (a thread that ended
// or was abandoned with it open has let it go).
BOOL OpenClipboard(HWND owner);
// Tells the back end when the contents changed.
BOOL CloseClipboard();
BOOL EmptyClipboard();
HANDLE SetClipboardData(UINT format, HANDLE data);
HANDLE GetClipboardData(UINT format);
BOOL IsClipboardFormatAvailable(UINT format);
int CountClipboardFormats();
UINT EnumClipboardFormats(UINT format);
HWND GetClipboardOwner();
HWND GetOpenClipboardWindow();
// One id per name, letter case ignored, from 0xC000.
UINT RegisterClipboardFormat(const char* name);
int GetClipboardFormatName(UINT format, char* buffer, int size);

// Back ends: another application took the clipboard; the store empties and
// GetClipboardData fetches formats from it through the back end.
void ClipboardTakenByOtherApplication();
// The MIME type a format is exchanged as ("" for none): CF_TEXT
// "text/plain;charset=utf-8", CF_ENHMETAFILE "image/svg+xml", registered
// formats "application/x-veldra-<name>" with bytes outside A-Z a-z 0-9 . _ + -
// as %XX.
std::string ClipboardMimeOf(UINT format);
// Back ends: told after a close that changed the contents.
void SetClipboardChangedHook(std::function<void()> hook);
// How CF_ENHMETAFILE data are deleted (DeleteEnhMetaFile unless replaced).
void SetClipboardMetafileDeleter(void (*deleter)(HANDLE));
// The bytes of a format's block (empty when absent); for back ends and tests.
std::vector<unsigned char> ClipboardBytes(UINT format);
// The bytes of a clipboard block as text: up to its size or a NUL inside it.
std::string ClipboardBlockBytes(HANDLE block);
// Tests: empty store, nobody holding it.
void ResetClipboardForTest();

// Dropped files (WM_DROPFILES).
typedef struct HDROP__* HDROP;
// index 0xFFFFFFFF gives the count; else the length of the name copied.
UINT DragQueryFile(HDROP drop, UINT index, char* buffer, UINT size);
BOOL DragQueryPoint(HDROP drop, POINT* pt);   // client coordinates of the target
void DragFinish(HDROP drop);
void DragAcceptFiles(HWND hwnd, BOOL accept);
