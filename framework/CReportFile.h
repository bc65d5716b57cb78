#pragma once
// A report file that is written whole or not at all, for every report the
// program saves. The bytes go to a temporary file in the target's folder;
// Commit flushes it to the disk and only then renames it over the target.
// Whatever fails on the way (a full disk, access denied, a folder that is
// gone, a name the system refuses), an earlier file of the target's name
// stays as it was, and the temporary file is deleted, also when the object
// goes before Commit.
#include <windows.h>

#include <string_view>

#include "framework/CString.h"
#include "framework/OwnedHandle.h"

class CReportFile {
public:
    // The target's path, relative to the current folder or full.
    explicit CReportFile(const CString& targetPath);
    ~CReportFile();
    CReportFile(const CReportFile&) = delete;
    CReportFile& operator=(const CReportFile&) = delete;

    // Creates the temporary file; false when it cannot be, or when the
    // target is a read-only file.
    bool Open();
    bool Write(std::string_view bytes);
    // Puts the written file in the target's place.
    bool Commit();

    // The target's full path.
    const CString& TargetPath() const { return m_strTarget; }
    // The system's error of the step that failed, 0 while none did.
    DWORD Error() const { return m_dwError; }
    // What a user reads when it failed: "Cannot write D:\Reports\C.csv: Access is denied."
    CString FailureText() const;

private:
    bool Fail();
    void Discard();
    // Whether the target is a read-only file (the system's error then says so).
    bool TargetIsReadOnly() const;

    CString m_strTarget;
    CString m_strTemporary;
    OwnedHandle m_file;
    DWORD m_dwError = 0;
};
