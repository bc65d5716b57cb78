#include "document/CFolderReader.h"

#include "framework/CFileFind.h"
#include "framework/Utf16.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <system_error>

namespace {

std::atomic<int> g_nScanWorkers{-1};
std::atomic<int> g_nLiveWorkers{0};
std::atomic<CFolderReader::EntryHook> g_entryHook{nullptr};

// Counts a worker from its first step to its last.
struct LiveWorker {
    LiveWorker() { ++g_nLiveWorkers; }
    ~LiveWorker() { --g_nLiveWorkers; }
};

} // namespace

CFolderReader::CFolderReader(int workers)
{
    for (int i = 0; i < workers; ++i) {
        try {
            m_threads.emplace_back(&CFolderReader::WorkerLoop, this);
        } catch (const std::system_error&) {
            break; // fewer workers read ahead less; the walk reads the rest itself
        }
    }
}

bool CFolderReader::MetLater(const std::shared_ptr<Folder>& a, const std::shared_ptr<Folder>& b)
{
    return std::lexicographical_compare(b->walkOrder.begin(), b->walkOrder.end(), a->walkOrder.begin(),
                                        a->walkOrder.end());
}

CFolderReader::CFolderReader(ntfs::MftIndex index) : m_index(std::move(index)), m_bIndexed(true) {}

CFolderReader::~CFolderReader()
{
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_bStopping = true;
    }
    m_workAvailable.notify_all();
    for (std::thread& thread : m_threads) thread.join();
}

std::shared_ptr<CFolderReader::Folder> CFolderReader::ReadRoot(const CString& path, const KeepGoing& keepGoing)
{
    auto root = std::make_shared<Folder>();
    root->path = path;
    if (m_bIndexed && !m_index.folders.empty()) root->indexed = 0;
    root->state = Folder::State::Reading;
    if (!Read(*root, keepGoing)) return nullptr;
    return root;
}

CFolderReader::Folder* CFolderReader::Take(const std::shared_ptr<Folder>& folder, const KeepGoing& keepGoing)
{
    std::unique_lock<std::mutex> lock(m_mutex);
    const auto isRead = [&folder] { return folder->state == Folder::State::Read; };
    // Every folder the walk meets before this one has been read: if none is
    // reading it yet, it is the next one a worker takes. While the workers
    // have more to read, the walk is not woken for each listing (a wake-up
    // costs more than the little it does with a listing): it looks again
    // after a short while and finds a run of listings read. Meanwhile the
    // window stays drawn and Cancel is seen, however large the folder is.
    m_pAwaited = folder.get();
    bool goOn = true;
    while (goOn && !isRead()) {
        if (folder->state == Folder::State::Waiting && (m_threads.empty() || m_nHeldEntries >= kEntryBudget)) {
            // No worker will come to it: it is read here.
            m_pAwaited = nullptr;
            folder->state = Folder::State::Reading;
            lock.unlock();
            return Read(*folder, keepGoing) ? folder.get() : nullptr;
        }
        if (m_folderRead.wait_for(lock, std::chrono::milliseconds(kLookAgainMs), isRead)) break;
        lock.unlock();
        goOn = keepGoing();
        lock.lock();
    }
    m_pAwaited = nullptr;
    return goOn ? folder.get() : nullptr;
}

void CFolderReader::Release(Folder& folder)
{
    bool roomAgain = false;
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        roomAgain = m_nHeldEntries >= kEntryBudget && m_nHeldEntries - folder.entries < kEntryBudget;
        m_nHeldEntries -= folder.entries;
        folder.entries = 0;
        folder.subfolders = std::vector<Subfolder>();
    }
    // Workers wait for room only when the budget was spent.
    if (roomAgain) m_workAvailable.notify_all();
}

void CFolderReader::Abandon(const std::shared_ptr<Folder>& folder)
{
    std::vector<std::shared_ptr<Folder>> pending{folder};
    {
        std::unique_lock<std::mutex> lock(m_mutex);
        while (!pending.empty()) {
            std::shared_ptr<Folder> next = std::move(pending.back());
            pending.pop_back();
            if (next->state == Folder::State::Waiting) {
                next->state = Folder::State::Read; // nothing read, nothing held
                continue;
            }
            // A worker reads it. As in Take, the wait looks again now and then:
            // a worker wakes the walk only when the workers run out of folders.
            m_pAwaited = next.get();
            while (!m_folderRead.wait_for(lock, std::chrono::milliseconds(kLookAgainMs),
                                          [&next] { return next->state == Folder::State::Read; })) {
            }
            m_pAwaited = nullptr;
            for (const Subfolder& subfolder : next->subfolders) {
                if (subfolder.folder) pending.push_back(subfolder.folder);
            }
            m_nHeldEntries -= next->entries;
            next->entries = 0;
            next->subfolders = std::vector<Subfolder>();
        }
    }
    m_workAvailable.notify_all();
}

bool CFolderReader::Read(Folder& folder, const KeepGoing& keepGoing)
{
    if (m_bIndexed) {
        ReadIndexed(folder);
        return true;
    }
    std::int64_t ownBytes = 0;
    std::uint64_t files = 0;
    std::size_t entries = 0;
    std::vector<Subfolder> subfolders;
    CFileFind find;
    const bool started = find.FindFile(folder.path + "\\*.*");
    // A search that finds nothing at all is an empty folder (a drive root
    // has no "." entry); one that could not start is unreadable.
    bool readable = started || find.ListedToTheEnd();
    bool stopped = false;
    const EntryHook hook = g_entryHook.load();
    if (started) {
        do {
            if (hook) hook(folder.path);
            if (!keepGoing()) {
                stopped = true;
                readable = false;
                break;
            }
            ++entries;
            ownBytes += find.GetLength();
            if (!find.IsDirectory()) ++files;
            if (!find.IsDirectory() || find.IsDots()) continue;
            Subfolder subfolder{find.GetFileName(), find.GetLastWriteTime(), nullptr};
            // A junction or symbolic link would count another folder's bytes
            // again, or loop: it is never entered.
            if (!find.IsNameSurrogateLink()) {
                subfolder.folder = std::make_shared<Folder>();
                subfolder.folder->path = folder.path + "\\" + subfolder.name;
            }
            subfolders.push_back(std::move(subfolder));
        } while (find.FindNextFile());
        find.Close();
    }
    const bool complete = stopped || find.ListedToTheEnd();
    bool awaited = false;
    if (stopped) {
        entries = 0;
        ownBytes = 0;
        files = 0;
        subfolders.clear();
    }

    {
        std::lock_guard<std::mutex> lock(m_mutex);
        folder.readable = readable;
        folder.complete = complete;
        folder.ownBytes = ownBytes;
        folder.files = files;
        folder.entries = entries;
        folder.subfolders = std::move(subfolders);
        folder.state = Folder::State::Read;
        // The walk is woken for the listing it waits for only when the
        // workers are running out of folders to read: then it is the walk
        // that everything waits for.
        awaited = m_pAwaited == &folder && m_waiting.size() < m_threads.size();
        m_nHeldEntries += entries;
        // The workers read the folders in the order the walk meets them,
        // whichever worker found them first: the walk then waits for each
        // listing instead of reading it beside the workers.
        if (!m_threads.empty() && !m_bStopping) {
            for (std::uint32_t i = 0; i < folder.subfolders.size(); ++i) {
                const std::shared_ptr<Folder>& subfolder = folder.subfolders[i].folder;
                if (!subfolder) continue;
                subfolder->walkOrder.reserve(folder.walkOrder.size() + 1);
                subfolder->walkOrder = folder.walkOrder;
                subfolder->walkOrder.push_back(i);
                m_waiting.push_back(subfolder);
                std::push_heap(m_waiting.begin(), m_waiting.end(), MetLater);
            }
        }
        folder.walkOrder = std::vector<std::uint32_t>();
    }
    if (awaited) m_folderRead.notify_all();
    m_workAvailable.notify_all();
    return !stopped;
}

void CFolderReader::ReadIndexed(Folder& folder)
{
    // Only this thread takes listings of an indexed reader: no worker, no lock.
    folder.state = Folder::State::Read;
    if (folder.indexed >= m_index.folders.size()) return;
    ntfs::Folder& source = m_index.folders[folder.indexed];
    folder.readable = true;
    folder.ownBytes = source.ownBytes;
    folder.files = source.files;
    folder.subfolders.reserve(source.subfolders.size());
    for (const ntfs::Subfolder& entry : source.subfolders) {
        Subfolder subfolder{WideToUtf8(entry.name), entry.writeTime, nullptr};
        if (!entry.link && entry.folder != ntfs::kNoFolder) {
            subfolder.folder = std::make_shared<Folder>();
            subfolder.folder->path = folder.path + "\\" + subfolder.name;
            subfolder.folder->indexed = entry.folder;
        }
        folder.subfolders.push_back(std::move(subfolder));
    }
    // The tree holds what the walk needs from here on: memory stays with the folders still to come.
    source.subfolders = std::vector<ntfs::Subfolder>();
}

void CFolderReader::WorkerLoop()
{
    const LiveWorker counted;
    // A medium pulled out during the search fails the listing instead of
    // raising the system's "no disk" box from this thread.
    const CriticalErrorBoxesOff noBoxes;
    // A reader that is going away stops its workers between two entries.
    const KeepGoing untilStopping = [this] { return !m_bStopping.load(); };
    std::unique_lock<std::mutex> lock(m_mutex);
    for (;;) {
        m_workAvailable.wait(lock, [this] {
            return m_bStopping || (!m_waiting.empty() && m_nHeldEntries < kEntryBudget);
        });
        if (m_bStopping) return;
        std::pop_heap(m_waiting.begin(), m_waiting.end(), MetLater);
        std::shared_ptr<Folder> folder = std::move(m_waiting.back());
        m_waiting.pop_back();
        // The walk may have read it itself meanwhile.
        if (folder->state != Folder::State::Waiting) continue;
        folder->state = Folder::State::Reading;
        lock.unlock();
        Read(*folder, untilStopping);
        lock.lock();
    }
}

int CFolderReader::LiveWorkers()
{
    return g_nLiveWorkers.load();
}

int CFolderReader::ScanWorkers()
{
    const int chosen = g_nScanWorkers.load();
    if (chosen >= 0) return chosen;
    const int processors = static_cast<int>(std::thread::hardware_concurrency());
    return std::clamp(processors, 2, 8);
}

void CFolderReader::SetEntryHook(EntryHook hook)
{
    g_entryHook.store(hook);
}

void CFolderReader::SetScanWorkers(int workers)
{
    g_nScanWorkers.store(workers < 0 ? -1 : workers);
}
