#include "model/FileTypes.h"

std::string_view FileTypeExtension(std::string_view name)
{
    const std::size_t dot = name.rfind('.');
    if (dot == std::string_view::npos) return {};
    return name.substr(dot + 1);
}

void FileTypeTally::Add(std::string_view extension, std::int64_t size)
{
    AddSum(extension, 1, size);
}

void FileTypeTally::AddSum(std::string_view extension, std::uint32_t files, std::int64_t bytes)
{
    for (Entry& entry : m_entries) {
        if (entry.extension == extension) {
            entry.files += files;
            entry.bytes += bytes;
            return;
        }
    }
    m_entries.push_back(Entry{std::string(extension), files, bytes});
}

ExtensionTable::ExtensionTable()
{
    m_texts.emplace_back("(no extension)");
    m_byWritten.emplace(std::string(), kNoExtension);
    m_byFolded.emplace(std::string(), kNoExtension);
}

std::uint32_t ExtensionTable::Intern(std::string_view extension)
{
    if (const auto found = m_byWritten.find(extension); found != m_byWritten.end()) return found->second;
    std::string written(extension);
    CString folded(written);
    folded.MakeLower();
    const auto [at, added] = m_byFolded.try_emplace(folded.str(), static_cast<std::uint32_t>(m_texts.size()));
    if (added) m_texts.push_back("." + folded);
    m_byWritten.emplace(std::move(written), at->second);
    return at->second;
}

const CString& ExtensionTable::Text(std::uint32_t id) const
{
    return id < m_texts.size() ? m_texts[id] : m_texts[kNoExtension];
}

std::vector<FileTypeSum> ExtensionTable::SumsOf(const FileTypeTally& tally)
{
    std::vector<FileTypeSum> sums;
    sums.reserve(tally.Entries().size());
    for (const FileTypeTally::Entry& entry : tally.Entries()) {
        const std::uint32_t id = Intern(entry.extension);
        FileTypeSum* sum = nullptr;
        for (FileTypeSum& known : sums) {
            if (known.extension == id) sum = &known;
        }
        if (!sum) sum = &sums.emplace_back(FileTypeSum{id, 0, 0});
        sum->files += entry.files;
        sum->bytes += entry.bytes;
    }
    return sums;
}

void AddFileTypes(std::vector<FileTypeSum>& into, const std::vector<FileTypeSum>& sums)
{
    for (const FileTypeSum& sum : sums) {
        if (sum.extension >= into.size()) {
            const std::size_t from = into.size();
            into.resize(sum.extension + std::size_t{1});
            for (std::size_t id = from; id < into.size(); ++id) into[id].extension = static_cast<std::uint32_t>(id);
        }
        into[sum.extension].files += sum.files;
        into[sum.extension].bytes += sum.bytes;
    }
}
