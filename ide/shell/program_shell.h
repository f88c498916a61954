#pragma once
// What a program document and its view ask of the main frame. The
// application implements it and hands it to every document its template
// makes; a document made otherwise has none and asks nothing.
class CMDIChildWnd;

class IProgramShell {
public:
    virtual ~IProgramShell() = default;
    // The status bar's message pane; null: the idle message.
    virtual void SetStatusText(const char* text) = 0;
    // "Ln %u, Col %u" in the cursor pane; false without a frame.
    virtual bool SetCursorPosText(unsigned line, unsigned column) = 0;
    // The active program window; null without a frame or an active child.
    virtual CMDIChildWnd* ActiveChildFrame() = 0;
    // Whether the output bar shows, and showing or hiding it.
    virtual bool OutputBarVisible() = 0;
    virtual void ShowOutputBar(bool show) = 0;
    // A failed hidden run: the frame shows, and stays.
    virtual void LeaveHiddenRun() = 0;
};
