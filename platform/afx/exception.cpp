// Framework exceptions and the one report at the boundaries.
#include "platform/afx/exception.h"

#include <cstring>
#include <exception>
#include <new>

#include "platform/afx/resources.h"
#include "platform/afx/app_access.h"

IMPLEMENT_DYNAMIC(CException, CObject)
IMPLEMENT_DYNAMIC(CUserException, CException)
IMPLEMENT_DYNAMIC(CMemoryException, CException)
IMPLEMENT_DYNAMIC(CFileException, CException)
IMPLEMENT_DYNAMIC(CArchiveException, CException)

std::string CException::GetErrorMessage() const { return AfxLoadString(AFX_IDP_INTERNAL_FAILURE); }

int CException::ReportError(unsigned type, unsigned messageId) const
{
    std::string text = GetErrorMessage();
    if (text.empty() && messageId) text = AfxLoadString(messageId);
    if (text.empty()) return 0;
    return AfxMessageBox(text.c_str(), type);
}

std::string CMemoryException::GetErrorMessage() const { return AfxLoadString(AFX_IDS_MEMORY_EXCEPTION); }

std::string CFileException::GetErrorMessage() const
{
    std::string text = m_strFileName.empty() ? std::string("The file") : m_strFileName;
    switch (m_cause) {
    case fileNotFound: return "Cannot find the file " + text + ".";
    case accessDenied: return text + ": access denied.";
    case diskFull: return "The disk is full while writing " + text + ".";
    case endOfFile: return "Unexpected end of file reading " + text + ".";
    default: return "Cannot read or write " + text + (m_lOsError ? std::string(": ") + std::strerror(m_lOsError) : "") + ".";
    }
}

std::string CArchiveException::GetErrorMessage() const
{
    std::string text = m_strFileName.empty() ? std::string("the document") : m_strFileName;
    if (m_cause == endOfFile) return "Unexpected end of file reading " + text + ".";
    return "Unexpected file format in " + text + ".";
}

void AfxThrowUserException() { throw static_cast<CException*>(new CUserException); }
void AfxThrowMemoryException() { throw std::bad_alloc(); }
void AfxThrowFileException(int cause, int osError, const std::string& file)
{
    throw static_cast<CException*>(new CFileException(cause, osError, file));
}
void AfxThrowArchiveException(int cause, const std::string& file)
{
    throw static_cast<CException*>(new CArchiveException(cause, file));
}

void AfxReportCurrentException()
{
    try {
        throw;
    } catch (const std::bad_alloc&) {
        // No allocation on this path: the text lives in the platform table.
        AfxMessageBox(AfxLoadString(AFX_IDS_MEMORY_EXCEPTION).c_str(), 0x10);
    } catch (CException* e) {
        try {
            e->ReportError(0x10);
        } catch (...) {
        }
        e->Delete();
    } catch (...) {
        try {
            AfxMessageBox(AfxLoadString(AFX_IDP_INTERNAL_FAILURE).c_str(), 0x10);
        } catch (...) {
        }
    }
}
