#include "framework/CReportFile.h"

#include "framework/CFileFind.h"
#include "framework/SystemError.h"

CReportFile::CReportFile(const CString& targetPath) : m_strTarget(GetFullPathUtf8(targetPath)) {}

CReportFile::~CReportFile()
{
    Discard();
}

bool CReportFile::Fail()
{
    m_dwError = GetLastError();
    if (m_dwError == 0) m_dwError = ERROR_WRITE_FAULT;
    Discard();
    return false;
}

void CReportFile::Discard()
{
    m_file.Close();
    if (!m_strTemporary.IsEmpty()) DeleteFileW(ToWidePath(m_strTemporary).c_str());
    m_strTemporary.Empty();
}

bool CReportFile::Open()
{
    Discard();
    m_dwError = 0;
    const int separator = m_strTarget.ReverseFind('\\');
    if (separator < 0) {
        SetLastError(ERROR_INVALID_NAME);
        return Fail();
    }
    if (TargetIsReadOnly()) return Fail();
    // A short name of its own in the target's folder, so that the rename at
    // the end stays within one volume and no target name is too long for it.
    const CString folder = m_strTarget.Left(separator + 1);
    for (unsigned attempt = 0; attempt < 100; ++attempt) {
        CString name;
        name.Format("~heftscope-%lu-%u.tmp", static_cast<unsigned long>(GetCurrentProcessId()), attempt);
        m_file.Attach(CreateFileW(ToWidePath(folder + name).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                  FILE_ATTRIBUTE_NORMAL, nullptr));
        if (m_file.Valid()) {
            m_strTemporary = folder + name;
            return true;
        }
        if (GetLastError() != ERROR_FILE_EXISTS) break;
    }
    return Fail();
}

bool CReportFile::Write(std::string_view bytes)
{
    if (!m_file.Valid()) {
        if (m_dwError == 0) m_dwError = ERROR_INVALID_HANDLE;
        return false;
    }
    while (!bytes.empty()) {
        const DWORD chunk = bytes.size() > (1u << 30) ? (1u << 30) : static_cast<DWORD>(bytes.size());
        DWORD written = 0;
        if (!WriteFile(m_file.Get(), bytes.data(), chunk, &written, nullptr)) return Fail();
        // A write that takes nothing and reports no error has found no room.
        if (written == 0) {
            SetLastError(ERROR_DISK_FULL);
            return Fail();
        }
        bytes.remove_prefix(written);
    }
    return true;
}

bool CReportFile::Commit()
{
    if (!m_file.Valid()) {
        if (m_dwError == 0) m_dwError = ERROR_INVALID_HANDLE;
        return false;
    }
    // The whole file is on the disk before it takes the target's place: a
    // crash after the rename cannot leave a report cut short.
    if (!FlushFileBuffers(m_file.Get()) || !m_file.Close()) return Fail();
    if (TargetIsReadOnly()) return Fail();
    if (!MoveFileExW(ToWidePath(m_strTemporary).c_str(), ToWidePath(m_strTarget).c_str(),
                     MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
        return Fail();
    m_strTemporary.Empty();
    return true;
}

bool CReportFile::TargetIsReadOnly() const
{
    // A read-only file is not replaced, as Windows refuses to rename over one
    // (some file systems would let it happen).
    const DWORD attributes = GetFileAttributesUtf8(m_strTarget);
    if (attributes == INVALID_FILE_ATTRIBUTES || !(attributes & FILE_ATTRIBUTE_READONLY)) return false;
    SetLastError(ERROR_ACCESS_DENIED);
    return true;
}

CString CReportFile::FailureText() const
{
    return "Cannot write " + m_strTarget + ": " + SystemErrorText(m_dwError);
}
