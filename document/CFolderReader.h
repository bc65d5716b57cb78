#pragma once
// Reads the listings of the folders a scan will enter, ahead of it, on worker
// threads: the disk and the file system serve several directory reads at
// once, and under Wine most of a folder's cost is the listing itself. The
// workers read the folders in the order the scan meets them, and the scan
// takes the listings one by one in that order. It reads a listing itself
// only when no worker will: with no workers, or with the budget of entries
// read ahead spent.
//
// A listing keeps what the scan uses of a folder: the bytes of all its own
// entries added up, its subfolders in the order the search returned them,
// and its own files by type.
// Only the thread that created the reader may take listings; the workers
// touch no window and no record.
//
// A reader made from an NTFS volume's master-file-table index hands out the
// same listings from the index instead: the scan walks both alike.
#include "framework/CString.h"
#include "model/FileTypes.h"
#include "model/LargestFiles.h"
#include "ntfs/MftIndex.h"

#include <atomic>
#include <condition_variable>
#include <cstddef>
#include <functional>
#include <cstdint>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

class CFolderReader {
public:
    struct Folder;
    // A subfolder as its parent's search returned it.
    struct Subfolder {
        CString name;
        std::uint64_t writeTime = 0;
        // Null for a junction or symbolic link: listed, never entered.
        std::shared_ptr<Folder> folder;
    };
    // One folder to be read, and what was read of it.
    struct Folder {
        CString path; // no trailing separator ("C:" for the root)
        bool readable = false;
        // False when the listing failed part-way (a share that dropped): what
        // was read counts, and the folder is marked as not fully read.
        bool complete = true;
        std::int64_t ownBytes = 0; // reported sizes of all its entries
        std::vector<Subfolder> subfolders;
        // Its own files by type, and those of them that may be among the
        // drive's largest (at or above the bound when it was read; the
        // folder of each is left to the walk).
        FileTypeTally fileTypes;
        std::vector<FoundFile> largeFiles;
        std::size_t entries = 0; // entries read, counted against the budget

    private:
        std::uint32_t indexed = ntfs::kNoFolder; // the index's folder, for a reader made from one
        // Where the walk meets the folder: the positions of it and of each
        // folder above it among their parents' subfolders (none for the root).
        std::vector<std::uint32_t> walkOrder;
        friend class CFolderReader;
        enum class State { Waiting, Reading, Read } state = State::Waiting;
    };

    // At most this many entries are held read ahead; a folder that has been
    // started is read whole.
    static constexpr std::size_t kEntryBudget = 65536;
    // How long the walk waits before it looks again for a listing a worker
    // reads, and asks whether to go on (letting the window answer meanwhile).
    static constexpr unsigned kLookAgainMs = 5;

    // Asked while the walk waits for a listing or reads one itself, between
    // entries: keeps the window alive and answers whether the walk goes on.
    using KeepGoing = std::function<bool()>;

    // `workers` threads read ahead; 0 reads every listing when it is taken.
    explicit CFolderReader(int workers);
    // Listings from a volume's index; ReadRoot gives its root folder.
    explicit CFolderReader(ntfs::MftIndex index);
    // Stops the workers and waits for them: nothing outlives the reader.
    ~CFolderReader();
    CFolderReader(const CFolderReader&) = delete;
    CFolderReader& operator=(const CFolderReader&) = delete;

    // The listing of a folder path, read now (the start of a walk); null
    // when keepGoing said to stop.
    std::shared_ptr<Folder> ReadRoot(const CString& path, const KeepGoing& keepGoing);
    // The listing of a subfolder: read already, or waited for, or read now;
    // null when keepGoing said to stop.
    Folder* Take(const std::shared_ptr<Folder>& folder, const KeepGoing& keepGoing);
    // The walk is done with a listing: its entries leave the budget.
    void Release(Folder& folder);
    // Files below this size cannot be among the drive's largest any more:
    // listings read from now on leave them out.
    void SetLargeFileBound(std::int64_t bound) { m_nLargeFileBound.store(bound, std::memory_order_relaxed); }
    // The bound the volume's index kept its largest files by (0 for a walk):
    // the files below it that the index met are not in the listings.
    std::int64_t IndexLargeFileBound() const { return m_bIndexed ? m_index.largeFileBound : 0; }

    // The walk will not enter this subfolder after all: whatever was read of
    // it and below it leaves the budget, and what was not is never read.
    void Abandon(const std::shared_ptr<Folder>& folder);

    // Worker threads running in the process, of all readers: none once every
    // reader is gone, which the tests check.
    static int LiveWorkers();
    // The number of workers a scan uses: the processor count, at least 2 and
    // at most 8; SetScanWorkers(0) makes scans read on the calling thread
    // alone (for comparison), a negative count restores the default.
    static int ScanWorkers();
    static void SetScanWorkers(int workers);
    // For tests: called for every entry any listing reads, on the thread that
    // reads it, with the folder's path; null for none.
    using EntryHook = void (*)(const CString& folderPath);
    static void SetEntryHook(EntryHook hook);

private:
    // Reads a folder's entries; subfolders that will be entered are queued.
    // FALSE when keepGoing stopped it part-way: the folder then counts as
    // read and unreadable, so that nobody waits for it.
    bool Read(Folder& folder, const KeepGoing& keepGoing);
    // The listing of a folder taken from the index, which then lets it go.
    void ReadIndexed(Folder& folder);
    void WorkerLoop();
    // Heap order of the folders waiting to be read: the walk meets a folder
    // before all folders below it and before its later siblings and all
    // below them, so the one it meets first has the smallest walk order.
    static bool MetLater(const std::shared_ptr<Folder>& a, const std::shared_ptr<Folder>& b);

    std::mutex m_mutex;
    std::condition_variable m_workAvailable; // a folder waits, or room in the budget
    std::condition_variable m_folderRead; // told when the awaited folder has been read
    const Folder* m_pAwaited = nullptr;   // the folder the walk waits for, if any
    // Folders known but not yet read: a heap whose top is the one the walk
    // meets first.
    std::vector<std::shared_ptr<Folder>> m_waiting;
    std::size_t m_nHeldEntries = 0;
    std::atomic<bool> m_bStopping{false};
    std::atomic<std::int64_t> m_nLargeFileBound{0};
    std::vector<std::thread> m_threads;
    ntfs::MftIndex m_index;
    bool m_bIndexed = false;
};
