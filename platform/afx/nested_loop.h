#pragma once
// Nested message loops of a thread (modal dialogs, drags, preview): each
// serves sent messages while it runs; a WM_QUIT ends it as cancelled and is
// posted again for the loop outside. A WM_CLOSE for a frame first ends the
// innermost loop as cancelled, so a frame is never destroyed under its own
// nested loop.
#include "platform/types.h"

class CNestedLoop {
public:
    CNestedLoop();
    ~CNestedLoop();
    CNestedLoop(const CNestedLoop&) = delete;
    CNestedLoop& operator=(const CNestedLoop&) = delete;

    // Takes the next message for the loop; false when the loop must end
    // (ended, cancelled or WM_QUIT).
    bool GetMessage(MSG* msg);
    void End(int result);
    void Cancel() { End(-1), m_cancelled = true; }
    bool Ended() const { return m_ended; }
    bool Cancelled() const { return m_cancelled; }
    int Result() const { return m_result; }

private:
    CNestedLoop* m_outer;
    bool m_ended = false;
    bool m_cancelled = false;
    int m_result = 0;
};

// The calling thread's innermost loop, or null.
CNestedLoop* AfxInnermostLoop();
// Ends the innermost loop as cancelled; false when there is none.
bool AfxCancelInnermostLoop();
// What a frame's WM_CLOSE does first: ends the thread's innermost nested loop,
// a menu being tracked, or a tracking loop that holds the capture inside
// `frame`. False when nothing was running, so the frame may close.
bool AfxEndLoopBeforeClose(HWND frame);
