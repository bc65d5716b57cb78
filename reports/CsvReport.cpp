#include "reports/CsvReport.h"

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
