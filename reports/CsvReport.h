#pragma once
// A CSV report on its way to its file, for both ways of exporting: the rows
// gather in memory and go to the file (framework/CReportFile.h) a piece at a
// time, and the file takes the target's place only when Finish succeeds.
#include "framework/CReportFile.h"
#include "model/CsvWriter.h"

#include <string>

// The system's dialog for a CSV file: Save As (offering `defaultName`, asking
// before it replaces a file) or Open (of a file that exists). The chosen
// path, or empty when the user cancelled.
enum class CsvFileDialog { Save, Open };
CString AskCsvFile(HWND owner, CsvFileDialog dialog, const CString& defaultName = CString());

class CCsvReport {
public:
    explicit CCsvReport(const CString& targetPath) : m_file(targetPath), m_csv(m_buffer) {}

    // Creates the file's temporary and starts it with the byte-order mark.
    bool Begin();
    // The row being written.
    CCsvWriter& Csv() { return m_csv; }
    // Ends the row, writing what has gathered once it is worth a write.
    bool EndRow();
    // Writes the rest and puts the file in the target's place.
    bool Finish();

    const CString& TargetPath() const { return m_file.TargetPath(); }
    CString FailureText() const { return m_file.FailureText(); }

private:
    static constexpr size_t kWriteSize = 256 * 1024;

    CReportFile m_file;
    std::string m_buffer;
    CCsvWriter m_csv;
};
