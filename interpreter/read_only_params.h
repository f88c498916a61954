#pragma once
// Parameters that a user function's body can never change are bound to the
// caller's value for the call instead of a deep copy (see RunBound). Such a
// slot is marked readOnly: variables of it evaluate to read-only handles, and
// an operation that could change the value (indexing that may grow it, field
// access that may add a field) first gives the slot a copy of its own.
#include <vector>

#include "interpreter/expr_tree.h"

class CUserFunction;

// Per named parameter: 1 when no statement of the body can change it (never an
// assignment or step target, never a loop variable, never an argument that a
// callee may take by reference, no output of the same slot, no statement the
// scan does not know). Kept until the body changes.
const std::vector<unsigned char>& ReadOnlyParameters(CUserFunction* f);

// True when evaluating the expression cannot change any variable.
bool HasNoSideEffects(const ExprNode* n);

// Gives a read-only slot a deep copy of its own (the slot then behaves as a
// parameter bound by copy); the slot's value, null when the heap refuses.
CValue* TakeOwnCopy(CVarSlot* slot);
