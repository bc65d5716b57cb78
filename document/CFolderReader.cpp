#include "document/CFolderReader.h"

#include "framework/CFileFind.h"
#include "framework/Utf16.h"

#include <algorithm>
#include <atomic>
#include <system_error>

namespace {

std::atomic<int> g_nScanWorkers{-1};
std::atomic<int> g_nLiveWorkers{0};

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

std::shared_ptr<CFolderReader::Folder> CFolderReader::ReadRoot(const CString& path)
{
    auto root = std::make_shared<Folder>();
    root->path = path;
    if (m_bIndexed && !m_index.folders.empty()) root->indexed = 0;
    root->state = Folder::State::Reading;
    Read(*root);
    return root;
}

CFolderReader::Folder& CFolderReader::Take(const std::shared_ptr<Folder>& folder)
{
    std::unique_lock<std::mutex> lock(m_mutex);
    if (folder->state == Folder::State::Waiting) {
        // No worker has got to it: reading it here is quicker than waiting.
        folder->state = Folder::State::Reading;
        lock.unlock();
        Read(*folder);
        return *folder;
    }
    m_folderRead.wait(lock, [&folder] { return folder->state == Folder::State::Read; });
    return *folder;
}

void CFolderReader::Release(Folder& folder)
{
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_nHeldEntries -= folder.entries;
        folder.entries = 0;
        folder.subfolders = std::vector<Subfolder>();
    }
    m_workAvailable.notify_all();
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
            m_folderRead.wait(lock, [&next] { return next->state == Folder::State::Read; });
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

void CFolderReader::Read(Folder& folder)
{
    if (m_bIndexed) {
        ReadIndexed(folder);
        return;
    }
    std::int64_t ownBytes = 0;
    std::size_t entries = 0;
    std::vector<Subfolder> subfolders;
    CFileFind find;
    const bool readable = find.FindFile(folder.path + "\\*.*");
    if (readable) {
        do {
            ++entries;
            ownBytes += find.GetLength();
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

    {
        std::lock_guard<std::mutex> lock(m_mutex);
        folder.readable = readable;
        folder.ownBytes = ownBytes;
        folder.entries = entries;
        folder.subfolders = std::move(subfolders);
        folder.state = Folder::State::Read;
        m_nHeldEntries += entries;
        // The walk enters the first subfolder next: it goes on top.
        if (!m_threads.empty() && !m_bStopping) {
            for (auto subfolder = folder.subfolders.rbegin(); subfolder != folder.subfolders.rend(); ++subfolder) {
                if (subfolder->folder) m_waiting.push_back(subfolder->folder);
            }
        }
    }
    m_folderRead.notify_all();
    m_workAvailable.notify_all();
}

void CFolderReader::ReadIndexed(Folder& folder)
{
    // Only this thread takes listings of an indexed reader: no worker, no lock.
    folder.state = Folder::State::Read;
    if (folder.indexed >= m_index.folders.size()) return;
    ntfs::Folder& source = m_index.folders[folder.indexed];
    folder.readable = true;
    folder.ownBytes = source.ownBytes;
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
    std::unique_lock<std::mutex> lock(m_mutex);
    for (;;) {
        m_workAvailable.wait(lock, [this] {
            return m_bStopping || (!m_waiting.empty() && m_nHeldEntries < kEntryBudget);
        });
        if (m_bStopping) return;
        std::shared_ptr<Folder> folder = std::move(m_waiting.back());
        m_waiting.pop_back();
        // The walk may have read it itself meanwhile.
        if (folder->state != Folder::State::Waiting) continue;
        folder->state = Folder::State::Reading;
        lock.unlock();
        Read(*folder);
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

void CFolderReader::SetScanWorkers(int workers)
{
    g_nScanWorkers.store(workers < 0 ? -1 : workers);
}
