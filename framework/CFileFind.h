#pragma once
// The program's one door to the file system. Its strings are UTF-8 like the
// rest of the program; underneath it calls the wide functions with the "\\?\"
// prefix, because the narrow ones fail on paths of 260 characters or more even
// when the manifest declares long-path awareness, and a deep folder that
// cannot be searched would silently count 0.
#include <windows.h>

#include <cstdint>
#include <string>
#include <string_view>

#include "framework/CString.h"
#include "framework/Utf16.h"

// The wide form of a path, with the "\\?\" prefix when the path is one the
// prefix can carry: an absolute drive path ("C:\a\b" -> "\\?\C:\a\b") or a UNC
// path ("\\server\share\x" -> "\\?\UNC\server\share\x"). Forward slashes become
// backslashes first. A prefixed path is passed to the file system literally,
// so a path with "." or ".." components or an empty component, a relative
// path, a bare drive ("C:") and a path that already has a device prefix are
// converted without adding one.
std::wstring ToWidePath(const CString& utf8Path);

// A directory search ("C:\dir\*.*"), positioned on one entry at a time.
class CFileFind {
public:
    CFileFind() = default;
    ~CFileFind() { Close(); }
    CFileFind(const CFileFind&) = delete;
    CFileFind& operator=(const CFileFind&) = delete;

    // Starts a search and positions it on the first entry; false when the
    // search cannot start (no such folder, access denied, no match).
    bool FindFile(const CString& pattern);
    // Moves to the next entry; false when there is none.
    bool FindNextFile();
    void Close();

    // The current entry.
    CString GetFileName() const;
    std::int64_t GetLength() const;
    DWORD GetAttributes() const { return m_data.dwFileAttributes; }
    bool IsDirectory() const { return (m_data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0; }
    bool IsDots() const;
    // 100-nanosecond ticks since 1 January 1601, as the file system stores it.
    std::uint64_t GetLastWriteTime() const;
    // The reparse tag, or 0 when the entry is no reparse point.
    DWORD GetReparseTag() const;
    // A folder that stands for another place (junction, mount point, symbolic
    // link): listed with its own size, never entered, and deleting it removes
    // only the link. Wine reports its symbolic links with tag 0, so a missing
    // tag counts as a link; reparse points with a tag that is no name
    // surrogate (cloud placeholders) are ordinary entries.
    bool IsNameSurrogateLink() const { return IsNameSurrogateLink(m_data.dwFileAttributes, m_data.dwReserved0); }
    // The same rule for an entry's attributes and reparse tag.
    static bool IsNameSurrogateLink(DWORD attributes, DWORD reparseTag);

private:
    HANDLE m_hFind = INVALID_HANDLE_VALUE;
    WIN32_FIND_DATAW m_data{};
};

bool DeleteFileUtf8(const CString& path);
bool RemoveDirectoryUtf8(const CString& path);
// Removes a junction or symbolic link itself, never what it points at.
bool RemoveLinkUtf8(const CString& path);

// Free space of the volume that holds the path, in clusters.
bool GetDiskFreeSpaceUtf8(const CString& rootPath, DWORD* sectorsPerCluster, DWORD* bytesPerSector,
                          DWORD* freeClusters, DWORD* totalClusters);
// Free space of the volume that holds the path, in bytes; any pointer may be null.
bool GetDiskFreeSpaceExUtf8(const CString& path, std::uint64_t* freeBytesAvailable,
                            std::uint64_t* totalBytes, std::uint64_t* totalFreeBytes);
// Volume information of a root path such as "C:\"; any pointer may be null.
bool GetVolumeInformationUtf8(const CString& rootPath, CString* volumeName, DWORD* serialNumber,
                              DWORD* maxComponentLength, DWORD* fileSystemFlags, CString* fileSystemName);

// The system folder ("C:\Windows\system32"), or empty if the system does not say.
CString GetSystemDirectoryUtf8();
// The full path of a path that may be relative or name a drive alone ("C:"
// is that drive's current folder), or the path unchanged if the system cannot say.
CString GetFullPathUtf8(const CString& path);
// A file's or folder's attributes; INVALID_FILE_ATTRIBUTES when it does not exist.
DWORD GetFileAttributesUtf8(const CString& path);
// The full path of a loaded module's file (null: the program itself), or empty.
CString GetModuleFileNameUtf8(HMODULE hModule);
