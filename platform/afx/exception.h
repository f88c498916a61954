#pragma once
// Framework exceptions. They are thrown by pointer (`throw new CUserException`)
// and caught as `CException*`; the catcher calls Delete(). No exception leaves
// a window procedure, a cross-thread send or a thread entry: AfxReportException
// is the one report at those boundaries.
#include <string>

#include "platform/afx/object.h"

class CException : public CObject {
    DECLARE_DYNAMIC(CException)
public:
    // The text of the report; empty when the user was already told.
    virtual std::string GetErrorMessage() const;
    // Shows the standard box with the text; returns its answer.
    virtual int ReportError(unsigned type = 0x30, unsigned messageId = 0) const;
    void Delete() { delete this; }
};

// Already reported to the user (a failed DDV check, a cancelled action).
class CUserException : public CException {
    DECLARE_DYNAMIC(CUserException)
public:
    std::string GetErrorMessage() const override { return {}; }
};

class CMemoryException : public CException {
    DECLARE_DYNAMIC(CMemoryException)
public:
    std::string GetErrorMessage() const override;
};

class CFileException : public CException {
    DECLARE_DYNAMIC(CFileException)
public:
    enum Cause { none, genericException, fileNotFound, accessDenied, diskFull, endOfFile };
    CFileException(int cause, int osError, std::string file) : m_cause(cause), m_lOsError(osError), m_strFileName(std::move(file)) {}
    std::string GetErrorMessage() const override;
    int m_cause;
    int m_lOsError;
    std::string m_strFileName;
};

class CArchiveException : public CException {
    DECLARE_DYNAMIC(CArchiveException)
public:
    enum Cause { none, genericException, badIndex, badClass, badSchema, endOfFile };
    explicit CArchiveException(int cause, std::string file = {}) : m_cause(cause), m_strFileName(std::move(file)) {}
    std::string GetErrorMessage() const override;
    int m_cause;
    std::string m_strFileName;
};

[[noreturn]] void AfxThrowUserException();
[[noreturn]] void AfxThrowMemoryException();
[[noreturn]] void AfxThrowFileException(int cause, int osError, const std::string& file);
[[noreturn]] void AfxThrowArchiveException(int cause, const std::string& file = {});

// The boundary report: call from inside a catch block; shows "Not enough
// memory." for std::bad_alloc, the exception's own text for a CException*,
// and a generic text for anything else. Never throws.
void AfxReportCurrentException();

// Runs fn; on any exception reports it (as above) and returns `failure`.
template <class R, class F>
R AfxGuard(R failure, F&& fn)
{
    try {
        return fn();
    } catch (...) {
        AfxReportCurrentException();
        return failure;
    }
}
