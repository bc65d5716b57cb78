#pragma once
// The file types of the drive: per folder, the bytes and files of each
// extension among its own files, so that the types of any subtree are the sum
// of its folders' and a folder that goes or is searched again takes off
// exactly what it held. Pure C++ (no windows.h) so that it is tested natively too.
#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "framework/CString.h"

// What follows a file name's last dot, as it is written; empty for a name
// without a dot or ending in one.
std::string_view FileTypeExtension(std::string_view name);

// The files of one extension in one folder (or, added up, in a subtree).
struct FileTypeSum {
    std::uint32_t extension = 0; // the drive's ExtensionTable id
    std::uint32_t files = 0;
    std::int64_t bytes = 0;
};

// A folder's files as its search reads them, by extension as written: the
// search runs on worker threads, which do not share the drive's table.
class FileTypeTally {
public:
    struct Entry {
        std::string extension;
        std::uint32_t files = 0;
        std::int64_t bytes = 0;
    };
    void Add(std::string_view extension, std::int64_t size);
    void AddSum(std::string_view extension, std::uint32_t files, std::int64_t bytes);
    const std::vector<Entry>& Entries() const { return m_entries; }

private:
    std::vector<Entry> m_entries; // a folder holds few types: a search by comparison is fastest
};

// The extensions of one drive, each kept once, compared without regard to
// case. Id 0 is "(no extension)".
class ExtensionTable {
public:
    static constexpr std::uint32_t kNoExtension = 0;
    ExtensionTable();

    std::uint32_t Intern(std::string_view extension);
    // ".jpg" (in lower case), or "(no extension)".
    const CString& Text(std::uint32_t id) const;
    std::size_t Count() const { return m_texts.size(); }

    // A tally turned into sums of this table's ids, equal extensions of
    // different case in one.
    std::vector<FileTypeSum> SumsOf(const FileTypeTally& tally);

private:
    // Looked up by a view of the text, without making a string of it.
    struct TextHash {
        using is_transparent = void;
        std::size_t operator()(std::string_view text) const { return std::hash<std::string_view>()(text); }
    };
    std::unordered_map<std::string, std::uint32_t, TextHash, std::equal_to<>> m_byWritten; // as met: most are met in one case
    std::unordered_map<std::string, std::uint32_t> m_byFolded;
    std::vector<CString> m_texts;
};

// Adds a folder's sums into a subtree's, kept by id (so `into` grows to the
// table's size).
void AddFileTypes(std::vector<FileTypeSum>& into, const std::vector<FileTypeSum>& sums);
