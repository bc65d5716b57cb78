#pragma once
#include "framework/CString.h"

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

// How the shell marks a link on an icon of its small system image list: an
// overlay (an INDEXTOOVERLAYMASK value) drawn over the item's own icon, or,
// where the list holds no link overlay (Wine's), an icon with the link's
// arrow drawn in: `folderIcon`, the one of a plain folder.
struct ShellLinkMark {
    unsigned overlay = 0;
    int folderIcon = 0;
    // The icon a link to a folder shows in place of a folder's plainIcon.
    int IconFor(int plainIcon) const { return overlay ? plainIcon : folderIcon; }
};
// The mark, with a folder whose icon stands for every folder.
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
