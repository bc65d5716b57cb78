#pragma once
#include "framework/CDC.h"
#include "framework/CDialog.h"
#include "reports/DriveFigures.h"

#include <cstdint>

// "Disk Properties": the live geometry and space figures of a drive, its
// serial number and file system, a note when the volume is compressed, and a
// pie of used (blue) against free (green) space. Lives only while the drive
// Properties command runs.
class CDrivePropertiesDlg : public CDialog {
    DECLARE_MESSAGE_MAP()
public:
    CDrivePropertiesDlg();

    // Fills every field from what the drive's free-space queries answered and
    // from the document's volume information. A query that failed leaves its
    // texts empty; with no byte counts at all the pie has no wedge.
    void SetFigures(const drivefigures::DriveSpace& space, DWORD fileSystemFlags, const CString& fileSystem,
                    DWORD serialNumber);

    // Draws the pie (rim, free disc, used wedge from 3 o'clock) for a dialog
    // laid out at `dpi`; the DC's mapping and selections are as before afterwards.
    void DrawPie(CDC& dc, int dpi) const;

    std::int64_t m_nFreeBytes = 0;
    std::int64_t m_nUsedBytes = 0;
    CString m_strAvailableSpace;
    CString m_strAvailableClusters;
    CString m_strBytesPerSector;
    CString m_strTotalClusters;
    CString m_strUsedSpace;
    CString m_strSectorsPerCluster;
    CString m_strDriveSize;
    CString m_strCompressed;
    CString m_strFileSystemName;
    CString m_strSerialNumber;

protected:
    void DoDataExchange(CDataExchange* pDX) override;
    void OnPaint();
};
