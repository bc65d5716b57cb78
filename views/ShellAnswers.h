#pragma once
#include "framework/CString.h"
#include "framework/afxwin_base.h"

#include <memory>
#include <string>
#include <unordered_map>

// What the contents list shows of an entry from the shell: its small icon (an
// index into the system image list) and its type name.
struct ShellAnswer {
    int icon = 0;
    CString type;
};

class ShellFolderItems;

// The shell's answers about entries by their kind alone, without looking at
// the disk: for rows from all over the drive. Asked once per extension.
class ShellKindAnswers {
public:
    // A file of this name (".jpg" or "x.jpg" alike).
    ShellAnswer ForFile(const CString& name);

private:
    std::unordered_map<std::string, ShellAnswer> m_byExtension;
};

// How the shell marks a link on an item's icon in its small system image
// list: with one of the list's overlays (an INDEXTOOVERLAYMASK value for the
// drawing style), or, where the list has none for links (Wine's, which also
// draws no overlays on its images with alpha), with an image of the list that
// holds the link's arrow alone, drawn over the icon.
struct ShellLinkMark {
    unsigned overlay = 0;
    int arrowImage = -1;
    // Draws the arrow over an icon at (x, y) when the mark is made that way.
    void DrawArrow(HIMAGELIST images, HDC hdc, int x, int y) const;
};
// The mark; a folder, whose icon the shell gives with a link mark, serves as the sample.
ShellLinkMark AskShellLinkMark(const CString& sampleFolder);

// The shell's answers for the entries of one folder. Entries of one kind (the
// files of one extension, or the folders) share their type name, and ordinary
// files their icon too, so the shell is asked once per kind (about the first
// item of the kind, through the folder: asking about a full path makes Wine
// read the whole folder again). An icon that is the item's own (a program's, a shortcut's, a
// folder's, which may be customised) is asked for per item, and only when the
// row is shown: asking costs a good part of a millisecond an item, and a folder
// of programs holds thousands.
class ShellAnswers {
public:
    explicit ShellAnswers(const CString& folder);
    ~ShellAnswers();
    ShellAnswers(const ShellAnswers&) = delete;
    ShellAnswers& operator=(const ShellAnswers&) = delete;

    // The icon of an answer whose icon is to be asked per item (IconOfItem).
    static constexpr int kIconOfItem = -2;

    const CString& Folder() const { return m_folder; }
    // A file of the folder, by name.
    ShellAnswer ForFile(const CString& name);
    // A subfolder of the folder, by name.
    ShellAnswer ForFolder(const CString& name);
    // The shell's icon of one item of the folder, asked about the item itself.
    int IconOfItem(const CString& name, bool folder);

private:
    // What the shell answers about the item's path (or, when it cannot take
    // the path, about an item of that kind and name).
    ShellAnswer AskAboutItem(const CString& name, bool folder);

    struct Kind {
        ShellAnswer answer;
        bool bOwnIcon;
    };
    CString m_folder;
    std::unique_ptr<ShellFolderItems> m_items;
    std::unordered_map<std::string, Kind> m_byExtension;
    bool m_bFolderKnown = false;
    CString m_folderType;
};
