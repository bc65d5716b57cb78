#include "document/CHeftDoc.h"

const MessageMap* CHeftDoc::GetThisMessageMap()
{
    static const MessageMap map{&CDocument::GetThisMessageMap, nullptr, nullptr};
    return &map;
}

BOOL CHeftDoc::OnNewDocument()
{
    // A drive document is always opened for a drive, never made empty.
    CDocument::OnNewDocument();
    return FALSE;
}

BOOL CHeftDoc::OnOpenDocument(const char* pathName)
{
    if (!CDocument::OnOpenDocument(pathName)) return FALSE;
    m_strDrive = CString(pathName).Left(2);
    return FALSE;
}
