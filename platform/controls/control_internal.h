#pragma once
// Pieces every control shares: its state in the window's extra bytes, the
// style painter (bevels, frames, checks, radios, arrows), the pressable
// behaviour, colour messages and class registration.
#include <string>

#include "platform/controls/controls.h"

template <class T>
T* ControlState(HWND hwnd)
{
    return (T*)GetWindowLongPtr(hwnd, 0);
}

// Makes a control's state on WM_NCCREATE: a fresh T tied to hwnd and kept
// in the window's state slot, where ControlState finds it.
template <class T>
T* NewControlState(HWND hwnd)
{
    T* state = new T;
    state->hwnd = hwnd;
    SetWindowLongPtr(hwnd, 0, (LONG_PTR)state);
    return state;
}

// Ends a control's state on WM_NCDESTROY: the slot is cleared before the
// state goes, so late messages find none.
template <class T>
void DeleteControlState(HWND hwnd, T* state)
{
    SetWindowLongPtr(hwnd, 0, 0);
    delete state;
}

// Registers a control class with room for its state pointer.
void RegisterControlClass(const char* name, WNDPROC proc, UINT style = CS_DBLCLKS);

// Calls paint for WM_PAINT (begin/end paint) and WM_PRINTCLIENT (the DC in
// wParam); returns true when the message was one of them.
template <class F>
bool HandlePaintMessage(HWND hwnd, UINT msg, WPARAM wParam, F&& paint)
{
    if (msg == WM_PRINTCLIENT) {
        paint((HDC)wParam);
        return true;
    }
    if (msg != WM_PAINT) return false;
    PAINTSTRUCT ps;
    HDC hdc = BeginPaint(hwnd, &ps);
    if (hdc) paint(hdc);
    EndPaint(hwnd, &ps);
    return true;
}

// The one procedure of every control class T:
//   WM_NCCREATE              -> T::OnNcCreate(hwnd, w, l) when T has one (it makes the
//                               state), else a fresh T and DefWindowProc
//   no state yet             -> DefWindowProc
//   WM_PAINT, WM_PRINTCLIENT -> T::Paint(hdc)
//   WM_NCDESTROY             -> T::OnNcDestroy() when T has one, the state ends, DefWindowProc
//   anything else            -> T::OnMessage(msg, w, l): the control's switch to its typed
//                               handlers, which leaves what it does not take to DefWindowProc
template <class T>
LRESULT ControlProc(HWND hwnd, UINT msg, WPARAM w, LPARAM l)
{
    if (msg == WM_NCCREATE) {
        if constexpr (requires { T::OnNcCreate(hwnd, w, l); }) {
            return T::OnNcCreate(hwnd, w, l);
        } else {
            NewControlState<T>(hwnd);
            return DefWindowProc(hwnd, msg, w, l);
        }
    }
    T* self = ControlState<T>(hwnd);
    if (!self) return DefWindowProc(hwnd, msg, w, l);
    if (HandlePaintMessage(hwnd, msg, w, [&](HDC hdc) { self->Paint(hdc); })) return 0;
    if (msg == WM_NCDESTROY) {
        if constexpr (requires { self->OnNcDestroy(); }) self->OnNcDestroy();
        DeleteControlState(hwnd, self);
        return DefWindowProc(hwnd, msg, w, l);
    }
    return self->OnMessage(msg, w, l);
}

// The client point of a mouse message's lParam.
inline POINT PointOf(LPARAM l) { return POINT{GET_X_LPARAM(l), GET_Y_LPARAM(l)}; }

// Asks the parent for the colours of a control (WM_CTLCOLOR*); a null reply
// gives the system default brush for the kind.
HBRUSH ControlColours(HWND control, HDC hdc, UINT ctlColorMsg);

// The style painter.
enum class ArrowDir { Up, Down, Left, Right };
void PaintBevel(HDC hdc, const RECT& r, bool pressed, bool defaultFrame = false);
void PaintSunkenFrame(HDC hdc, const RECT& r);
void PaintCheckBox(HDC hdc, const RECT& box, UINT check, bool pushed, bool disabled);
void PaintRadio(HDC hdc, const RECT& box, bool checked, bool pushed, bool disabled);
void PaintArrow(HDC hdc, const RECT& r, ArrowDir dir, bool disabled);
void PaintFocus(HDC hdc, const RECT& r);
// Text of a control in its font; disabled text is embossed grey.
void PaintControlText(HDC hdc, HWND control, const std::string& text, RECT r, UINT format, bool disabled);

// The press behaviour of every pressable part (push buttons, check boxes,
// up-down arrows, toolbar buttons) and the capture of every drag that
// follows the pointer (a text selection, the size grip):
//   button down on a part    -> Down: tracking, pressed, the capture taken
//   pointer moves            -> Move (the client area is the part) or Follow (the
//                               part under the pointer): pressed while over the part;
//                               true when that changed
//   button up                -> Up (a click when released inside the client area) or
//                               End (a click when still pressed): the repeat stops, the
//                               capture goes
//   WM_CAPTURECHANGED        -> Lost: tracking ends without a click; true when it was on
//   held part, repeat timer  -> StartRepeat, then Repeat: true for each further step
struct CPressable {
    static constexpr UINT_PTR kRepeatTimer = 1;
    bool tracking = false;
    bool pressed = false;
    int part = 0;
    bool repeating = false;
    void Down(HWND hwnd, int part = 0);
    bool Move(HWND hwnd, POINT client);
    bool Follow(int partUnderPointer);
    bool Up(HWND hwnd, POINT client);
    bool End(HWND hwnd);
    bool Lost(HWND hwnd);
    void Cancel(HWND hwnd);
    // The part held down, 0 when none.
    int Held() const { return tracking && pressed ? part : 0; }
    void StartRepeat(HWND hwnd, UINT delay);
    bool Repeat(HWND hwnd, WPARAM timer, UINT interval);
};

std::string WindowTextOf(HWND hwnd);
// Whether the control was created with WS_VSCROLL (the style bit itself
// follows whether the bar shows).
bool WantsVScroll(HWND hwnd);
bool WantsHScroll(HWND hwnd);
void NoteScrollStyle(HWND hwnd, const CREATESTRUCT* cs);
// The first line a vertical scroll request (WM_VSCROLL's wParam) asks for:
// line and page steps from pos, or the thumb's track position; other codes
// leave pos as it is. The caller clamps.
int ScrolledLine(HWND hwnd, WPARAM w, int pos, int page);
// A list row's height in the control's font: the text height plus 3, at least `minimum`.
int ControlRowHeight(HWND control, int minimum);
// Normalises CR LF and lone CR to "\n".
std::string NormaliseLineEnds(std::string_view s);
