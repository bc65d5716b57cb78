#include "reports/CDrivePropertiesDlg.h"

#include "framework/CGdiObject.h"
#include "framework/Dpi.h"
#include "model/CDirEntry.h"
#include "resources/resource.h"

using namespace drivefigures;

// The volume flag of a compressed drive (FS_VOL_IS_COMPRESSED).
static constexpr DWORD kVolumeIsCompressed = 0x8000;

const MessageMap* CDrivePropertiesDlg::GetThisMessageMap()
{
    static const MsgMapEntry entries[] = {
        on::Message<WM_PAINT, &CDrivePropertiesDlg::OnPaint>(),
    };
    static const MessageMap map = MessageMap::Of(&CDialog::GetThisMessageMap, entries);
    return &map;
}

CDrivePropertiesDlg::CDrivePropertiesDlg() : CDialog(IDD_DRIVEPROPERTIES) {}

static CString CountText(std::uint32_t count)
{
    CString text;
    // Unsigned: a count of 2^31 clusters or more is no negative number.
    text.Format("%lu", static_cast<unsigned long>(count));
    return text;
}

void CDrivePropertiesDlg::SetFigures(const DriveSpace& space, DWORD fileSystemFlags, const CString& fileSystem,
                                     DWORD serialNumber)
{
    if (space.haveClusters) {
        m_strSectorsPerCluster = CountText(space.sectorsPerCluster);
        m_strBytesPerSector = CountText(space.bytesPerSector);
        m_strAvailableClusters = CountText(space.freeClusters);
        m_strTotalClusters = CountText(space.totalClusters);
    }
    if (fileSystemFlags & kVolumeIsCompressed) m_strCompressed = "Drive is compressed";
    m_strFileSystemName = fileSystem;
    m_strSerialNumber = SerialNumberText(serialNumber);

    const DriveBytes bytes = BytesOfDrive(space);
    m_strDriveSize = SizeText(bytes.total);
    m_strAvailableSpace = SizeText(bytes.free);
    m_strUsedSpace = SizeText(bytes.used);
    m_nFreeBytes = bytes.free;
    m_nUsedBytes = bytes.used;
}

void CDrivePropertiesDlg::DoDataExchange(CDataExchange* pDX)
{
    DDX_Text(pDX, IDC_AVAILABLE_SPACE, m_strAvailableSpace);
    DDX_Text(pDX, IDC_AVAILABLE_CLUSTERS, m_strAvailableClusters);
    DDX_Text(pDX, IDC_BYTES_PER_SECTOR, m_strBytesPerSector);
    DDX_Text(pDX, IDC_TOTAL_CLUSTERS, m_strTotalClusters);
    DDX_Text(pDX, IDC_USED_SPACE, m_strUsedSpace);
    DDX_Text(pDX, IDC_SECTORS_PER_CLUSTER, m_strSectorsPerCluster);
    DDX_Text(pDX, IDC_DRIVE_SIZE, m_strDriveSize);
    DDX_Text(pDX, IDC_COMPRESSED, m_strCompressed);
    DDX_Text(pDX, IDC_FILE_SYSTEM, m_strFileSystemName);
    DDX_Text(pDX, IDC_SERIAL_NUMBER, m_strSerialNumber);
}

void CDrivePropertiesDlg::OnPaint()
{
    CPaintDC dc(m_hWnd);
    // The dialog manager lays the template out at the window's DPI.
    DrawPie(dc, WindowDpi(m_hWnd));
}

namespace {

// A DC's mapping mode, extents and viewport origin.
struct DcMapping {
    int mode = MM_TEXT;
    SIZE windowExt{};
    SIZE viewportExt{};
    POINT viewportOrg{};

    static DcMapping Of(HDC hdc)
    {
        DcMapping mapping;
        mapping.mode = GetMapMode(hdc);
        GetWindowExtEx(hdc, &mapping.windowExt);
        GetViewportExtEx(hdc, &mapping.viewportExt);
        GetViewportOrgEx(hdc, &mapping.viewportOrg);
        return mapping;
    }
    void Restore(CDC& dc) const
    {
        dc.SetMapMode(mode);
        // The window extent first: in the isotropic mode the viewport's follows it.
        dc.SetWindowExt(windowExt.cx, windowExt.cy);
        dc.SetViewportExt(viewportExt.cx, viewportExt.cy);
        dc.SetViewportOrg(viewportOrg.x, viewportOrg.y);
    }
};

} // namespace

void CDrivePropertiesDlg::DrawPie(CDC& dc, int dpi) const
{
    // Logical units with y growing upwards; the isotropic mode takes the
    // smaller scale of the two axes, so the circle of radius 100 is 37.5
    // pixels at 96 DPI, centred on the viewport origin.
    const PieViewport viewport = PieViewportAt(dpi);
    // The previous mapping is read before any of it changes: in the isotropic
    // mode setting one extent adjusts the other.
    const DcMapping previous = DcMapping::Of(dc);
    dc.SetMapMode(MM_ISOTROPIC);
    dc.SetWindowExt(400, 400);
    dc.SetViewportExt(viewport.extentX, viewport.extentY);
    dc.SetViewportOrg(viewport.originX, viewport.originY);
    {
        CPen pen(CreatePen(PS_SOLID, 1, RGB(0, 0, 0)));
        CBrush freeBrush(CreateSolidBrush(RGB(0, 255, 0)));
        CBrush rimBrush(CreateSolidBrush(RGB(0, 128, 0)));
        CBrush usedBrush(CreateSolidBrush(RGB(0, 0, 255)));

        // The rim shows below and to the right of the disc.
        CSelectedObject selectedPen(dc, pen);
        CSelectedObject selectedRim(dc, rimBrush);
        dc.Ellipse(-100, 100, 105, -115);

        CSelectedObject selectedFree(dc, freeBrush);
        dc.Ellipse(-100, 100, 100, -100);

        const int percent = UsedPercent(m_nUsedBytes, m_nFreeBytes);
        if (percent > 0) {
            CSelectedObject selectedUsed(dc, usedBrush);
            const PiePoint start = WedgePoint(0);
            const PiePoint end = WedgePoint(percent);
            dc.Pie(-100, 100, 100, -100, start.x, start.y, end.x, end.y);
        }
    }
    previous.Restore(dc);
}
