#pragma once
#include "framework/CPrintDialog.h"

#include <memory>

// What one print job or print preview knows: the printer (through its
// dialog, which owns the printer's context), the range of pages, the page
// being drawn and whether to go on.
class CPrintInfo {
public:
    CPrintInfo() : m_pPD(std::make_unique<CPrintDialog>(FALSE)) {}

    void SetMinPage(UINT nMinPage) { m_pPD->m_pd.nMinPage = static_cast<WORD>(nMinPage); }
    void SetMaxPage(UINT nMaxPage) { m_pPD->m_pd.nMaxPage = static_cast<WORD>(nMaxPage); }
    UINT GetMinPage() const { return m_pPD->m_pd.nMinPage; }
    UINT GetMaxPage() const { return m_pPD->m_pd.nMaxPage; }
    // The pages the user asked for in the print dialog, else all of them.
    UINT GetFromPage() const
    {
        return (m_pPD->m_pd.Flags & PD_PAGENUMS) ? m_pPD->m_pd.nFromPage : GetMinPage();
    }
    UINT GetToPage() const { return (m_pPD->m_pd.Flags & PD_PAGENUMS) ? m_pPD->m_pd.nToPage : GetMaxPage(); }

    std::unique_ptr<CPrintDialog> m_pPD;
    BOOL m_bPreview = FALSE;
    BOOL m_bContinuePrinting = TRUE;
    UINT m_nCurPage = 1;
    // Pages side by side in print preview: 1 or 2.
    UINT m_nNumPreviewPages = 1;
};
