#pragma once
// Helpers for the framework tests: a clean headless start, message-box and
// common-dialog scripts cleared around each test.
#include <gtest/gtest.h>
#include "tests/support/common_dialog_script.h"

#include "platform/afx/afx.h"
#include "platform/backend/headless_input.h"
#include "platform/kernel/kernel.h"
#include "platform/user/user.h"

class AfxTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ResetHeadlessInput();
        ClearMessageBoxAnswers();
        TakeMessageBoxLog();
        ClearCommonDialogAnswers();
        PumpUntilIdle();
    }
    void TearDown() override
    {
        PumpUntilIdle();
        CWnd::DeleteTempMap();
        ClearMessageBoxAnswers();
        ClearCommonDialogAnswers();
        ReleaseCapture();
        ClipCursor(nullptr);
        ResetHeadlessInput();
        PumpUntilIdle();
        // Drop a quit a test left behind.
        MSG m;
        while (PeekMessage(&m, nullptr, 0, 0, PM_REMOVE | PM_QS_POSTMESSAGE)) {
        }
        GetQueueStatus(QS_ALLINPUT);
    }
};

inline std::vector<std::string> BoxTexts()
{
    std::vector<std::string> out;
    for (const MessageBoxRecord& r : TakeMessageBoxLog()) out.push_back(r.text);
    return out;
}
