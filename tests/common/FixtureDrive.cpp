#include "tests/common/FixtureDrive.h"

#include "framework/Utf16.h"

#include <winioctl.h>

#include <cctype>
#include <cstring>
#include <stdexcept>
#include <vector>

namespace {

// Control codes and buffers of Wine's mount manager (\\.\MountPointManager),
// laid out as Wine 8 expects them. They are Wine's own extensions and do not
// exist on Windows, where the fixture drives are not needed.
constexpr DWORD kMountMgrType = 'm';
constexpr DWORD kDefineUnixDrive =
    CTL_CODE(kMountMgrType, 32, METHOD_BUFFERED, FILE_READ_ACCESS | FILE_WRITE_ACCESS);
constexpr DWORD kDefineShellFolder =
    CTL_CODE(kMountMgrType, 34, METHOD_BUFFERED, FILE_READ_ACCESS | FILE_WRITE_ACCESS);

struct UnixDriveRequest {
    ULONG size;
    ULONG type;               // DRIVE_*; DRIVE_NO_ROOT_DIR removes the letter
    ULONG fsType;
    DWORD serial;
    ULONGLONG unixDevice;
    WCHAR letter;
    USHORT mountPointOffset;  // of a Unix path (bytes, NUL-terminated)
    USHORT deviceOffset;
    USHORT labelOffset;
};
static_assert(sizeof(UnixDriveRequest) == 32, "layout must match Wine's");

struct ShellFolderRequest {
    BOOL createBackup;
    ULONG folderOffset;       // of an NT path (UTF-16, not terminated)
    ULONG folderSize;         // in bytes
    ULONG linkOffset;         // of the link's Unix text; 0 removes a link
};
static_assert(sizeof(ShellFolderRequest) == 16, "layout must match Wine's");

// Letters of the drives alive in this process.
DWORD g_lettersInUse = 0;
unsigned g_folderSerial = 0;

std::runtime_error Failure(const std::string& what, DWORD error = GetLastError())
{
    return std::runtime_error("FixtureDrive: " + what + " (error " + std::to_string(error) + ")");
}

std::wstring Environment(const wchar_t* name)
{
    const DWORD size = GetEnvironmentVariableW(name, nullptr, 0);
    if (size == 0)
        throw std::runtime_error("FixtureDrive: " + WideToUtf8(name).str()
                                 + " is not set; run the test executable through tests/wine-run.sh");
    std::wstring value(size, L'\0');
    value.resize(GetEnvironmentVariableW(name, value.data(), size));
    while (!value.empty() && (value.back() == L'\\' || value.back() == L'/'))
        value.pop_back();
    return value;
}

// "a/b\\c\\" -> "a\\b\\c"
std::string Components(const char* rel, char separator)
{
    std::string path = rel ? rel : "";
    for (char& ch : path) {
        if (ch == '/' || ch == '\\')
            ch = separator;
    }
    while (!path.empty() && path.front() == separator)
        path.erase(path.begin());
    while (!path.empty() && path.back() == separator)
        path.pop_back();
    return path;
}

class Handle {
public:
    explicit Handle(HANDLE handle) : m_handle(handle) {}
    ~Handle()
    {
        if (m_handle != INVALID_HANDLE_VALUE)
            CloseHandle(m_handle);
    }
    Handle(const Handle&) = delete;
    Handle& operator=(const Handle&) = delete;
    HANDLE get() const { return m_handle; }
    bool valid() const { return m_handle != INVALID_HANDLE_VALUE; }

private:
    HANDLE m_handle;
};

// The mount manager starts with the Wine session; give it a moment when the
// test process is the one that started the session.
Handle OpenMountManager()
{
    for (int attempt = 0;; ++attempt) {
        HANDLE handle = CreateFileW(L"\\\\.\\MountPointManager", GENERIC_READ | GENERIC_WRITE,
                                    FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr);
        if (handle != INVALID_HANDLE_VALUE)
            return Handle(handle);
        if (attempt == 50)
            throw Failure("cannot open Wine's mount manager");
        Sleep(100);
    }
}

void Control(DWORD code, std::vector<char>& request, const std::string& what)
{
    Handle manager = OpenMountManager();
    DWORD returned = 0;
    if (!DeviceIoControl(manager.get(), code, request.data(), static_cast<DWORD>(request.size()), nullptr, 0,
                         &returned, nullptr))
        throw Failure(what);
}

} // namespace

FixtureDrive::FixtureDrive(char letter)
    : m_letter(static_cast<char>(std::toupper(static_cast<unsigned char>(letter))))
{
    CheckLetterIsFree();
    const std::wstring fixtures = Environment(L"HEFT_FIXTURES");
    const std::string fixturesUnix = WideToUtf8(Environment(L"HEFT_FIXTURES_UNIX")).str();
    const std::string name = std::string(1, static_cast<char>(std::tolower(static_cast<unsigned char>(m_letter))))
        + "-" + std::to_string(GetCurrentProcessId()) + "-" + std::to_string(++g_folderSerial);
    m_host = L"\\\\?\\" + fixtures + L"\\" + Utf8ToWide(name);
    m_hostUnix = fixturesUnix + "/" + name;
    if (!CreateDirectoryW(m_host.c_str(), nullptr))
        throw Failure("cannot create the folder " + WideToUtf8(m_host).str());
    MountFirstTime();
}

FixtureDrive::FixtureDrive(char letter, const std::string& folderUnix, const std::string& deviceUnix)
    : m_letter(static_cast<char>(std::toupper(static_cast<unsigned char>(letter)))),
      m_hostUnix(folderUnix), m_deviceUnix(deviceUnix), m_ownsHost(false)
{
    CheckLetterIsFree();
    // Wine shows the Unix root as drive Z:.
    m_host = L"\\\\?\\Z:\\" + Utf8ToWide(Components(folderUnix.c_str(), '\\'));
    MountFirstTime();
}

void FixtureDrive::CheckLetterIsFree() const
{
    if (m_letter < 'D' || m_letter > 'Y')
        throw std::invalid_argument("FixtureDrive: letter must be D to Y");
    const DWORD bit = 1u << (m_letter - 'A');
    if (g_lettersInUse & bit)
        throw std::logic_error(std::string("FixtureDrive: drive ") + m_letter + ": is in use by another fixture");
    if (GetLogicalDrives() & bit)
        throw std::runtime_error(std::string("FixtureDrive: drive ") + m_letter + ": exists already");
}

void FixtureDrive::MountFirstTime()
{
    const DWORD bit = 1u << (m_letter - 'A');
    g_lettersInUse |= bit;
    try {
        Mount();
        if (!(GetLogicalDrives() & bit))
            throw Failure(std::string("drive ") + m_letter + ": did not appear");
    } catch (...) {
        g_lettersInUse &= ~bit;
        try {
            if (m_mounted)
                Define(DRIVE_NO_ROOT_DIR);
        } catch (...) {
        }
        if (m_ownsHost)
            RemoveDirectoryW(m_host.c_str());
        throw;
    }
}

FixtureDrive::~FixtureDrive()
{
    try {
        if (m_ownsHost) {
            DeleteTree(m_host);
            RemoveDirectoryW(m_host.c_str());
        }
        if (m_mounted)
            Unmount();
    } catch (...) {
        // tests/wine-run.sh removes whatever is left when the executable ends
    }
    g_lettersInUse &= ~(1u << (m_letter - 'A'));
}

CString FixtureDrive::Drive() const
{
    return CString(std::string(1, m_letter) + ":");
}

CString FixtureDrive::Path(const char* rel) const
{
    return CString(std::string(1, m_letter) + ":\\" + Components(rel, '\\'));
}

std::wstring FixtureDrive::HostPath(const char* rel) const
{
    const std::string components = Components(rel, '\\');
    return components.empty() ? m_host : m_host + L"\\" + Utf8ToWide(components);
}

// The mount manager takes NT paths: \??\ instead of \\?\.
std::wstring FixtureDrive::HostNtPath(const char* rel) const
{
    return L"\\??\\" + HostPath(rel).substr(4);
}

void FixtureDrive::Folder(const char* rel)
{
    const std::string components = Components(rel, '\\');
    size_t end = 0;
    while (end != std::string::npos && !components.empty()) {
        end = components.find('\\', end + 1);
        const std::wstring path = HostPath(components.substr(0, end).c_str());
        if (!CreateDirectoryW(path.c_str(), nullptr) && GetLastError() != ERROR_ALREADY_EXISTS)
            throw Failure("cannot create the folder " + components.substr(0, end));
    }
}

void FixtureDrive::File(const char* rel, unsigned long long size)
{
    const std::string components = Components(rel, '\\');
    const size_t slash = components.rfind('\\');
    if (slash != std::string::npos)
        Folder(components.substr(0, slash).c_str());

    Handle file(CreateFileW(HostPath(rel).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                            FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file.valid())
        throw Failure("cannot create the file " + components);
    LARGE_INTEGER end;
    end.QuadPart = static_cast<LONGLONG>(size);
    if (!SetFilePointerEx(file.get(), end, nullptr, FILE_BEGIN) || !SetEndOfFile(file.get()))
        throw Failure("cannot set the size of " + components);
}

void FixtureDrive::SetLastWriteTime(const char* rel, const SYSTEMTIME& time)
{
    FILETIME stamp;
    if (!SystemTimeToFileTime(&time, &stamp))
        throw Failure("invalid time");
    Handle file(CreateFileW(HostPath(rel).c_str(), FILE_WRITE_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE,
                            nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    if (!file.valid() || !SetFileTime(file.get(), nullptr, nullptr, &stamp))
        throw Failure(std::string("cannot set the time of ") + (rel ? rel : ""));
}

void FixtureDrive::LinkToFolder(const char* rel, const char* target)
{
    const std::string components = Components(rel, '\\');
    if (components.empty())
        throw std::invalid_argument("FixtureDrive: the root cannot be a link");
    const size_t slash = components.rfind('\\');
    if (slash != std::string::npos)
        Folder(components.substr(0, slash).c_str());

    // The link's text is the target's full Unix path: the mount manager checks
    // that the target is a folder, from its own working directory.
    const std::string targetComponents = Components(target, '/');
    const std::string linkText = targetComponents.empty() ? m_hostUnix : m_hostUnix + "/" + targetComponents;
    const std::wstring folder = HostNtPath(rel);
    const size_t folderBytes = folder.size() * sizeof(wchar_t);

    std::vector<char> request(sizeof(ShellFolderRequest) + folderBytes + linkText.size() + 1, '\0');
    auto* header = reinterpret_cast<ShellFolderRequest*>(request.data());
    header->folderOffset = sizeof(ShellFolderRequest);
    header->folderSize = static_cast<ULONG>(folderBytes);
    header->linkOffset = static_cast<ULONG>(sizeof(ShellFolderRequest) + folderBytes);
    std::memcpy(request.data() + header->folderOffset, folder.data(), folderBytes);
    std::memcpy(request.data() + header->linkOffset, linkText.c_str(), linkText.size() + 1);
    Control(kDefineShellFolder, request, "cannot place the link " + components + " -> " + linkText);
}

// Asking for "no link" makes the mount manager delete the link and leave an
// empty folder in its place. Deleting the link through the file API would
// reach its target instead: Wine resolves the link when opening the file.
void FixtureDrive::RemoveLink(const std::wstring& path)
{
    const std::wstring folder = L"\\??\\" + path.substr(4);
    const size_t folderBytes = folder.size() * sizeof(wchar_t);
    std::vector<char> request(sizeof(ShellFolderRequest) + folderBytes, '\0');
    auto* header = reinterpret_cast<ShellFolderRequest*>(request.data());
    header->folderOffset = sizeof(ShellFolderRequest);
    header->folderSize = static_cast<ULONG>(folderBytes);
    std::memcpy(request.data() + header->folderOffset, folder.data(), folderBytes);
    Control(kDefineShellFolder, request, "cannot remove the link " + WideToUtf8(path).str());
    RemoveDirectoryW(path.c_str());
}

void FixtureDrive::DeleteTree(const std::wstring& path)
{
    WIN32_FIND_DATAW found{};
    HANDLE find = FindFirstFileW((path + L"\\*").c_str(), &found);
    if (find == INVALID_HANDLE_VALUE)
        return;
    do {
        const std::wstring name = found.cFileName;
        if (name == L"." || name == L"..")
            continue;
        const std::wstring child = path + L"\\" + name;
        if (found.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) {
            RemoveLink(child);
        } else if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
            DeleteTree(child);
            SetFileAttributesW(child.c_str(), FILE_ATTRIBUTE_NORMAL);
            RemoveDirectoryW(child.c_str());
        } else {
            SetFileAttributesW(child.c_str(), FILE_ATTRIBUTE_NORMAL);
            DeleteFileW(child.c_str());
        }
    } while (FindNextFileW(find, &found));
    FindClose(find);
}

void FixtureDrive::Define(UINT driveType)
{
    std::vector<char> request(sizeof(UnixDriveRequest), '\0');
    USHORT deviceOffset = 0;
    if (driveType != DRIVE_NO_ROOT_DIR) {
        request.insert(request.end(), m_hostUnix.c_str(), m_hostUnix.c_str() + m_hostUnix.size() + 1);
        if (!m_deviceUnix.empty()) {
            deviceOffset = static_cast<USHORT>(request.size());
            request.insert(request.end(), m_deviceUnix.c_str(), m_deviceUnix.c_str() + m_deviceUnix.size() + 1);
        }
    }
    auto* header = reinterpret_cast<UnixDriveRequest*>(request.data());
    header->size = static_cast<ULONG>(request.size());
    header->type = driveType;
    header->letter = static_cast<WCHAR>(m_letter);
    if (driveType != DRIVE_NO_ROOT_DIR) {
        header->mountPointOffset = sizeof(UnixDriveRequest);
        header->deviceOffset = deviceOffset;
    }
    Control(kDefineUnixDrive, request, std::string("cannot define drive ") + m_letter + ":");
}

void FixtureDrive::SetType(UINT driveType)
{
    switch (driveType) {
    case DRIVE_FIXED:
    case DRIVE_REMOVABLE:
    case DRIVE_REMOTE:
    case DRIVE_CDROM:
    case DRIVE_RAMDISK:
        break;
    default:
        throw std::invalid_argument("FixtureDrive: unsupported drive type");
    }
    m_type = driveType;
    if (m_mounted)
        Define(m_type);
}

void FixtureDrive::SetType(const char* wineType)
{
    static const struct {
        const char* name;
        UINT type;
    } kTypes[] = {
        {"hd", DRIVE_FIXED},     {"floppy", DRIVE_REMOVABLE}, {"network", DRIVE_REMOTE},
        {"cdrom", DRIVE_CDROM},  {"ramdisk", DRIVE_RAMDISK},
    };
    for (const auto& entry : kTypes) {
        if (wineType && std::strcmp(wineType, entry.name) == 0) {
            SetType(entry.type);
            return;
        }
    }
    throw std::invalid_argument(std::string("FixtureDrive: unknown drive type ") + (wineType ? wineType : "(null)"));
}

void FixtureDrive::Unmount()
{
    if (!m_mounted)
        return;
    Define(DRIVE_NO_ROOT_DIR);
    m_mounted = false;
}

void FixtureDrive::Mount()
{
    if (m_mounted)
        return;
    Define(m_type);
    m_mounted = true;
}
