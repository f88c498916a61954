// The unit tests' stand-in for the user at the common dialogs.
#include "tests/support/common_dialog_script.h"

#include <deque>
#include <mutex>

#include "platform/user/native_dialogs.h"

namespace {

class CScriptHook : public CCommonDialogHook {
public:
    bool Answer(const CommonDialogRequest& request, CommonDialogAnswer& answer) override
    {
        std::lock_guard<std::mutex> g(m_lock);
        if (m_answers.empty()) {
            // Nothing scripted: the display's own dialog when it has one
            // (display tests answer those), else the user cancels.
            const bool native = request.kind == "file-open" || request.kind == "file-save" || request.kind == "color" ||
                                request.kind == "font" || request.kind == "print";
            if (native && NativeDialogsAvailable()) return false;
            answer = CommonDialogAnswer{};
            answer.result = 2;
        } else {
            answer = std::move(m_answers.front());
            m_answers.pop_front();
        }
        m_log.push_back(CommonDialogRecord{request.kind, request.title, request.initial, answer.result});
        return true;
    }
    void Closed(int result) override
    {
        std::lock_guard<std::mutex> g(m_lock);
        if (!m_log.empty()) m_log.back().result = result;
    }

    std::mutex m_lock;
    std::deque<CommonDialogAnswer> m_answers;
    std::vector<CommonDialogRecord> m_log;
};

CScriptHook& Script()
{
    static CScriptHook* hook = [] {
        auto* h = new CScriptHook;
        SetCommonDialogHook(h);
        return h;
    }();
    return *hook;
}

// Installed before any test runs.
[[maybe_unused]] const bool g_installed = (Script(), true);

}  // namespace

void PushCommonDialogAnswer(CommonDialogAnswer answer)
{
    CScriptHook& s = Script();
    std::lock_guard<std::mutex> g(s.m_lock);
    s.m_answers.push_back(std::move(answer));
}

bool HasCommonDialogAnswer()
{
    CScriptHook& s = Script();
    std::lock_guard<std::mutex> g(s.m_lock);
    return !s.m_answers.empty();
}

void ClearCommonDialogAnswers()
{
    CScriptHook& s = Script();
    std::lock_guard<std::mutex> g(s.m_lock);
    s.m_answers.clear();
    s.m_log.clear();
}

std::vector<CommonDialogRecord> TakeCommonDialogLog()
{
    CScriptHook& s = Script();
    std::lock_guard<std::mutex> g(s.m_lock);
    std::vector<CommonDialogRecord> out;
    out.swap(s.m_log);
    return out;
}
