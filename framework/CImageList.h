#pragma once
#include "framework/afxwin_base.h"

// An image list. It destroys the list it created; a list it was only given
// with Attach (the shell's system list) must be detached before it goes.
class CImageList {
public:
    CImageList() = default;
    ~CImageList() { DeleteImageList(); }
    CImageList(const CImageList&) = delete;
    CImageList& operator=(const CImageList&) = delete;

    BOOL Create(int cx, int cy, UINT flags, int nInitial, int nGrow)
    {
        DeleteImageList();
        m_hImageList = ImageList_Create(cx, cy, flags, nInitial, nGrow);
        return m_hImageList != nullptr;
    }
    void Attach(HIMAGELIST hImageList)
    {
        DeleteImageList();
        m_hImageList = hImageList;
    }
    HIMAGELIST Detach()
    {
        HIMAGELIST h = m_hImageList;
        m_hImageList = nullptr;
        return h;
    }
    void DeleteImageList()
    {
        if (m_hImageList) ImageList_Destroy(m_hImageList);
        m_hImageList = nullptr;
    }
    int AddMasked(HBITMAP hBitmap, COLORREF crMask) { return ImageList_AddMasked(m_hImageList, hBitmap, crMask); }
    int GetImageCount() const { return ImageList_GetImageCount(m_hImageList); }
    HIMAGELIST GetSafeHandle() const { return m_hImageList; }
    operator HIMAGELIST() const { return m_hImageList; }

private:
    HIMAGELIST m_hImageList = nullptr;
};
