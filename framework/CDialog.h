#pragma once
#include "framework/CWnd.h"

// Moves values between a dialog's controls and its fields.
class CDataExchange {
public:
    CDataExchange(HWND hDlg, BOOL bSaveAndValidate) : m_hDlg(hDlg), m_bSaveAndValidate(bSaveAndValidate) {}
    HWND m_hDlg;
    BOOL m_bSaveAndValidate; // TRUE: controls -> fields; FALSE: fields -> controls
};

void DDX_Text(CDataExchange* pDX, int nIDC, CString& value);

// A dialog from a template resource, modal (DoModal) or modeless (Create).
class CDialog : public CWnd {
    DECLARE_MESSAGE_MAP()
public:
    explicit CDialog(UINT nIDTemplate, CWnd* pParent = nullptr) : m_nIDTemplate(nIDTemplate), m_pParentWnd(pParent) {}

    virtual INT_PTR DoModal();
    virtual BOOL Create(UINT nIDTemplate, CWnd* pParent = nullptr);
    virtual BOOL OnInitDialog();
    virtual void DoDataExchange(CDataExchange*) {}
    BOOL UpdateData(BOOL bSaveAndValidate = TRUE);
    void EndDialog(int nResult);

    BOOL PreTranslateMessage(MSG* pMsg) override;
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;
    LRESULT DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;

    static INT_PTR CALLBACK DialogProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam);

protected:
    virtual void OnOK();
    virtual void OnCancel();

    UINT m_nIDTemplate;
    CWnd* m_pParentWnd; // the window the dialog was asked for by; also the window it disabled, if any

private:
    bool m_bModal = false;
    // Set by DefWindowProc while DialogProc dispatches a message: the dialog
    // manager is to do its default processing.
    bool* m_pWantsDefault = nullptr;
};
