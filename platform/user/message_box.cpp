// Message boxes: headless answers, scripted by tests.
#include "platform/user/message_box.h"

#include <deque>

#include "platform/user/native_dialogs.h"
#include <mutex>

namespace {

struct Script {
    std::mutex lock;
    std::deque<int> answers;
    std::vector<MessageBoxRecord> log;
};

Script& TheScript()
{
    static Script* s = new Script;
    return *s;
}

int DefaultAnswer(UINT type)
{
    static const int buttons[7][3] = {
        {IDOK, 0, 0},          {IDOK, IDCANCEL, 0},       {IDABORT, IDRETRY, IDIGNORE},
        {IDYES, IDNO, IDCANCEL}, {IDYES, IDNO, 0},          {IDRETRY, IDCANCEL, 0},
        {IDCANCEL, IDTRYAGAIN, IDCONTINUE},
    };
    UINT kind = type & MB_TYPEMASK;
    if (kind > 6) kind = 0;
    UINT index = (type & MB_DEFMASK) >> 8;
    if (index > 2 || buttons[kind][index] == 0) index = 0;
    return buttons[kind][index];
}

}  // namespace

int MessageBox(HWND owner, const char* text, const char* caption, UINT type)
{
    Script& s = TheScript();
    int answer = DefaultAnswer(type);
    bool scripted;
    {
        std::lock_guard<std::mutex> g(s.lock);
        scripted = !s.answers.empty();
        if (scripted) {
            answer = s.answers.front();
            s.answers.pop_front();
        }
    }
    // On a desktop the user answers (a scripted answer still comes first).
    if (!scripted && NativeDialogsAvailable()) {
        int native = NativeMessageBox(owner, text, caption, type);
        if (native > 0) answer = native;
    }
    std::lock_guard<std::mutex> g(s.lock);
    s.log.push_back(MessageBoxRecord{text ? text : "", caption ? caption : "Error", type, answer});
    return answer;
}

void PushMessageBoxAnswer(int answer)
{
    Script& s = TheScript();
    std::lock_guard<std::mutex> g(s.lock);
    s.answers.push_back(answer);
}

void ClearMessageBoxAnswers()
{
    Script& s = TheScript();
    std::lock_guard<std::mutex> g(s.lock);
    s.answers.clear();
}

std::vector<MessageBoxRecord> TakeMessageBoxLog()
{
    Script& s = TheScript();
    std::lock_guard<std::mutex> g(s.lock);
    std::vector<MessageBoxRecord> out;
    out.swap(s.log);
    return out;
}
