#pragma once
// Base of every statement of the language, of the device statement groups and
// of statement modules. Field order and virtual order are a plug-in interface.
#include <cstddef>
#include <istream>

#include "interpreter/status.h"

class CStatementBlock;
class CValue;

class CStatement {
public:
    int labelId = -1;    // interned label naming this statement
    int textStart = -1;  // offset of the first word
    int textEnd = -1;    // offset after Translate
    int spanStart = -1;  // where the previous statement ended
    int spanEnd = -1;
    CStatementBlock* owner;  // the block it lives in; its context services

    explicit CStatement(CStatementBlock* ownerBlock) : owner(ownerBlock) {}
    CStatement(const CStatement&) = delete;
    CStatement& operator=(const CStatement&) = delete;

    // slot 0
    virtual ~CStatement() {}
    // slot 1: reads the statement's text; the stream stands at its first word
    virtual StatusWord Translate(std::istream& in) = 0;
    // slot 2: runs it; scratch is an empty value owned by the caller
    virtual StatusWord Execute(CValue* scratch) = 0;
};

#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Winvalid-offsetof"
static_assert(offsetof(CStatement, labelId) == 8);
static_assert(offsetof(CStatement, textStart) == 12);
static_assert(offsetof(CStatement, textEnd) == 16);
static_assert(offsetof(CStatement, spanStart) == 20);
static_assert(offsetof(CStatement, spanEnd) == 24);
static_assert(offsetof(CStatement, owner) == 32);
static_assert(sizeof(CStatement) == 40);
#pragma GCC diagnostic pop
