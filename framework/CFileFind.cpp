#include "framework/CFileFind.h"

#include "framework/OwnedHandle.h"

#include <winternl.h>

#include <atomic>
#include <cstddef>
#include <cstring>

#include <climits>
#include <vector>

namespace {

bool IsSeparator(wchar_t c) { return c == L'\\'; }

bool IsDriveLetter(wchar_t c) { return (c >= L'A' && c <= L'Z') || (c >= L'a' && c <= L'z'); }

// A "\\?\" path reaches the file system without being normalised, so only a
// path whose components are all real names may carry the prefix. A single
// trailing separator is allowed (a root such as "C:\" needs it): it ends the
// walk without making a component.
bool ComponentsAreLiteral(std::wstring_view path)
{
    size_t start = 0;
    while (start < path.size()) {
        size_t end = path.find(L'\\', start);
        if (end == std::wstring_view::npos) end = path.size();
        std::wstring_view part = path.substr(start, end - start);
        if (part.empty()) return false;
        if (part == L"." || part == L"..") return false;
        start = end + 1;
    }
    return true;
}

} // namespace

std::wstring ToWidePath(const CString& utf8Path)
{
    std::wstring path = Utf8ToWide(utf8Path.str());
    for (wchar_t& c : path) {
        if (c == L'/') c = L'\\';
    }

    // Already a device path ("\\?\", "\\.\", "\??\"): the caller meant it literally.
    const std::wstring_view head = std::wstring_view(path).substr(0, 4);
    if (head == L"\\\\?\\" || head == L"\\\\.\\" || head == L"\\??\\") return path;

    if (path.size() >= 3 && IsDriveLetter(path[0]) && path[1] == L':' && IsSeparator(path[2])) {
        if (ComponentsAreLiteral(std::wstring_view(path).substr(3))) return L"\\\\?\\" + path;
        return path;
    }

    // "\\server\share\...": the share must be named before the prefix can stand.
    if (path.size() > 2 && IsSeparator(path[0]) && IsSeparator(path[1]) && !IsSeparator(path[2])) {
        std::wstring_view rest = std::wstring_view(path).substr(2);
        size_t shareSep = rest.find(L'\\');
        if (shareSep != std::wstring_view::npos && shareSep + 1 < rest.size() && ComponentsAreLiteral(rest)) {
            return L"\\\\?\\UNC\\" + std::wstring(rest);
        }
    }
    return path;
}

namespace {
std::atomic<CFileFind::NextEntryHook> g_nextEntryHook{nullptr};
} // namespace

void CFileFind::SetNextEntryHook(NextEntryHook hook)
{
    g_nextEntryHook.store(hook);
}

bool CFileFind::FindFile(const CString& pattern)
{
    Close();
    m_strPattern = pattern;
    m_nEntries = 0;
    if (const NextEntryHook hook = g_nextEntryHook.load()) {
        if (const DWORD error = hook(m_strPattern, 0)) {
            m_dwEndError = error;
            return false;
        }
    }
    // Basic information skips the 8.3 names nobody here reads; a large fetch
    // asks for more entries per round trip.
    m_hFind = FindFirstFileExW(ToWidePath(pattern).c_str(), FindExInfoBasic, &m_data, FindExSearchNameMatch,
                               nullptr, FIND_FIRST_EX_LARGE_FETCH);
    if (m_hFind == INVALID_HANDLE_VALUE) {
        m_dwEndError = GetLastError();
        m_data = WIN32_FIND_DATAW{};
        return false;
    }
    m_nEntries = 1;
    return true;
}

bool CFileFind::FindNextFile()
{
    if (m_hFind == INVALID_HANDLE_VALUE) return false;
    if (const NextEntryHook hook = g_nextEntryHook.load()) {
        if (const DWORD error = hook(m_strPattern, m_nEntries)) {
            m_dwEndError = error;
            return false;
        }
    }
    if (!::FindNextFileW(m_hFind, &m_data)) {
        m_dwEndError = GetLastError();
        return false;
    }
    ++m_nEntries;
    return true;
}

bool CFileFind::ListedToTheEnd() const
{
    return m_dwEndError == ERROR_NO_MORE_FILES || m_dwEndError == ERROR_FILE_NOT_FOUND;
}

void CFileFind::Close()
{
    if (m_hFind != INVALID_HANDLE_VALUE) {
        FindClose(m_hFind);
        m_hFind = INVALID_HANDLE_VALUE;
    }
}

CString CFileFind::GetFileName() const
{
    return WideToUtf8(m_data.cFileName);
}

std::int64_t CFileFind::GetLength() const
{
    const std::uint64_t size = (static_cast<std::uint64_t>(m_data.nFileSizeHigh) << 32) | m_data.nFileSizeLow;
    return static_cast<std::int64_t>(size);
}

bool CFileFind::IsDots() const
{
    const wchar_t* name = m_data.cFileName;
    return name[0] == L'.' && (name[1] == L'\0' || (name[1] == L'.' && name[2] == L'\0'));
}

std::uint64_t CFileFind::GetLastWriteTime() const
{
    return (static_cast<std::uint64_t>(m_data.ftLastWriteTime.dwHighDateTime) << 32) |
           m_data.ftLastWriteTime.dwLowDateTime;
}

DWORD CFileFind::GetReparseTag() const
{
    // The field is defined only for reparse points.
    return (m_data.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) ? m_data.dwReserved0 : 0;
}

bool CFileFind::IsNameSurrogateLink(DWORD attributes, DWORD reparseTag)
{
    if (!(attributes & FILE_ATTRIBUTE_DIRECTORY) || !(attributes & FILE_ATTRIBUTE_REPARSE_POINT)) return false;
    return reparseTag == 0 || IsReparseTagNameSurrogate(reparseTag);
}

namespace {

// Opens an entry relative to an open folder, as the entry itself (a reparse
// point is not followed). INVALID_HANDLE_VALUE with the system's error set
// when it cannot be opened.
HANDLE OpenRelative(HANDLE hParent, const std::wstring& name, ACCESS_MASK access, ULONG options)
{
    if (name.empty() || name.size() * sizeof(wchar_t) > 0xFFFE) {
        SetLastError(ERROR_INVALID_NAME);
        return INVALID_HANDLE_VALUE;
    }
    UNICODE_STRING unicodeName{};
    unicodeName.Buffer = const_cast<wchar_t*>(name.c_str());
    unicodeName.Length = unicodeName.MaximumLength = static_cast<USHORT>(name.size() * sizeof(wchar_t));
    OBJECT_ATTRIBUTES attributes{};
    InitializeObjectAttributes(&attributes, &unicodeName, OBJ_CASE_INSENSITIVE, hParent, nullptr);
    IO_STATUS_BLOCK io{};
    HANDLE handle = nullptr;
    const NTSTATUS status =
        NtCreateFile(&handle, access | SYNCHRONIZE, &attributes, &io, nullptr, 0,
                     FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, FILE_OPEN,
                     options | FILE_SYNCHRONOUS_IO_NONALERT | FILE_OPEN_REPARSE_POINT | FILE_OPEN_FOR_BACKUP_INTENT,
                     nullptr, 0);
    if (status < 0) {
        SetLastError(RtlNtStatusToDosError(status));
        return INVALID_HANDLE_VALUE;
    }
    return handle;
}

// The attributes and file id of an open handle.
struct HandleIdentity {
    DWORD attributes = 0;
    std::int64_t fileId = 0;
};

bool IdentityOf(HANDLE handle, HandleIdentity& identity)
{
    FILE_ATTRIBUTE_TAG_INFO tag{};
    BY_HANDLE_FILE_INFORMATION info{};
    if (!GetFileInformationByHandleEx(handle, FileAttributeTagInfo, &tag, sizeof(tag)) ||
        !GetFileInformationByHandle(handle, &info))
        return false;
    identity.attributes = tag.FileAttributes;
    identity.fileId = static_cast<std::int64_t>((static_cast<std::uint64_t>(info.nFileIndexHigh) << 32) |
                                                info.nFileIndexLow);
    return true;
}

// Whether an opened entry is still the one the listing showed. A folder that
// became a link since, or anything swapped for another object, is refused:
// deleting through it would strike what it points at.
bool IsListedEntry(HANDLE handle, const CFolderHandle::Entry& entry)
{
    HandleIdentity identity;
    if (!IdentityOf(handle, identity)) return false;
    if (identity.fileId != entry.fileId ||
        (identity.attributes & FILE_ATTRIBUTE_DIRECTORY) != (entry.attributes & FILE_ATTRIBUTE_DIRECTORY)) {
        SetLastError(ERROR_FILE_INVALID);
        return false;
    }
    if (entry.IsFolder() && !entry.IsNameSurrogateLink() && (identity.attributes & FILE_ATTRIBUTE_REPARSE_POINT)) {
        SetLastError(ERROR_FILE_INVALID);
        return false;
    }
    return true;
}

bool MarkForDeletion(HANDLE handle)
{
    FILE_DISPOSITION_INFO disposition{TRUE};
    return SetFileInformationByHandle(handle, FileDispositionInfo, &disposition, sizeof(disposition)) != FALSE;
}

// Whether a handle opened as a reparse point shows a junction or symbolic
// link itself. A system that opened the link's target instead shows none:
// deleting through that handle would strike the target.
bool ShowsLinkItself(HANDLE handle)
{
    FILE_ATTRIBUTE_TAG_INFO tag{};
    return GetFileInformationByHandleEx(handle, FileAttributeTagInfo, &tag, sizeof(tag)) &&
           (tag.FileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) && IsReparseTagNameSurrogate(tag.ReparseTag);
}

} // namespace

bool CFolderHandle::Open(const CString& path)
{
    Close();
    OwnedHandle handle(CreateFileW(ToWidePath(path).c_str(),
                                   FILE_LIST_DIRECTORY | FILE_READ_ATTRIBUTES | DELETE | SYNCHRONIZE,
                                   FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                                   FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
    if (!handle.Valid()) return false;
    HandleIdentity identity;
    if (!IdentityOf(handle.Get(), identity)) return false;
    // A link is refused like anything else that is no plain folder.
    if (!(identity.attributes & FILE_ATTRIBUTE_DIRECTORY) || (identity.attributes & FILE_ATTRIBUTE_REPARSE_POINT)) {
        SetLastError(ERROR_DIRECTORY);
        return false;
    }
    m_hFolder = handle.Release();
    return true;
}

bool CFolderHandle::OpenChild(const CFolderHandle& parent, const Entry& entry)
{
    Close();
    OwnedHandle handle(OpenRelative(parent.m_hFolder, entry.name,
                                    FILE_LIST_DIRECTORY | FILE_READ_ATTRIBUTES | DELETE, FILE_DIRECTORY_FILE));
    if (!handle.Valid() || !IsListedEntry(handle.Get(), entry)) return false;
    m_hFolder = handle.Release();
    return true;
}

bool CFolderHandle::List(std::vector<Entry>& entries) const
{
    entries.clear();
    std::vector<std::uint64_t> buffer(64 * 1024 / sizeof(std::uint64_t)); // aligned for the records
    const auto* bytes = reinterpret_cast<const unsigned char*>(buffer.data());
    const size_t bufferSize = buffer.size() * sizeof(std::uint64_t);
    for (FILE_INFO_BY_HANDLE_CLASS infoClass = FileIdBothDirectoryRestartInfo;;
         infoClass = FileIdBothDirectoryInfo) {
        if (!GetFileInformationByHandleEx(m_hFolder, infoClass, buffer.data(), static_cast<DWORD>(bufferSize)))
            return GetLastError() == ERROR_NO_MORE_FILES;
        // Each record names the offset of the next; every offset and length
        // is checked against the part of the buffer the system filled.
        for (size_t offset = 0;;) {
            const size_t nameOffset = offsetof(FILE_ID_BOTH_DIR_INFO, FileName);
            if (offset + nameOffset > bufferSize) return false;
            FILE_ID_BOTH_DIR_INFO info;
            std::memcpy(&info, bytes + offset, nameOffset);
            if (offset + nameOffset + info.FileNameLength > bufferSize) return false;
            std::wstring name(info.FileNameLength / sizeof(wchar_t), L'\0');
            std::memcpy(name.data(), bytes + offset + nameOffset, name.size() * sizeof(wchar_t));
            if (name != L"." && name != L"..") {
                Entry entry;
                entry.name = std::move(name);
                entry.attributes = info.FileAttributes;
                // For a reparse point the system puts its tag where the size of
                // the extended attributes would be.
                entry.reparseTag = (info.FileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) ? info.EaSize : 0;
                entry.size = info.EndOfFile.QuadPart;
                entry.fileId = info.FileId.QuadPart;
                entries.push_back(std::move(entry));
            }
            if (info.NextEntryOffset == 0) break;
            offset += info.NextEntryOffset;
        }
    }
}

bool CFolderHandle::RemoveEntry(const Entry& entry) const
{
    const bool link = entry.IsNameSurrogateLink();
    OwnedHandle handle(OpenRelative(m_hFolder, entry.name, DELETE | FILE_READ_ATTRIBUTES,
                                    link || entry.IsFolder() ? 0 : FILE_NON_DIRECTORY_FILE));
    if (!handle.Valid() || !IsListedEntry(handle.Get(), entry)) return false;
    // A link goes only when the handle shows the link itself.
    if (link && !ShowsLinkItself(handle.Get())) {
        SetLastError(ERROR_NOT_A_REPARSE_POINT);
        return false;
    }
    return MarkForDeletion(handle.Get());
}

bool CFolderHandle::RemoveWhenClosed() const
{
    return MarkForDeletion(m_hFolder);
}

void CFolderHandle::Close()
{
    if (m_hFolder != INVALID_HANDLE_VALUE) {
        CloseHandle(m_hFolder);
        m_hFolder = INVALID_HANDLE_VALUE;
    }
}

bool DeleteFileUtf8(const CString& path)
{
    return DeleteFileW(ToWidePath(path).c_str()) != FALSE;
}

bool RemoveDirectoryUtf8(const CString& path)
{
    return RemoveDirectoryW(ToWidePath(path).c_str()) != FALSE;
}

bool RemoveLinkUtf8(const CString& path)
{
    std::wstring wide = ToWidePath(path);
    // Opened as the reparse point itself, the link (not its target) is what
    // the handle deletes when it closes. A system that ignores the request
    // and opens the target instead shows no reparse point on the handle:
    // then nothing is deleted, for deleting would strike the target.
    {
        OwnedHandle handle(CreateFileW(wide.c_str(), DELETE | FILE_READ_ATTRIBUTES,
                                       FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                                       FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
        if (!handle.Valid()) return false;
        if (!ShowsLinkItself(handle.Get())) {
            SetLastError(ERROR_NOT_A_REPARSE_POINT);
            return false;
        }
        if (!MarkForDeletion(handle.Get())) return false;
    } // the link goes as its handle closes
    return GetFileAttributesW(wide.c_str()) == INVALID_FILE_ATTRIBUTES;
}

bool GetDiskFreeSpaceUtf8(const CString& rootPath, DWORD* sectorsPerCluster, DWORD* bytesPerSector,
                          DWORD* freeClusters, DWORD* totalClusters)
{
    DWORD sectors = 0, bytes = 0, freeCount = 0, total = 0;
    if (!GetDiskFreeSpaceW(ToWidePath(rootPath).c_str(), &sectors, &bytes, &freeCount, &total)) return false;
    if (sectorsPerCluster) *sectorsPerCluster = sectors;
    if (bytesPerSector) *bytesPerSector = bytes;
    if (freeClusters) *freeClusters = freeCount;
    if (totalClusters) *totalClusters = total;
    return true;
}

bool GetDiskFreeSpaceExUtf8(const CString& path, std::uint64_t* freeBytesAvailable, std::uint64_t* totalBytes,
                            std::uint64_t* totalFreeBytes)
{
    ULARGE_INTEGER available{}, total{}, totalFree{};
    if (!GetDiskFreeSpaceExW(ToWidePath(path).c_str(), &available, &total, &totalFree)) return false;
    if (freeBytesAvailable) *freeBytesAvailable = available.QuadPart;
    if (totalBytes) *totalBytes = total.QuadPart;
    if (totalFreeBytes) *totalFreeBytes = totalFree.QuadPart;
    return true;
}

bool GetVolumeInformationUtf8(const CString& rootPath, CString* volumeName, DWORD* serialNumber,
                              DWORD* maxComponentLength, DWORD* fileSystemFlags, CString* fileSystemName)
{
    // MAX_PATH + 1 is the documented largest answer for both names.
    std::vector<wchar_t> label(MAX_PATH + 1, L'\0');
    std::vector<wchar_t> fileSystem(MAX_PATH + 1, L'\0');
    DWORD serial = 0, maxComponent = 0, flags = 0;
    if (!GetVolumeInformationW(ToWidePath(rootPath).c_str(), label.data(), static_cast<DWORD>(label.size()),
                               &serial, &maxComponent, &flags, fileSystem.data(),
                               static_cast<DWORD>(fileSystem.size()))) {
        return false;
    }
    if (volumeName) *volumeName = WideToUtf8(label.data());
    if (serialNumber) *serialNumber = serial;
    if (maxComponentLength) *maxComponentLength = maxComponent;
    if (fileSystemFlags) *fileSystemFlags = flags;
    if (fileSystemName) *fileSystemName = WideToUtf8(fileSystem.data());
    return true;
}

CString GetSystemDirectoryUtf8()
{
    UINT length = GetSystemDirectoryW(nullptr, 0);
    if (length == 0) return CString();
    std::wstring folder(length, L'\0');
    UINT got = GetSystemDirectoryW(folder.data(), length);
    folder.resize(got < length ? got : 0);
    return WideToUtf8(folder);
}

bool IsNamedPathBelowRoot(const CString& utf8Path)
{
    std::wstring path = Utf8ToWide(utf8Path.str());
    for (wchar_t& c : path) {
        if (c == L'/') c = L'\\';
    }
    return path.size() >= 4 && path[1] == L':' && IsSeparator(path[2]) && !IsSeparator(path.back()) &&
           ComponentsAreLiteral(std::wstring_view(path).substr(3));
}

CString GetFullPathUtf8(const CString& path)
{
    const std::wstring wide = Utf8ToWide(path.str());
    DWORD needed = GetFullPathNameW(wide.c_str(), 0, nullptr, nullptr);
    if (needed == 0) return path;
    std::wstring full(needed, L'\0');
    DWORD got = GetFullPathNameW(wide.c_str(), needed, full.data(), nullptr);
    if (got == 0 || got >= needed) return path;
    full.resize(got);
    return WideToUtf8(full);
}

DWORD GetFileAttributesUtf8(const CString& path)
{
    return GetFileAttributesW(ToWidePath(path).c_str());
}

CString GetModuleFileNameUtf8(HMODULE hModule)
{
    // The call says only that the buffer was too small: grow it until the name fits.
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        DWORD got = GetModuleFileNameW(hModule, path.data(), static_cast<DWORD>(path.size()));
        if (got == 0) return CString();
        if (got < path.size()) {
            path.resize(got);
            return WideToUtf8(path);
        }
        if (path.size() >= 32768) return CString();
        path.resize(path.size() * 2);
    }
}
