// The script and log of common-dialog answers.
#include "platform/afx/common_dialog_script.h"

#include "platform/backend/dialogs.h"

#include <deque>
#include <mutex>

namespace {
std::mutex g_lock;
std::deque<CommonDialogAnswer> g_answers;
std::vector<CommonDialogRecord> g_log;
}  // namespace

void PushCommonDialogAnswer(CommonDialogAnswer answer)
{
    std::lock_guard<std::mutex> g(g_lock);
    g_answers.push_back(std::move(answer));
}

void ClearCommonDialogAnswers()
{
    std::lock_guard<std::mutex> g(g_lock);
    g_answers.clear();
    g_log.clear();
}

std::vector<CommonDialogRecord> TakeCommonDialogLog()
{
    std::lock_guard<std::mutex> g(g_lock);
    std::vector<CommonDialogRecord> out;
    out.swap(g_log);
    return out;
}

bool HasCommonDialogAnswer()
{
    std::lock_guard<std::mutex> g(g_lock);
    return !g_answers.empty();
}

void SetLastCommonDialogResult(int result)
{
    std::lock_guard<std::mutex> g(g_lock);
    if (!g_log.empty()) g_log.back().result = result;
}

bool UseNativeCommonDialog() { return !HasCommonDialogAnswer() && NativeDialogsAvailable(); }

bool TakeCommonDialogAnswer(const std::string& kind, const std::string& title, const std::string& initial,
                            CommonDialogAnswer& answer)
{
    std::lock_guard<std::mutex> g(g_lock);
    if (g_answers.empty()) {
        answer = CommonDialogAnswer{};
        answer.result = 2;
    } else {
        answer = std::move(g_answers.front());
        g_answers.pop_front();
    }
    g_log.push_back(CommonDialogRecord{kind, title, initial, answer.result});
    return answer.result == 1;
}
