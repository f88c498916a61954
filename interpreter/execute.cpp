#include "interpreter/block.h"
#include "interpreter/stack_guard.h"
#include "values/app_settings.h"
#include "values/value_matrix.h"

#include <new>

// The one run loop: the main block, every user-function body and every nested
// body of a compound statement run here, on the block object itself.
StatusWord ExecuteStatements(CStatementBlock* block)
{
    if (block->activeCount > AppSettings::MaxCallDepth) return ERR_STACK_OVERFLOW;
    // Mutual recursion through several blocks is not caught by the per-block count.
    if (StatusWord s = CheckStackSpace()) return s;

    ++block->activeCount;
    CStatementBlock* context = block->Context();
    StatusWord status = 0;
    int i = block->startIndex;
    while (i < block->Count() && !IsErrorStatus(status)) {
        CValue scratch;
        CStatement* st = block->statements[i];
        bool refused = false;
        try {
            if (context->DebugHook(st, i)) status = st->Execute(&scratch);
        } catch (const std::bad_alloc&) {
            // What the statement took is freed on the way here.
            refused = true;
            status = 0;
        }
        // An allocation refused where no one could report it fails the
        // statement, unless its own error has been written already. A long
        // fill that saw a stop ends as a refused one: the stop is the error.
        if (TakeOutOfMemory()) refused = true;
        const bool stopped = context->IsStopRequested() != 0;
        if (refused && !stopped && !(status & STATUS_REPORTED) &&
            !((status & STATUS_CODE_MASK) == ERR_INTERNAL && ErrorWritten()))
            status = ReportOutOfMemory();
        // A skipped statement still passes the stop check.
        if (stopped) status = WithCode(status, ERR_STOPPED);

        if (status & STATUS_GOTO) {
            int target = -1;
            for (int k = 0; k < block->Count(); ++k)
                if (block->statements[k]->labelId == context->pendingGotoLabel) {
                    target = k;
                    break;
                }
            if (target < 0) {
                // Not here: the enclosing block searches next.
                --block->activeCount;
                return status;
            }
            context->pendingGotoLabel = -1;
            status &= ~STATUS_GOTO;
            i = target;
            continue;
        }
        if (status & STATUS_FLOW_MASK) {
            --block->activeCount;
            return status;
        }
        if (IsErrorStatus(status) && !(status & STATUS_REPORTED)) {
            ReportStatementError(status, block, st->textStart);
            status |= STATUS_REPORTED;
        }
        if (context->AfterStatement(st, &status) == 0) ++i;
    }
    --block->activeCount;
    return status;
}
