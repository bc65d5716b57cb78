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
#include <vector>

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

// Whether a path names something below a drive's root by real names alone
// ("C:\a\b"): not the root itself, no empty component (a doubled or trailing
// separator), no "." or "..". Forward slashes count as separators.
bool IsNamedPathBelowRoot(const CString& utf8Path);

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
    // Moves to the next entry; false when there is none, or when the search
    // failed on the way (ListedToTheEnd tells which).
    bool FindNextFile();
    void Close();
    // After FindFile or FindNextFile returned false: whether the folder was
    // listed completely. A search that found nothing at all lists an empty
    // folder completely (the root of a FAT or exFAT drive has no "." entry);
    // one that failed (access denied, a share that dropped) did not.
    bool ListedToTheEnd() const;
    // For tests: asked before every entry, with the search's pattern and the
    // entries given so far; a non-zero answer fails the search there with
    // that error.
    using NextEntryHook = DWORD (*)(const CString& pattern, int entriesSoFar);
    static void SetNextEntryHook(NextEntryHook hook);

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
    CString m_strPattern;
    int m_nEntries = 0;
    DWORD m_dwEndError = ERROR_NO_MORE_FILES;
};

// While it lives, the calling thread gets a failure instead of the system's
// critical-error box ("There is no disk in the drive") from file-system calls
// on a drive that went away. Other threads keep their own setting.
class CriticalErrorBoxesOff {
public:
    CriticalErrorBoxesOff() { SetThreadErrorMode(SEM_FAILCRITICALERRORS, &m_dwPrevious); }
    ~CriticalErrorBoxesOff() { SetThreadErrorMode(m_dwPrevious, nullptr); }
    CriticalErrorBoxesOff(const CriticalErrorBoxesOff&) = delete;
    CriticalErrorBoxesOff& operator=(const CriticalErrorBoxesOff&) = delete;

private:
    DWORD m_dwPrevious = 0;
};

// A folder opened as itself, never through a link, for deleting what it
// holds: its entries are listed through the handle and opened and removed
// relative to it, so that no link put in place of a folder after it was
// listed (a junction swapped in by another process) can lead a deletion
// elsewhere. Each entry is opened only if it is still the very entry the
// listing showed (the same file id) and, for a folder, no reparse point.
class CFolderHandle {
public:
    struct Entry {
        std::wstring name;
        DWORD attributes = 0;
        DWORD reparseTag = 0; // for reparse points
        std::int64_t size = 0;
        std::int64_t fileId = 0;
        bool IsFolder() const { return (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0; }
        // Listed, never entered: removing it removes the link itself.
        bool IsNameSurrogateLink() const { return CFileFind::IsNameSurrogateLink(attributes, reparseTag); }
    };

    CFolderHandle() = default;
    ~CFolderHandle() { Close(); }
    CFolderHandle(CFolderHandle&& other) noexcept : m_hFolder(other.m_hFolder) { other.m_hFolder = INVALID_HANDLE_VALUE; }
    CFolderHandle& operator=(CFolderHandle&& other) noexcept
    {
        if (this != &other) {
            Close();
            m_hFolder = other.m_hFolder;
            other.m_hFolder = INVALID_HANDLE_VALUE;
        }
        return *this;
    }
    CFolderHandle(const CFolderHandle&) = delete;
    CFolderHandle& operator=(const CFolderHandle&) = delete;

    // Opens a folder by its full path; false (with the system's error) when it
    // cannot be opened or is a reparse point.
    bool Open(const CString& path);
    // Opens a subfolder this folder listed; false when it cannot be opened or
    // is no longer that folder.
    bool OpenChild(const CFolderHandle& parent, const Entry& entry);
    // Every entry but "." and "..", as the folder holds them now.
    bool List(std::vector<Entry>& entries) const;
    // Removes a file, or a link itself, that this folder listed.
    bool RemoveEntry(const Entry& entry) const;
    // Removes the folder itself (empty by then) when the handle closes.
    bool RemoveWhenClosed() const;
    void Close();

private:
    HANDLE m_hFolder = INVALID_HANDLE_VALUE;
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
