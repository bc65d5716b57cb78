#include "framework/CRecentFileList.h"

#include "framework/CWinApp.h"

void CRecentFileList::Add(const char* pathName)
{
    CString path(pathName);
    if (path.IsEmpty()) return;
    for (size_t i = 0; i < m_paths.size(); ++i) {
        if (m_paths[i].CompareNoCase(path) == 0) {
            m_paths.erase(m_paths.begin() + static_cast<std::ptrdiff_t>(i));
            break;
        }
    }
    m_paths.insert(m_paths.begin(), path);
    if (m_paths.size() > static_cast<size_t>(m_nSize)) m_paths.resize(static_cast<size_t>(m_nSize));
}

void CRecentFileList::Remove(int index)
{
    if (index >= 0 && index < GetCount()) m_paths.erase(m_paths.begin() + index);
}

CString CRecentFileList::EntryName(int index) const
{
    CString name;
    name.Format(m_strEntryFormat, index + 1);
    return name;
}

void CRecentFileList::ReadList()
{
    CWinApp* app = AfxGetApp();
    m_paths.clear();
    for (int i = 0; i < m_nSize; ++i) {
        CString path = app->GetProfileString(m_strSection, EntryName(i));
        if (!path.IsEmpty()) m_paths.push_back(path);
    }
}

void CRecentFileList::WriteList() const
{
    CWinApp* app = AfxGetApp();
    for (int i = 0; i < m_nSize; ++i) {
        CString name = EntryName(i);
        if (i < GetCount()) app->WriteProfileString(m_strSection, name, m_paths[static_cast<size_t>(i)]);
        else app->WriteProfileString(m_strSection, name, nullptr);
    }
}
