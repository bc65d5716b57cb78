#pragma once
// A drive letter of its own for a test: an empty folder under build/fixtures
// that appears as a drive (fixed by default) while the object lives, filled
// by the test with folders, files of exact sizes and symbolic links.
//
// Under Wine a drive letter is a symbolic link in the prefix's dosdevices
// folder, which a Windows process cannot make itself (DefineDosDevice is not
// followed by the file system, and renaming a link renames its target). Wine's
// mount manager can: it defines and removes drive letters of any type and
// places symbolic links at a Windows path, through its own control codes.
//
// Run the test executable through tests/wine-run.sh: it provides the folder
// (HEFT_FIXTURES, HEFT_FIXTURES_UNIX) and removes whatever a test left behind.
// Every failure throws std::runtime_error, which fails the running test.
//
// Paths given to the members are relative to the drive's root, UTF-8, with
// "\" or "/" between components; "" names the root itself.
#include <windows.h>

#include <string>

#include "framework/CString.h"

class FixtureDrive {
public:
    // Mounts an empty fixed drive `letter` (D to Y).
    explicit FixtureDrive(char letter);
    // Mounts a fixed drive over a folder that exists already and that the
    // drive leaves as it is (an NTFS volume mounted read-only), both given as
    // Unix paths; `device`, when not empty, is what "\\.\X:" opens (the
    // volume's image file), so the drive shows one volume both ways.
    FixtureDrive(char letter, const std::string& folderUnix, const std::string& deviceUnix);
    // Deletes everything the drive holds, then removes the drive letter.
    ~FixtureDrive();
    FixtureDrive(const FixtureDrive&) = delete;
    FixtureDrive& operator=(const FixtureDrive&) = delete;

    char Letter() const { return m_letter; }
    // "T:"
    CString Drive() const;
    // "T:\rel"; Path("") is the root, "T:\".
    CString Path(const char* rel) const;

    // Creates the folder and any missing parent.
    void Folder(const char* rel);
    // Creates (or replaces) a file of exactly `size` bytes, parents included.
    // The bytes read as zeros and take no disk space (a sparse file), so a
    // size beyond 4 GiB costs nothing.
    void File(const char* rel, unsigned long long size);
    // Sets a file's or folder's last-write time.
    void SetLastWriteTime(const char* rel, const SYSTEMTIME& time);
    // Places at `rel` a symbolic link to the folder `target`, which is given
    // relative to the drive's root as well ("" is the root). Wine lists such a
    // link as a folder with FILE_ATTRIBUTE_REPARSE_POINT (0x410).
    void LinkToFolder(const char* rel, const char* target);

    // The type GetDriveTypeA reports: DRIVE_FIXED (the default),
    // DRIVE_REMOVABLE, DRIVE_REMOTE, DRIVE_CDROM or DRIVE_RAMDISK. Takes effect
    // at once, also while the drive is mounted.
    void SetType(UINT driveType);
    // The same by the name Wine's registry uses for it: "hd", "floppy",
    // "network", "cdrom" or "ramdisk".
    void SetType(const char* wineType);

    // The drive letter vanishes (the contents stay and come back with Mount).
    void Unmount();
    void Mount();
    bool IsMounted() const { return m_mounted; }

private:
    void CheckLetterIsFree() const;
    void MountFirstTime();
    std::wstring HostPath(const char* rel) const;
    std::wstring HostNtPath(const char* rel) const;
    void Define(UINT driveType);
    void DeleteTree(const std::wstring& path);
    void RemoveLink(const std::wstring& path);

    char m_letter;
    UINT m_type = DRIVE_FIXED;
    bool m_mounted = false;
    std::wstring m_host;       // backing folder, as a \\?\ Windows path
    std::string m_hostUnix;    // the same folder as the mount manager sees it
    std::string m_deviceUnix;  // what the drive's device opens, or empty
    bool m_ownsHost = true;    // made by the drive, emptied and removed with it
};
