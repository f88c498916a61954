#include "ide/run/auto_calc_run.h"

#include "interpreter/program.h"
#include "interpreter/function_table.h"
#include "interpreter/var_table.h"

StatusWord CAutoCalcRun::TranslateNewLines(CProgram& program, std::istream& in)
{
    firstNew = program.Count();
    const int varsBefore = program.Vars() ? program.Vars()->Count() : 0;
    const int functionsBefore = program.Functions() ? program.Functions()->Count() : 0;
    const StatusWord status = program.Translate(in);
    rollbackMark.statements = program.Count() - firstNew;
    rollbackMark.variables = (program.Vars() ? program.Vars()->Count() : 0) - varsBefore;
    rollbackMark.functions = (program.Functions() ? program.Functions()->Count() : 0) - functionsBefore;
    return status;
}

void CAutoCalcRun::RollBack(CProgram& program) { program.Rollback(rollbackMark); }

bool CAutoCalcRun::RunFailed(const CProgram& program, StatusWord code)
{
    return IsErrorStatus(code) || program.IsAbandoned();
}
