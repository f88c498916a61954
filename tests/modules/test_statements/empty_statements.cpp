// A statement module that declares no statements: the loader drops it.
#include "interpreter/statement_module.h"

namespace {

class CEmptyGroup : public CmdrInfo {
public:
    CEmptyGroup() { description = "Empty"; }
    CStatement* CreateStatement(int, CStatementBlock*) override { return nullptr; }
};

CEmptyGroup Group;

}  // namespace

VELDRA_STATEMENT_MODULE_EXPORT CmdrInfo* GetCmdrInfo() { return &Group; }
