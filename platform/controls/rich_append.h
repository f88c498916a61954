#pragma once
// Output appended at the end of a rich-edit window by a writer that must not
// wait for the screen (the output bar, the console): the text is gathered in
// runs of one character format and put into the control in one go, at most
// once a display frame, so a burst of lines costs one layout and one paint.
// Owners put the gathered text in before they answer anything else about the
// control, so every query and every paint sees all of it.
#include <string>
#include <string_view>
#include <vector>

#include "platform/afx/afx_controls.h"

// The display's frame: gathered output reaches the control this often.
constexpr UINT kOutputFrameMilliseconds = 16;

class CRichAppendQueue {
public:
    // Text in a format laid over the control's default character format
    // (only the properties its mask names); null: the default format itself.
    void Add(std::string_view text, const CHARFORMAT* format);
    bool Empty() const { return m_text.empty(); }
    void Clear();
    // Inserts the gathered runs at the end of the control, each in its
    // format, and leaves `next` (laid over the default format; null: the
    // default format) as the one to insert next. The caller hides the
    // selection and deals with the view.
    void PutInto(CRichEditCtrl& ctrl, const CHARFORMAT* next = nullptr);

private:
    struct Run {
        size_t start = 0;
        CHARFORMAT format{};   // dwMask 0: the default format
    };
    std::string m_text;
    std::vector<Run> m_runs;
};
