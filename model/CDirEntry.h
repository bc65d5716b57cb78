#pragma once
// One record of the directory-size model: stands behind every folder-tree item
// and every contents-list row, so that the views never go back to the disk to
// draw an entry. Pure C++ (no windows.h) so that it is tested natively too.
#include <cstdint>

#include "framework/CObject.h"
#include "framework/CString.h"
#include "model/FileTypes.h"

#include <vector>

// The tree control's item handle is a pointer to this opaque structure; naming
// it here (instead of including commctrl.h) keeps the model free of windows.h
// while callers still pass an HTREEITEM unchanged.
struct _TREEITEM;
using TreeItemHandle = _TREEITEM*;

class CDirEntry : public CObject {
public:
    CDirEntry() { ++s_nLive; }
    CDirEntry(const CDirEntry& other) : CObject(other), m_nSize(other.m_nSize), m_strName(other.m_strName),
        m_bFolder(other.m_bFolder), m_hTreeItem(other.m_hTreeItem), m_strType(other.m_strType),
        m_nWriteTime(other.m_nWriteTime), m_bLink(other.m_bLink), m_bUnreadable(other.m_bUnreadable),
        m_fileTypes(other.m_fileTypes) { ++s_nLive; }
    CDirEntry& operator=(const CDirEntry&) = default;
    ~CDirEntry() override { --s_nLive; }

    // Records alive in the process: every record the views make is freed
    // exactly once, which the tests check by this count.
    static long LiveCount() { return s_nLive; }

    std::int64_t GetSize() const { return m_nSize; }
    void SetSize(std::int64_t size) { m_nSize = size; }

    CString GetName() const { return m_strName; }
    void SetName(const CString& name) { m_strName = name; }

    CString GetType() const { return m_strType; }
    void SetType(const CString& type) { m_strType = type; }

    // The last write time as the system stores it (100-nanosecond ticks
    // since 1601); 0 for an entry that has none (the drive's root).
    std::uint64_t GetWriteTime() const { return m_nWriteTime; }
    void SetWriteTime(std::uint64_t fileTime) { m_nWriteTime = fileTime; }
    // The date text of the write time, empty when there is none.
    CString GetDate() const;

    // The flag is only ever raised: a row that stands for a folder stays one.
    void SetFolder() { m_bFolder = 1; }
    int IsFolder() const { return m_bFolder; }
    // A junction or symbolic link to a folder: listed, never entered (so it
    // counts 0), and shown with the shell's link mark.
    void SetLink() { m_bLink = true; }
    bool IsLink() const { return m_bLink; }

    // A folder whose contents could not be read (access denied): it counts
    // 0, and the views show that its 0 is not a measurement.
    void SetUnreadable(bool unreadable = true) { m_bUnreadable = unreadable; }
    bool IsUnreadable() const { return m_bUnreadable; }

    // A folder's own files by type (its subfolders' are in their records).
    const std::vector<FileTypeSum>& GetFileTypes() const { return m_fileTypes; }
    void SetFileTypes(std::vector<FileTypeSum> types) { m_fileTypes = std::move(types); }
    // A folder's files: the entries of its own listing that are no folders
    // (its subfolders' files are theirs), as its types count them.
    std::uint64_t GetFileCount() const;

    void SetTreeItem(TreeItemHandle item) { m_hTreeItem = item; }
    TreeItemHandle GetTreeItem() const { return m_hTreeItem; }

    // The size in decimal with a comma between groups of three digits; an
    // empty text for 0.
    CString GetSizeText() const;

private:
    static inline long s_nLive = 0;

    std::int64_t m_nSize = 0;
    CString m_strName;
    int m_bFolder = 0;
    TreeItemHandle m_hTreeItem = nullptr;
    CString m_strType;
    std::uint64_t m_nWriteTime = 0;
    bool m_bLink = false;
    bool m_bUnreadable = false;
    std::vector<FileTypeSum> m_fileTypes;
};

// A row of a listing drawn from all over the drive or added up from it (a
// largest file, a file type): a record with the listing's own columns.
class CListedEntry : public CDirEntry {
public:
    // One of the listing's own columns: its text, and the number it sorts by
    // when it is one.
    struct Column {
        CString text;
        std::int64_t value = 0;
        bool isNumber = false;
    };
    // The full path of the folder a listed file lies in; empty for a type.
    CString m_strFolder;
    std::vector<Column> m_columns;
};

// A byte count in decimal with a comma between groups of three digits ("-1,234"
// for a negative one); an empty text for 0.
CString SizeText(std::int64_t size);

// Calendar fields of a file time, as the system's own conversion gives them.
struct CalendarTime {
    int year = 0;
    int month = 0;        // 1..12
    int day = 0;          // 1..31
    int hour = 0;
    int minute = 0;
    int second = 0;
    int milliseconds = 0;
    int dayOfWeek = 0;    // 0 = Sunday
};

// Splits a file time (100-nanosecond ticks since 1 January 1601) into calendar
// fields of the proleptic Gregorian calendar, without any time-zone shift.
CalendarTime FileTimeToCalendar(std::uint64_t fileTime);

// The date text of an entry: "month/day/year hour:minute:second", for example
// "3/07/2002 14:05:09", of the time as stored (no conversion to local time).
CString FormatDateText(std::uint64_t fileTime);
