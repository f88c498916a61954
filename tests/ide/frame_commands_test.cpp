// The IDE's command states, asked through the main frame as its menus and
// toolbars ask, in each run state of the active program.
#include <chrono>
#include <thread>

#include "ide/resources.h"
#include "ide/veldra_doc.h"
#include "ide_start_util.h"

using namespace ide_test;

namespace {

bool PumpUntil(const std::function<bool()>& done, int milliseconds = 10000)
{
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(milliseconds);
    for (;;) {
        PumpUntilIdle();
        if (done()) return true;
        if (std::chrono::steady_clock::now() > end) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
}

TEST_F(IdeTest, FrameCommandStatesInEachRunState)
{
    const fs::path loop = root / "loop.vdx", quick = root / "quick.vdx";
    WriteText(loop, "n = 0;\nwhile (1)\n  n = n + 1;\nend\n");
    WriteText(quick, "a = 1;\n");
    ASSERT_TRUE(Start(IdeCommandLine{{loop.string()}, false}));
    auto* doc = dynamic_cast<CVeldraDoc*>(Frame()->GetActiveDocument());
    ASSERT_NE(doc, nullptr);

    enum { Idle, Running, Suspended, Finished };
    struct Row {
        UINT id;
        int enabled[4];
    };
    const Row rows[] = {
        {ID_PROGRAM_CALCULATE, {1, 0, 0, 0}},
        {ID_PROGRAM_PAUSE, {0, 1, 1, 0}},
        {ID_PROGRAM_STOP, {0, 1, 1, 0}},
        {ID_VIEW_OUTPUT, {1, 1, 1, 1}},
        {ID_VIEW_EDITOR, {1, 1, 1, 1}},
        {ID_VIEW_VARIABLES, {1, 1, 1, 1}},
        {ID_VIEW_FUNCTIONS, {1, 1, 1, 1}},
        {ID_VIEW_WATCHER, {0, 0, 0, 0}},
        // Settings wait while a program runs outside a break.
        {ID_TOOLS_SETTINGS, {1, 0, 0, 1}},
        {ID_INSERT_STATEMENT, {1, 1, 1, 1}},
        {ID_INSERT_FUNCTION, {1, 1, 1, 1}},
        {ID_INSERT_OPERATION, {1, 1, 1, 1}},
        {ID_INSERT_MATRIX, {1, 1, 1, 1}},
        {ID_INSERT_STRUCTURE, {1, 1, 1, 1}},
        {ID_INSERT_BINARY, {1, 1, 1, 1}},
        {ID_INSERT_NEW_FUNCTION, {1, 1, 1, 1}},
        {ID_EDIT_PROPERTIES, {1, 1, 1, 1}},
        {ID_HELP_CONTENTS, {1, 1, 1, 1}},
        {ID_HELP_WEBPAGE, {1, 1, 1, 1}},
    };
    auto expectState = [&](int state, const char* name) {
        for (const Row& r : rows) EXPECT_EQ(Probe(Frame(), r.id).enabled, r.enabled[state]) << name << " " << r.id;
        EXPECT_EQ(Probe(Frame(), ID_VIEW_CALCBAR).checked, 1) << name;
    };

    expectState(Idle, "Idle");
    Frame()->SendMessage(WM_COMMAND, ID_PROGRAM_CALCULATE);
    ASSERT_EQ(doc->GetRunState(), RunState::Running);
    expectState(Running, "Running");
    Frame()->SendMessage(WM_COMMAND, ID_PROGRAM_PAUSE);
    ASSERT_EQ(doc->GetRunState(), RunState::Suspended);
    expectState(Suspended, "Suspended");
    Frame()->SendMessage(WM_COMMAND, ID_PROGRAM_STOP);
    ASSERT_TRUE(PumpUntil([&] { return doc->GetRunState() == RunState::Idle; }));
    TakeMessageBoxLog();

    ASSERT_NE(app->OpenDocumentFile(quick.string().c_str()), nullptr);
    auto* q = dynamic_cast<CVeldraDoc*>(Frame()->GetActiveDocument());
    ASSERT_NE(q, nullptr);
    Frame()->SendMessage(WM_COMMAND, ID_PROGRAM_CALCULATE);
    // Ended, its handle held until the view's timer 10 collects it.
    ASSERT_TRUE(PumpUntil([&] { return !q->IsThreadAlive(); }));
    if (q->GetRunState() == RunState::Finished) expectState(Finished, "Finished");
    ASSERT_TRUE(PumpUntil([&] { return q->GetRunState() == RunState::Idle; }));
    expectState(Idle, "Idle again");
}

}  // namespace
