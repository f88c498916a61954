#pragma once
// What the watcher asks of the shell. The program document that owns a
// watcher implements IWatcherHost; the frame a bar docks in implements
// IKeyboardPassThrough.
class CStatement;

class IWatcherHost {
public:
    virtual ~IWatcherHost() = default;
    // The program editor shows the line of a frame picked in the call stack.
    virtual void ShowFrameLine(CStatement* st) = 0;
    // The document's frame passes keys to a watch being edited (or stops).
    virtual void SetKeyboardPassThrough(bool on) = 0;
};

class IKeyboardPassThrough {
public:
    virtual ~IKeyboardPassThrough() = default;
    // While on, keys skip the accelerators and go to the focused window.
    virtual void SetKeyboardPassThrough(bool on) = 0;
};
