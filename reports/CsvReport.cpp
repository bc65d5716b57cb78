#include "reports/CsvReport.h"

#include "framework/Utf16.h"

#include <commdlg.h>

CString AskCsvFile(HWND owner, CsvFileDialog dialog, const CString& defaultName)
{
    // The longest path the system takes, whatever the dialog is given.
    std::wstring buffer(32768, L'\0');
    CopyToWideBuffer(defaultName.str(), buffer.data(), buffer.size());
    OPENFILENAMEW ofn{};
    ofn.lStructSize = sizeof(ofn);
    ofn.hwndOwner = owner;
    ofn.lpstrFilter = L"CSV files (*.csv)\0*.csv\0";
    ofn.lpstrFile = buffer.data();
    ofn.nMaxFile = static_cast<DWORD>(buffer.size());
    ofn.lpstrDefExt = L"csv";
    ofn.Flags = OFN_PATHMUSTEXIST | OFN_HIDEREADONLY | OFN_NOCHANGEDIR | OFN_EXPLORER;
    ofn.Flags |= dialog == CsvFileDialog::Save ? OFN_OVERWRITEPROMPT : OFN_FILEMUSTEXIST;
    const BOOL chosen = dialog == CsvFileDialog::Save ? GetSaveFileNameW(&ofn) : GetOpenFileNameW(&ofn);
    return chosen ? WideToUtf8(buffer.c_str()) : CString();
}

bool CCsvReport::Begin()
{
    m_buffer.assign(CCsvWriter::kByteOrderMark);
    return m_file.Open();
}

bool CCsvReport::EndRow()
{
    m_csv.EndRow();
    if (m_buffer.size() < kWriteSize) return true;
    const bool written = m_file.Write(m_buffer);
    m_buffer.clear();
    return written;
}

bool CCsvReport::Finish()
{
    const bool written = m_file.Write(m_buffer);
    m_buffer.clear();
    return written && m_file.Commit();
}
