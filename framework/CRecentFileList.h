#pragma once
#include "framework/afxwin_base.h"

#include <vector>

// The recent-file list: most recent first, at most a fixed number of full
// paths, each path at most once (compared without regard to case).
class CRecentFileList {
public:
    CRecentFileList(const char* section, const char* entryFormat, int nSize)
        : m_strSection(section), m_strEntryFormat(entryFormat), m_nSize(nSize)
    {
    }

    void Add(const char* pathName);
    void Remove(int index);
    int GetSize() const { return m_nSize; }
    int GetCount() const { return static_cast<int>(m_paths.size()); }
    const CString& operator[](int index) const { return m_paths[static_cast<size_t>(index)]; }

    // Reads and writes the list under the application's profile (entries File1 ... FileN).
    void ReadList();
    void WriteList() const;

private:
    CString EntryName(int index) const;

    CString m_strSection;
    CString m_strEntryFormat;
    int m_nSize;
    std::vector<CString> m_paths;
};
