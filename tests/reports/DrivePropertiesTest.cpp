// The drive Properties command and its dialog: the live figures of a fixture
// drive against what the system itself reports, the texts of the dialog's
// fields, the fallback without the byte query, a drive that is gone, and the
// pie drawn into a DIB section and read back by pixel.
#include "framework/CFileFind.h"
#include "reports/CDrivePropertiesDlg.h"
#include "resources/resource.h"
#include "tests/common/DialogAnswerer.h"
#include "tests/common/HeftAppTest.h"
#include "tests/views/Canvas.h"
#include "tests/views/GuiObjects.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace {

using namespace drivefigures;

const COLORREF kWhite = RGB(255, 255, 255);
const COLORREF kBlack = RGB(0, 0, 0);
const COLORREF kFree = RGB(0, 255, 0);
const COLORREF kRim = RGB(0, 128, 0);
const COLORREF kUsed = RGB(0, 0, 255);

const int kValueControls[] = {IDC_AVAILABLE_SPACE, IDC_AVAILABLE_CLUSTERS, IDC_BYTES_PER_SECTOR,
                              IDC_TOTAL_CLUSTERS,  IDC_USED_SPACE,         IDC_SECTORS_PER_CLUSTER,
                              IDC_DRIVE_SIZE,      IDC_COMPRESSED,         IDC_FILE_SYSTEM,
                              IDC_SERIAL_NUMBER};

std::string ControlText(HWND dlg, int id)
{
    HWND control = GetDlgItem(dlg, id);
    if (!control) return "<no control>";
    return GetWindowTextUtf8(control).str();
}

// What one showing of the dialog held.
struct Shown {
    std::map<int, std::string> texts;
    std::int64_t usedBytes = -1;
    std::int64_t freeBytes = -1;
};

Shown Read(HWND dlg)
{
    Shown shown;
    for (int id : kValueControls) shown.texts[id] = ControlText(dlg, id);
    if (auto* object = dynamic_cast<CDrivePropertiesDlg*>(CWnd::FromHandlePermanent(dlg))) {
        shown.usedBytes = object->m_nUsedBytes;
        shown.freeBytes = object->m_nFreeBytes;
    }
    return shown;
}

// A size text back to its count ("" is 0).
std::int64_t SizeOf(const std::string& text)
{
    std::string digits;
    for (char c : text)
        if (c != ',') digits += c;
    return digits.empty() ? 0 : std::stoll(digits);
}

// What the system reports for a drive, asked by the test itself.
struct SystemFigures {
    DWORD sectorsPerCluster = 0, bytesPerSector = 0, freeClusters = 0, totalClusters = 0;
    ULARGE_INTEGER available{}, total{}, totalFree{};
};

SystemFigures AskSystem(const CString& root)
{
    SystemFigures figures;
    const std::wstring wide = Utf8ToWide(root.str());
    EXPECT_TRUE(GetDiskFreeSpaceW(wide.c_str(), &figures.sectorsPerCluster, &figures.bytesPerSector,
                                  &figures.freeClusters, &figures.totalClusters));
    EXPECT_TRUE(GetDiskFreeSpaceExW(wide.c_str(), &figures.available, &figures.total, &figures.totalFree));
    return figures;
}

// Free space moves while other programs write to the same disk: a figure of
// the dialog lies between the test's own answers before and after it.
template <class T>
void ExpectBetween(T value, T before, T after, const char* what)
{
    EXPECT_GE(value, std::min(before, after)) << what;
    EXPECT_LE(value, std::max(before, after)) << what;
}

class DrivePropertiesCommandTest : public HeftAppTest {
protected:
    // Runs the Properties command of the active drive window; OK closes the dialog.
    Shown ShowProperties()
    {
        Shown shown;
        DialogAnswerer ok("Disk Properties", IDOK, [&shown](HWND dlg) { shown = Read(dlg); });
        main->SendMessage(WM_COMMAND, ID_DRIVE_PROPERTIES);
        EXPECT_EQ(ok.Answered(), 1) << "the dialog was shown and closed";
        return shown;
    }
};

} // namespace

TEST_F(DrivePropertiesCommandTest, CommandIsEnabledWithADriveOpen)
{
    FixtureDrive drive('R');
    drive.File("a.bin", 1000);
    ASSERT_NE(Open(drive), nullptr);
    HMENU popup = CreatePopupMenu();
    AppendMenuA(popup, MF_STRING, ID_DRIVE_PROPERTIES, "&Properties");
    main->SendMessage(WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(popup), 0);
    EXPECT_FALSE(GetMenuState(popup, ID_DRIVE_PROPERTIES, MF_BYCOMMAND) & MF_GRAYED);
    DestroyMenu(popup);
}

TEST_F(DrivePropertiesCommandTest, FiguresAreThoseTheSystemReportsForTheDrive)
{
    FixtureDrive drive('R');
    drive.File("a\\x.bin", 123456);
    drive.File("b.bin", 5000);
    CHeftDoc* doc = Open(drive);
    ASSERT_NE(doc, nullptr);

    const SystemFigures before = AskSystem(drive.Path(""));
    const Shown shown = ShowProperties();
    const SystemFigures after = AskSystem(drive.Path(""));

    auto count = [](DWORD value) { return std::to_string(value); };
    EXPECT_EQ(shown.texts.at(IDC_SECTORS_PER_CLUSTER), count(before.sectorsPerCluster));
    EXPECT_EQ(shown.texts.at(IDC_BYTES_PER_SECTOR), count(before.bytesPerSector));
    EXPECT_EQ(shown.texts.at(IDC_TOTAL_CLUSTERS), count(before.totalClusters));
    ExpectBetween(std::stoull(shown.texts.at(IDC_AVAILABLE_CLUSTERS)), static_cast<unsigned long long>(before.freeClusters),
                  static_cast<unsigned long long>(after.freeClusters), "available clusters");

    // Sizes: the byte query's, the whole drive's free bytes (not the caller's share).
    const auto total = static_cast<std::int64_t>(before.total.QuadPart);
    EXPECT_EQ(shown.texts.at(IDC_DRIVE_SIZE), SizeText(total).str());
    const std::int64_t free = SizeOf(shown.texts.at(IDC_AVAILABLE_SPACE));
    ExpectBetween(free, static_cast<std::int64_t>(before.totalFree.QuadPart),
                  static_cast<std::int64_t>(after.totalFree.QuadPart), "available space");
    EXPECT_EQ(shown.texts.at(IDC_AVAILABLE_SPACE), SizeText(free).str());
    EXPECT_EQ(SizeOf(shown.texts.at(IDC_USED_SPACE)), total - free);
    EXPECT_EQ(shown.freeBytes, free);
    EXPECT_EQ(shown.usedBytes, total - free);
    EXPECT_GT(total, 0);

    // The volume's identity as the document read it, which is the system's.
    DWORD serial = 0, flags = 0, maxComponent = 0;
    wchar_t fileSystem[MAX_PATH + 1] = {};
    ASSERT_TRUE(GetVolumeInformationW(L"R:\\", nullptr, 0, &serial, &maxComponent, &flags, fileSystem, MAX_PATH + 1));
    EXPECT_EQ(doc->m_dwSerialNumber, serial);
    EXPECT_EQ(shown.texts.at(IDC_SERIAL_NUMBER), SerialNumberText(serial).str());
    EXPECT_EQ(shown.texts.at(IDC_FILE_SYSTEM), WideToUtf8(fileSystem).str());
    EXPECT_FALSE(shown.texts.at(IDC_FILE_SYSTEM).empty());
    if (!(flags & 0x8000)) {
        EXPECT_EQ(shown.texts.at(IDC_COMPRESSED), "") << "the template's placeholder is replaced";
    }
}

TEST_F(DrivePropertiesCommandTest, CompressedNoteFollowsTheVolumeFlag)
{
    FixtureDrive drive('R');
    drive.File("a.bin", 1000);
    CHeftDoc* doc = Open(drive);
    ASSERT_NE(doc, nullptr);

    doc->m_dwFileSystemFlags |= 0x8000;
    EXPECT_EQ(ShowProperties().texts.at(IDC_COMPRESSED), "Drive is compressed");
    doc->m_dwFileSystemFlags &= ~static_cast<DWORD>(0x8000);
    EXPECT_EQ(ShowProperties().texts.at(IDC_COMPRESSED), "");
    // Other flags make no note.
    doc->m_dwFileSystemFlags = 0xFFFFFFFFu & ~static_cast<DWORD>(0x8000);
    EXPECT_EQ(ShowProperties().texts.at(IDC_COMPRESSED), "");
}

TEST_F(DrivePropertiesCommandTest, DriveThatIsGoneShowsEmptyFiguresAndAPieWithoutWedge)
{
    FixtureDrive drive('R');
    drive.File("a.bin", 1000);
    CHeftDoc* doc = Open(drive);
    ASSERT_NE(doc, nullptr);
    doc->m_dwSerialNumber = 0x1A2B3C4D;
    drive.Unmount();

    const Shown shown = ShowProperties();
    for (int id : {IDC_AVAILABLE_SPACE, IDC_AVAILABLE_CLUSTERS, IDC_BYTES_PER_SECTOR, IDC_TOTAL_CLUSTERS,
                   IDC_USED_SPACE, IDC_SECTORS_PER_CLUSTER, IDC_DRIVE_SIZE}) {
        EXPECT_EQ(shown.texts.at(id), "") << "control " << id;
    }
    EXPECT_EQ(shown.usedBytes, 0);
    EXPECT_EQ(shown.freeBytes, 0);
    // What the document knows of the volume is still shown.
    EXPECT_EQ(shown.texts.at(IDC_SERIAL_NUMBER), "1A2B-3C4D");
    EXPECT_EQ(shown.texts.at(IDC_FILE_SYSTEM), doc->m_strFileSystem.str());
    drive.Mount();
}

// ---- the dialog on its own: fields, texts, the pie ---------------------------

namespace {

// The dialog created modeless and hidden, its fields already exchanged.
class ShownDialog {
public:
    explicit ShownDialog(CDrivePropertiesDlg& dlg) : m_dlg(dlg) { m_created = dlg.Create(IDD_DRIVEPROPERTIES); }
    ~ShownDialog()
    {
        if (m_dlg.m_hWnd) m_dlg.DestroyWindow();
    }
    ShownDialog(const ShownDialog&) = delete;
    ShownDialog& operator=(const ShownDialog&) = delete;
    bool Created() const { return m_created; }
    std::string Text(int id) const { return ControlText(m_dlg.m_hWnd, id); }

private:
    CDrivePropertiesDlg& m_dlg;
    bool m_created = false;
};

DriveSpace Clusters(std::uint32_t total, std::uint32_t free, std::uint32_t sectors, std::uint32_t bytes)
{
    DriveSpace space;
    space.haveClusters = true;
    space.totalClusters = total;
    space.freeClusters = free;
    space.sectorsPerCluster = sectors;
    space.bytesPerSector = bytes;
    return space;
}

} // namespace

TEST(DrivePropertiesDlg, EachFieldGoesToItsOwnControl)
{
    CDrivePropertiesDlg dlg;
    for (CString* field : {&dlg.m_strAvailableSpace, &dlg.m_strAvailableClusters, &dlg.m_strBytesPerSector,
                           &dlg.m_strTotalClusters, &dlg.m_strUsedSpace, &dlg.m_strSectorsPerCluster,
                           &dlg.m_strDriveSize, &dlg.m_strCompressed, &dlg.m_strFileSystemName,
                           &dlg.m_strSerialNumber}) {
        EXPECT_TRUE(field->IsEmpty()) << "a new dialog has no texts";
    }
    dlg.m_strAvailableSpace = "available space";
    dlg.m_strAvailableClusters = "available clusters";
    dlg.m_strBytesPerSector = "bytes per sector";
    dlg.m_strTotalClusters = "total clusters";
    dlg.m_strUsedSpace = "used space";
    dlg.m_strSectorsPerCluster = "sectors per cluster";
    dlg.m_strDriveSize = "drive size";
    dlg.m_strCompressed = "compressed";
    dlg.m_strFileSystemName = "file system";
    dlg.m_strSerialNumber = "serial number";
    ShownDialog shown(dlg);
    ASSERT_TRUE(shown.Created());
    EXPECT_EQ(dlg.GetWindowText(), "Disk Properties");
    EXPECT_EQ(shown.Text(IDC_AVAILABLE_SPACE), "available space");
    EXPECT_EQ(shown.Text(IDC_AVAILABLE_CLUSTERS), "available clusters");
    EXPECT_EQ(shown.Text(IDC_BYTES_PER_SECTOR), "bytes per sector");
    EXPECT_EQ(shown.Text(IDC_TOTAL_CLUSTERS), "total clusters");
    EXPECT_EQ(shown.Text(IDC_USED_SPACE), "used space");
    EXPECT_EQ(shown.Text(IDC_SECTORS_PER_CLUSTER), "sectors per cluster");
    EXPECT_EQ(shown.Text(IDC_DRIVE_SIZE), "drive size");
    EXPECT_EQ(shown.Text(IDC_COMPRESSED), "compressed");
    EXPECT_EQ(shown.Text(IDC_FILE_SYSTEM), "file system");
    EXPECT_EQ(shown.Text(IDC_SERIAL_NUMBER), "serial number");

    // The two legend swatches carry their bitmaps.
    int bitmaps = 0;
    for (HWND child = GetWindow(dlg.m_hWnd, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        if ((GetWindowLongPtrW(child, GWL_STYLE) & SS_TYPEMASK) != SS_BITMAP) continue;
        EXPECT_NE(SendMessageW(child, STM_GETIMAGE, IMAGE_BITMAP, 0), 0);
        ++bitmaps;
    }
    EXPECT_EQ(bitmaps, 2);
}

TEST(DrivePropertiesDlg, TextsOfTheFigures)
{
    CDrivePropertiesDlg dlg;
    DriveSpace space = Clusters(1000, 250, 8, 512);
    space.haveBytes = true;
    space.totalBytes = 5000000000ull;
    space.totalFreeBytes = 1234567ull;
    dlg.SetFigures(space, 0, "NTFS", 0x0012ABCD);
    ShownDialog shown(dlg);
    ASSERT_TRUE(shown.Created());
    EXPECT_EQ(shown.Text(IDC_SECTORS_PER_CLUSTER), "8");
    EXPECT_EQ(shown.Text(IDC_BYTES_PER_SECTOR), "512");
    EXPECT_EQ(shown.Text(IDC_TOTAL_CLUSTERS), "1000");
    EXPECT_EQ(shown.Text(IDC_AVAILABLE_CLUSTERS), "250");
    EXPECT_EQ(shown.Text(IDC_DRIVE_SIZE), "5,000,000,000");
    EXPECT_EQ(shown.Text(IDC_AVAILABLE_SPACE), "1,234,567");
    EXPECT_EQ(shown.Text(IDC_USED_SPACE), "4,998,765,433");
    EXPECT_EQ(shown.Text(IDC_FILE_SYSTEM), "NTFS");
    EXPECT_EQ(shown.Text(IDC_SERIAL_NUMBER), "0012-ABCD");
    EXPECT_EQ(shown.Text(IDC_COMPRESSED), "");
    EXPECT_EQ(dlg.m_nFreeBytes, 1234567);
    EXPECT_EQ(dlg.m_nUsedBytes, 4998765433LL);
}

TEST(DrivePropertiesDlg, CountsAboveTwoToThe31AreNotNegative)
{
    CDrivePropertiesDlg dlg;
    dlg.SetFigures(Clusters(0xFFFFFFF0u, 0x80000000u, 1, 512), 0, "", 0);
    EXPECT_EQ(dlg.m_strTotalClusters, "4294967280");
    EXPECT_EQ(dlg.m_strAvailableClusters, "2147483648");
}

TEST(DrivePropertiesDlg, ACountOfZeroShowsAnEmptySizeText)
{
    CDrivePropertiesDlg full;
    full.SetFigures(Clusters(1000, 0, 8, 512), 0, "FAT", 0);
    ShownDialog shownFull(full);
    ASSERT_TRUE(shownFull.Created());
    EXPECT_EQ(shownFull.Text(IDC_AVAILABLE_SPACE), "");
    EXPECT_EQ(shownFull.Text(IDC_USED_SPACE), "4,096,000");

    CDrivePropertiesDlg empty;
    empty.SetFigures(Clusters(1000, 1000, 8, 512), 0, "FAT", 0);
    ShownDialog shownEmpty(empty);
    ASSERT_TRUE(shownEmpty.Created());
    EXPECT_EQ(shownEmpty.Text(IDC_AVAILABLE_SPACE), "4,096,000");
    EXPECT_EQ(shownEmpty.Text(IDC_USED_SPACE), "");
    EXPECT_EQ(shownEmpty.Text(IDC_AVAILABLE_CLUSTERS), "1000") << "cluster counts are plain numbers";
}

TEST(DrivePropertiesDlg, WithoutTheByteQueryTheClustersGiveTheTrueSize)
{
    CDrivePropertiesDlg small;
    small.SetFigures(Clusters(1000, 250, 8, 512), 0, "FAT", 0);
    EXPECT_EQ(small.m_strDriveSize, "4,096,000");
    EXPECT_EQ(small.m_strAvailableSpace, "1,024,000");
    EXPECT_EQ(small.m_strUsedSpace, "3,072,000");

    // 3 TiB of 4 KiB clusters, 1 TiB free: in 32 bits both products would be 0.
    CDrivePropertiesDlg large;
    large.SetFigures(Clusters(805306368u, 268435456u, 8, 512), 0, "NTFS", 0);
    EXPECT_EQ(large.m_strDriveSize, "3,298,534,883,328");
    EXPECT_EQ(large.m_strAvailableSpace, "1,099,511,627,776");
    EXPECT_EQ(large.m_strUsedSpace, "2,199,023,255,552");
    EXPECT_EQ(large.m_nUsedBytes, 2LL << 40);
}

TEST(DrivePropertiesDlg, NoAnswerAtAllLeavesEveryFigureEmpty)
{
    CDrivePropertiesDlg dlg;
    dlg.SetFigures(DriveSpace{}, 0, "NTFS", 0x12340000);
    for (const CString* field : {&dlg.m_strAvailableSpace, &dlg.m_strAvailableClusters, &dlg.m_strBytesPerSector,
                                 &dlg.m_strTotalClusters, &dlg.m_strUsedSpace, &dlg.m_strSectorsPerCluster,
                                 &dlg.m_strDriveSize}) {
        EXPECT_TRUE(field->IsEmpty()) << field->GetString();
    }
    EXPECT_EQ(dlg.m_nUsedBytes, 0);
    EXPECT_EQ(dlg.m_nFreeBytes, 0);
    EXPECT_EQ(dlg.m_strSerialNumber, "1234-0");
}

// ---- the pie -------------------------------------------------------------------

namespace {

class PieTest : public ::testing::Test {
protected:
    // Draws the pie of the given counts at a DPI into a white canvas the size
    // of the pie's viewport.
    void Draw(std::int64_t used, std::int64_t free, int dpi = 96)
    {
        viewport = PieViewportAt(dpi);
        canvas = std::make_unique<Canvas>(viewport.extentX, -viewport.extentY, kWhite);
        ASSERT_TRUE(canvas->Valid());
        CDrivePropertiesDlg dlg;
        dlg.m_nUsedBytes = used;
        dlg.m_nFreeBytes = free;
        CDC dc(canvas->Dc());
        dlg.DrawPie(dc, dpi);
    }
    // The pie's radius in pixels.
    double Radius() const { return viewport.extentX * 37.5 / 350; }
    // The pixel at a share of the radius from the centre, `degrees`
    // counterclockwise on the screen from 3 o'clock.
    COLORREF At(double ofRadius, double degrees) const
    {
        const double angle = degrees * 3.14159265358979 / 180;
        const int x = static_cast<int>(std::lround(viewport.originX + ofRadius * Radius() * std::cos(angle)));
        const int y = static_cast<int>(std::lround(viewport.originY - ofRadius * Radius() * std::sin(angle)));
        return canvas->At(x, y);
    }
    int Count(COLORREF colour) const
    {
        int count = 0;
        for (int y = 0; y < canvas->Height(); ++y)
            for (int x = 0; x < canvas->Width(); ++x)
                if (canvas->At(x, y) == colour) ++count;
        return count;
    }
    // Every sampled point of the disc away from the wedge's edges is blue
    // inside the wedge (0 to percent hundredths of the turn) and green outside.
    void ExpectWedge(int percent) const
    {
        const double end = percent * 3.6;
        for (int degrees = 0; degrees < 360; degrees += 5) {
            if (std::abs(degrees - end) < 5 || degrees < 5 || degrees > 355) continue;
            const COLORREF expected = degrees < end ? kUsed : kFree;
            for (double r : {0.35, 0.7}) {
                EXPECT_EQ(At(r, degrees), expected) << degrees << " degrees, " << r << " of the radius, p = " << percent;
            }
        }
    }

    PieViewport viewport;
    std::unique_ptr<Canvas> canvas;
};

} // namespace

TEST_F(PieTest, RimDiscAndWedgeAt96Dpi)
{
    Draw(25, 75);
    // The disc of radius 37.5 pixels around (175, 75), the rim below and to
    // the right of it, nothing beyond.
    EXPECT_EQ(canvas->At(175, 115), kRim) << "the rim below the disc";
    EXPECT_EQ(canvas->At(175, 30), kWhite) << "no rim above";
    EXPECT_EQ(canvas->At(130, 75), kWhite) << "no rim to the left";
    EXPECT_EQ(canvas->At(0, 0), kWhite);
    EXPECT_EQ(canvas->At(349, 149), kWhite);
    int outline = 0;
    for (int y = 105; y < 125; ++y)
        if (canvas->At(175, y) == kBlack) ++outline;
    EXPECT_GE(outline, 2) << "the disc and the rim are outlined in black";
    ExpectWedge(25);
    // A quarter from 3 to 12 o'clock.
    EXPECT_EQ(At(0.6, 45), kUsed);
    EXPECT_EQ(At(0.6, 135), kFree);
    EXPECT_EQ(At(0.6, 315), kFree);
}

TEST_F(PieTest, WedgeCoversTheShare)
{
    struct Case {
        std::int64_t used;
        std::int64_t free;
        int percent;
    };
    for (Case c : {Case{50, 50, 50}, Case{75, 25, 75}, Case{29, 71, 28}, Case{99, 1, 99},
                   Case{3LL << 40, 1LL << 40, 75}}) {
        SCOPED_TRACE(c.percent);
        Draw(c.used, c.free);
        ExpectWedge(c.percent);
    }
}

TEST_F(PieTest, SmallestWedgeLiesJustAbove3OClock)
{
    // One hundredth of the turn, drawn large enough (192 DPI) for its fill to
    // show between its two black edges.
    Draw(2, 98, 192);
    EXPECT_GT(Count(kUsed), 0);
    for (int y = 0; y < canvas->Height(); ++y) {
        for (int x = 0; x < canvas->Width(); ++x) {
            if (canvas->At(x, y) != kUsed) continue;
            const double degrees = std::atan2(viewport.originY - y, x - viewport.originX) * 180 / 3.14159265358979;
            ASSERT_GE(degrees, -1.0) << x << "," << y;
            ASSERT_LE(degrees, 3.6 + 1.5) << x << "," << y;
        }
    }
}

TEST_F(PieTest, NoWedgeBelowOnePercentOrWithoutBytes)
{
    Draw(1, 199);
    EXPECT_EQ(Count(kUsed), 0) << "half a percent draws no blue";
    EXPECT_EQ(At(0.5, 90), kFree);
    Draw(1, 99);
    EXPECT_EQ(Count(kUsed), 0) << "one percent in single precision falls short of it";
    Draw(0, 0);
    EXPECT_EQ(Count(kUsed), 0) << "no bytes at all";
    EXPECT_EQ(At(0.5, 90), kFree);
    EXPECT_EQ(canvas->At(175, 115), kRim);
}

TEST_F(PieTest, WholeDiscIsBlueAtOneHundredPercent)
{
    Draw(100, 0);
    EXPECT_EQ(Count(kFree), 0) << "no free space shows";
    // Everywhere but on the black edge along the 3 o'clock radial.
    for (int degrees = 5; degrees < 360; degrees += 10)
        for (double r : {0.2, 0.6, 0.9}) EXPECT_EQ(At(r, degrees), kUsed) << degrees << " degrees";
    EXPECT_EQ(canvas->At(175, 115), kRim);
}

TEST_F(PieTest, PieScalesWithTheDpi)
{
    Draw(25, 75, 192);
    EXPECT_EQ(viewport.originX, 350);
    EXPECT_EQ(Radius(), 75);
    EXPECT_EQ(canvas->At(350, 230), kRim);
    EXPECT_EQ(canvas->At(350, 60), kWhite) << "the disc ends 75 pixels above the centre";
    EXPECT_EQ(canvas->At(340, 80), kFree) << "just inside the disc's top, left of 12 o'clock";
    ExpectWedge(25);
}

TEST_F(PieTest, DrawingLeavesTheDcAsItFoundIt)
{
    Canvas canvas(350, 150, kWhite);
    HDC hdc = canvas.Dc();
    SetViewportOrgEx(hdc, 3, 4, nullptr);
    const HGDIOBJ pen = GetCurrentObject(hdc, OBJ_PEN);
    const HGDIOBJ brush = GetCurrentObject(hdc, OBJ_BRUSH);
    const long objects = guiobjects::CountGdiObjects();
    {
        CDrivePropertiesDlg dlg;
        dlg.m_nUsedBytes = 40;
        dlg.m_nFreeBytes = 60;
        CDC dc(hdc);
        dlg.DrawPie(dc, 96);
    }
    EXPECT_EQ(GetMapMode(hdc), MM_TEXT);
    POINT origin{};
    GetViewportOrgEx(hdc, &origin);
    EXPECT_EQ(origin.x, 3);
    EXPECT_EQ(origin.y, 4);
    SIZE extent{};
    GetWindowExtEx(hdc, &extent);
    EXPECT_EQ(extent.cx, 1);
    EXPECT_EQ(GetCurrentObject(hdc, OBJ_PEN), pen);
    EXPECT_EQ(GetCurrentObject(hdc, OBJ_BRUSH), brush);
    EXPECT_EQ(guiobjects::CountGdiObjects(), objects) << "the pen and brushes are gone";
}

TEST_F(PieTest, DrawingKeepsAnotherMappingOfTheDc)
{
    Canvas canvas(100, 100, kWhite);
    HDC hdc = canvas.Dc();
    SetMapMode(hdc, MM_ANISOTROPIC);
    SetWindowExtEx(hdc, 10, 20, nullptr);
    SetViewportExtEx(hdc, 30, -40, nullptr);
    {
        CDrivePropertiesDlg dlg;
        CDC dc(hdc);
        dlg.DrawPie(dc, 96);
    }
    EXPECT_EQ(GetMapMode(hdc), MM_ANISOTROPIC);
    SIZE window{}, viewportExt{};
    GetWindowExtEx(hdc, &window);
    GetViewportExtEx(hdc, &viewportExt);
    EXPECT_EQ(window.cx, 10);
    EXPECT_EQ(window.cy, 20);
    EXPECT_EQ(viewportExt.cx, 30);
    EXPECT_EQ(viewportExt.cy, -40);
}

TEST(DrivePropertiesDlg, PaintDrawsThePieWhereTheLayoutExpectsIt)
{
    CDrivePropertiesDlg dlg;
    dlg.m_nUsedBytes = 50;
    dlg.m_nFreeBytes = 50;
    ShownDialog shown(dlg);
    ASSERT_TRUE(shown.Created());
    dlg.ShowWindow(SW_SHOWNA);
    dlg.UpdateWindow();
    RECT client{};
    dlg.GetClientRect(&client);
    Canvas canvas(client.right, client.bottom, kWhite);
    HDC window = GetDC(dlg.m_hWnd);
    BitBlt(canvas.Dc(), 0, 0, client.right, client.bottom, window, 0, 0, SRCCOPY);
    ReleaseDC(dlg.m_hWnd, window);

    // The pie of the screen's DPI (96 in the test prefix: centre (175, 75),
    // radius 37.5), between the legend and the OK button.
    HDC screen = GetDC(nullptr);
    const int dpi = GetDeviceCaps(screen, LOGPIXELSY);
    ReleaseDC(nullptr, screen);
    const PieViewport viewport = PieViewportAt(dpi);
    const double radius = -viewport.extentY / 4.0;
    auto at = [&](double dx, double dy) {
        return canvas.At(static_cast<int>(std::lround(viewport.originX + dx * radius)),
                         static_cast<int>(std::lround(viewport.originY + dy * radius)));
    };
    EXPECT_EQ(at(-0.4, -0.4), kUsed) << "upper half used";
    EXPECT_EQ(at(0.4, -0.4), kUsed);
    EXPECT_EQ(at(0, 0.6), kFree) << "lower half free";
    EXPECT_EQ(at(0, 1.07), kRim);
    EXPECT_NE(at(0, -1.07), kRim) << "no rim above";

    // The pie lies between the legend and the OK button, clear of both.
    RECT ok{};
    GetWindowRect(dlg.GetDlgItem(IDOK), &ok);
    MapWindowPoints(nullptr, dlg.m_hWnd, reinterpret_cast<POINT*>(&ok), 2);
    EXPECT_GT(ok.left, viewport.originX + 1.1 * radius);
    RECT legend{};
    HWND swatch = GetWindow(dlg.GetDlgItem(IDOK), GW_HWNDNEXT);
    HWND label = GetWindow(swatch, GW_HWNDNEXT);
    EXPECT_EQ(GetWindowTextUtf8(label), "Used Space");
    GetWindowRect(label, &legend);
    MapWindowPoints(nullptr, dlg.m_hWnd, reinterpret_cast<POINT*>(&legend), 2);
    EXPECT_LT(legend.right, viewport.originX - 1.1 * radius);
}
