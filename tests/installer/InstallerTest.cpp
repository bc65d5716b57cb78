// The 64-bit installer built beside this executable, run as a user or an
// administrator's script would: installed silently into the test prefix (which
// reports Windows 7), checked (files, Start-menu shortcut, Explorer's menu of
// folders and drives, Add/Remove Programs entry), the installed program
// started from that menu's command and closed, then uninstalled silently and
// checked that nothing is left. Older Windows are refused.
#include <windows.h>
#include <knownfolders.h>
#include <shlobj.h>
#include <shobjidl.h>

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <memory>
#include <optional>
#include <string>
#include <utility>

#include "framework/ComRef.h"
#include "framework/Utf16.h"
#include "tests/common/FixtureDrive.h"
#include "tests/common/VersionInfo.h"

namespace {

const wchar_t kUninstallKey[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Heftscope";
const wchar_t kSettingsKey[] = L"Software\\Tamrisk Architects\\HEFT";
const wchar_t kCompanyKey[] = L"Software\\Tamrisk Architects";
// "Open in Heftscope" on the right-click menu of folders and of drives.
const wchar_t* const kExplorerMenuKeys[] = {L"Software\\Classes\\Directory\\shell\\Heftscope",
                                            L"Software\\Classes\\Drive\\shell\\Heftscope"};
// Wine's settings for one program: the Windows version it is told it runs on.
const wchar_t kSetupWineSettingsKey[] = L"Software\\Wine\\AppDefaults\\heftscope-setup-x64.exe";

std::wstring FolderOf(const std::wstring& path)
{
    return path.substr(0, path.find_last_of(L'\\'));
}

std::wstring KnownFolder(REFKNOWNFOLDERID id)
{
    wchar_t* path = nullptr;
    std::wstring result;
    if (SUCCEEDED(SHGetKnownFolderPath(id, 0, nullptr, &path))) result = path;
    CoTaskMemFree(path);
    return result;
}

bool Exists(const std::wstring& path)
{
    return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

std::string Contents(const std::wstring& path)
{
    std::ifstream file(path.c_str(), std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

bool SameText(const std::wstring& a, const std::wstring& b)
{
    return CompareStringOrdinal(a.c_str(), -1, b.c_str(), -1, TRUE) == CSTR_EQUAL;
}

// This test is a 64-bit program: it sees the 64-bit registry view, where the
// 64-bit installer writes.
bool KeyExists(HKEY root, const wchar_t* path)
{
    HKEY key = nullptr;
    if (RegOpenKeyExW(root, path, 0, KEY_READ, &key) != ERROR_SUCCESS) return false;
    RegCloseKey(key);
    return true;
}

std::optional<std::wstring> RegistryText(HKEY root, const wchar_t* path, const wchar_t* name)
{
    DWORD bytes = 0;
    const DWORD flags = RRF_RT_REG_SZ;
    if (RegGetValueW(root, path, name, flags, nullptr, nullptr, &bytes) != ERROR_SUCCESS) return std::nullopt;
    std::wstring text(bytes / sizeof(wchar_t), L'\0');
    if (RegGetValueW(root, path, name, flags, nullptr, text.data(), &bytes) != ERROR_SUCCESS) return std::nullopt;
    text.resize(wcsnlen(text.c_str(), text.size()));
    return text;
}

std::optional<DWORD> RegistryNumber(HKEY root, const wchar_t* path, const wchar_t* name)
{
    DWORD value = 0;
    DWORD bytes = sizeof(value);
    if (RegGetValueW(root, path, name, RRF_RT_REG_DWORD, nullptr, &value, &bytes) !=
        ERROR_SUCCESS)
        return std::nullopt;
    return value;
}

struct HandleClose {
    void operator()(HANDLE h) const { CloseHandle(h); }
};
using Handle = std::unique_ptr<void, HandleClose>;

// A process started in a job of its own, so that waiting covers whatever it
// starts in turn (the uninstaller runs a copy of itself from the temporary
// folder and returns at once). Whatever still runs when it goes is ended.
class JobProcess {
public:
    explicit JobProcess(const std::wstring& commandLine) : m_job(CreateJobObjectW(nullptr, nullptr))
    {
        if (!m_job) return;
        JOBOBJECT_EXTENDED_LIMIT_INFORMATION limits{};
        limits.BasicLimitInformation.LimitFlags = JOB_OBJECT_LIMIT_KILL_ON_JOB_CLOSE;
        SetInformationJobObject(m_job.get(), JobObjectExtendedLimitInformation, &limits, sizeof(limits));
        std::wstring line = commandLine;
        STARTUPINFOW startup{};
        startup.cb = sizeof(startup);
        PROCESS_INFORMATION started{};
        if (!CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE, CREATE_SUSPENDED, nullptr, nullptr,
                            &startup, &started))
            return;
        Handle thread(started.hThread);
        Handle process(started.hProcess);
        // Outside the job, waiting would not cover what it starts.
        if (!AssignProcessToJobObject(m_job.get(), process.get())) {
            TerminateProcess(process.get(), 1);
            return;
        }
        ResumeThread(thread.get());
        m_process = std::move(process);
        m_id = started.dwProcessId;
    }

    bool Started() const { return m_process != nullptr; }
    DWORD Id() const { return m_id; }

    // Waits until every process of the job has ended; the first one's exit
    // code, or nothing after the time limit.
    std::optional<DWORD> WaitForAll(DWORD milliseconds) const
    {
        if (!Started()) return std::nullopt;
        const ULONGLONG deadline = GetTickCount64() + milliseconds;
        for (;;) {
            JOBOBJECT_BASIC_ACCOUNTING_INFORMATION accounting{};
            if (!QueryInformationJobObject(m_job.get(), JobObjectBasicAccountingInformation, &accounting,
                                           sizeof(accounting), nullptr))
                return std::nullopt;
            if (accounting.ActiveProcesses == 0) break;
            if (GetTickCount64() > deadline) return std::nullopt;
            Sleep(100);
        }
        DWORD code = 0;
        if (!GetExitCodeProcess(m_process.get(), &code)) return std::nullopt;
        return code;
    }

private:
    Handle m_job;
    Handle m_process;
    DWORD m_id = 0;
};

std::wstring Quoted(const std::wstring& path)
{
    return L"\"" + path + L"\"";
}

struct WindowSearch {
    DWORD processId;
    const std::wstring* titleStart;
    HWND found;
};

BOOL CALLBACK MatchWindow(HWND hwnd, LPARAM param)
{
    auto* search = reinterpret_cast<WindowSearch*>(param);
    DWORD owner = 0;
    GetWindowThreadProcessId(hwnd, &owner);
    if (owner != search->processId || !IsWindowVisible(hwnd)) return TRUE;
    wchar_t title[128] = {};
    GetWindowTextW(hwnd, title, 128);
    if (std::wstring(title).rfind(*search->titleStart, 0) != 0) return TRUE;
    search->found = hwnd;
    return FALSE;
}

// A visible top-level window of the process whose title starts with the
// given text, once one appears within the time given.
HWND WaitForWindow(DWORD processId, const std::wstring& titleStart, DWORD milliseconds)
{
    WindowSearch search{processId, &titleStart, nullptr};
    const ULONGLONG deadline = GetTickCount64() + milliseconds;
    while (!search.found && GetTickCount64() < deadline) {
        EnumWindows(MatchWindow, reinterpret_cast<LPARAM>(&search));
        if (!search.found) Sleep(200);
    }
    return search.found;
}

// The target of a shell link file.
std::wstring ShortcutTarget(const std::wstring& linkPath)
{
    ComRef<IShellLinkW> link;
    if (FAILED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                                link.ReceiveVoid())))
        return L"<no shell link object>";
    ComRef<IPersistFile> file;
    if (FAILED(link->QueryInterface(IID_IPersistFile, file.ReceiveVoid())) ||
        FAILED(file->Load(linkPath.c_str(), STGM_READ)))
        return L"<unreadable>";
    wchar_t target[MAX_PATH] = {};
    if (FAILED(link->GetPath(target, MAX_PATH, nullptr, SLGP_RAWPATH))) return L"<no target>";
    return target;
}

class Installer : public ::testing::Test {
protected:
    void SetUp() override
    {
        buildFolder = FolderOf(VersionInfo::ModulePath());
        setup = buildFolder + L"\\heftscope-setup-x64.exe";
        installFolder = KnownFolder(FOLDERID_ProgramFilesX64) + L"\\Heftscope";
        shortcut = KnownFolder(FOLDERID_CommonPrograms) + L"\\Heftscope.lnk";
        ASSERT_TRUE(Exists(setup)) << "build the installer first";
        ASSERT_FALSE(KnownFolder(FOLDERID_ProgramFilesX64).empty());
        ASSERT_FALSE(KnownFolder(FOLDERID_CommonPrograms).empty());
        RemoveLeftovers();
        ASSERT_FALSE(Exists(installFolder)) << "a previous run left an installation behind";
        // The oldest Windows the installer accepts, Windows 7 SP1, is what a
        // new Wine prefix reports.
        ASSERT_EQ(RegistryText(HKEY_LOCAL_MACHINE, L"Software\\Microsoft\\Windows NT\\CurrentVersion", L"CurrentBuild"),
                  L"7601");
    }
    void TearDown() override
    {
        RemoveLeftovers();
        RegDeleteTreeW(HKEY_CURRENT_USER, kSetupWineSettingsKey);
    }

    // The Windows version Wine reports to the installer: "win7", "win10", ...
    static void PretendWindowsVersion(const std::wstring& version)
    {
        RegSetKeyValueW(HKEY_CURRENT_USER, kSetupWineSettingsKey, L"Version", REG_SZ, version.c_str(),
                        static_cast<DWORD>((version.size() + 1) * sizeof(wchar_t)));
    }

    // What a failed run may have left in the prefix, so that the next run
    // starts from nothing.
    void RemoveLeftovers() const
    {
        for (const wchar_t* name : {L"heftscope.exe", L"heftscope.htm", L"uninstall.exe"})
            DeleteFileW((installFolder + L"\\" + name).c_str());
        RemoveDirectoryW(installFolder.c_str());
        DeleteFileW(shortcut.c_str());
        RegDeleteKeyW(HKEY_LOCAL_MACHINE, kUninstallKey);
        for (const wchar_t* key : kExplorerMenuKeys) RegDeleteTreeW(HKEY_LOCAL_MACHINE, key);
    }

    void ExpectNothingInstalled() const
    {
        EXPECT_FALSE(Exists(installFolder));
        EXPECT_FALSE(Exists(shortcut));
        EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, kUninstallKey));
        for (const wchar_t* key : kExplorerMenuKeys) EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, key)) << key;
    }

    std::wstring buildFolder;
    std::wstring setup;
    std::wstring installFolder;
    std::wstring shortcut;
};

TEST_F(Installer, RefusesWindowsBeforeWindows7)
{
    for (const wchar_t* version : {L"winxp64", L"vista"}) {
        SCOPED_TRACE(testing::Message() << "Windows " << version);
        PretendWindowsVersion(version);
        JobProcess install(Quoted(setup) + L" /S");
        ASSERT_TRUE(install.Started()) << GetLastError();
        // 2: stopped by the installer itself.
        EXPECT_EQ(install.WaitForAll(120000), std::optional<DWORD>(2));
        ExpectNothingInstalled();
    }
}

TEST_F(Installer, InstallsRunsAndUninstallsWithoutTrace)
{
    // --- silent installation, into the default folder ---
    JobProcess install(Quoted(setup) + L" /S");
    ASSERT_TRUE(install.Started()) << GetLastError();
    ASSERT_EQ(install.WaitForAll(120000), std::optional<DWORD>(0)) << "the installer's exit code";

    // Under the 64-bit Program Files, not the 32-bit one.
    const std::wstring program = installFolder + L"\\heftscope.exe";
    const std::wstring help = installFolder + L"\\heftscope.htm";
    const std::wstring uninstaller = installFolder + L"\\uninstall.exe";
    ASSERT_TRUE(Exists(program)) << "expected in " << installFolder;
    EXPECT_FALSE(Exists(KnownFolder(FOLDERID_ProgramFilesX86) + L"\\Heftscope"));
    EXPECT_TRUE(Exists(uninstaller));
    // The packaged program (this build's, without its debugging symbols)
    // and the help file, byte for byte.
    EXPECT_EQ(Contents(program), Contents(buildFolder + L"\\package\\heftscope.exe"));
    EXPECT_EQ(Contents(help), Contents(buildFolder + L"\\heftscope.htm"));
    DWORD binaryType = 0;
    ASSERT_TRUE(GetBinaryTypeW(program.c_str(), &binaryType));
    EXPECT_EQ(binaryType, static_cast<DWORD>(SCS_64BIT_BINARY));

    // Start menu: a shortcut to the program, for all users.
    ASSERT_TRUE(Exists(shortcut));
    EXPECT_TRUE(SameText(ShortcutTarget(shortcut), program)) << ShortcutTarget(shortcut);

    // Add/Remove Programs: the version registered is the program's own.
    VersionInfo installed(program);
    ASSERT_TRUE(installed.Loaded());
    EXPECT_EQ(installed.String(L"ProductVersion"), VersionInfo(VersionInfo::ModulePath()).String(L"ProductVersion"));
    HKEY hklm = HKEY_LOCAL_MACHINE;
    EXPECT_EQ(RegistryText(hklm, kUninstallKey, L"DisplayName"), L"Heftscope");
    EXPECT_EQ(RegistryText(hklm, kUninstallKey, L"DisplayVersion"), installed.String(L"ProductVersion"));
    EXPECT_EQ(RegistryText(hklm, kUninstallKey, L"Publisher"), installed.String(L"CompanyName"));
    EXPECT_EQ(RegistryText(hklm, kUninstallKey, L"Publisher"), L"Tamrisk Architects");
    EXPECT_EQ(RegistryText(hklm, kUninstallKey, L"DisplayIcon"), program + L",0");
    EXPECT_EQ(RegistryText(hklm, kUninstallKey, L"UninstallString"), Quoted(uninstaller));
    EXPECT_EQ(RegistryText(hklm, kUninstallKey, L"QuietUninstallString"), Quoted(uninstaller) + L" /S");
    EXPECT_EQ(RegistryText(hklm, kUninstallKey, L"InstallLocation"), installFolder);
    // In KiB: the three files, each rounded.
    WIN32_FILE_ATTRIBUTE_DATA data{};
    ULONGLONG bytes = 0;
    for (const std::wstring& file : {program, help, uninstaller}) {
        ASSERT_TRUE(GetFileAttributesExW(file.c_str(), GetFileExInfoStandard, &data));
        bytes += (ULONGLONG(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
    }
    const std::optional<DWORD> size = RegistryNumber(hklm, kUninstallKey, L"EstimatedSize");
    ASSERT_TRUE(size.has_value());
    EXPECT_GE(*size + 3, bytes / 1024);
    EXPECT_LE(*size, bytes / 1024 + 3);

    // Explorer's menu of folders and drives: the text, the program's icon,
    // and the program started with the folder or drive clicked.
    for (const wchar_t* key : kExplorerMenuKeys) {
        SCOPED_TRACE(testing::Message() << key);
        EXPECT_EQ(RegistryText(hklm, key, nullptr), L"Open in Heftscope");
        EXPECT_EQ(RegistryText(hklm, key, L"Icon"), program + L",0");
        EXPECT_EQ(RegistryText(hklm, (std::wstring(key) + L"\\command").c_str(), nullptr),
                  Quoted(program) + L" \"%1\"");
    }

    // --- the installed program comes up from the folder menu's command with
    // a folder's drive open, and closes; on the way out it writes its
    // settings, which the uninstaller must take away ---
    RegDeleteTreeW(HKEY_CURRENT_USER, kSettingsKey);
    {
        FixtureDrive drive('T');
        drive.Folder("photos");
        std::wstring command =
            *RegistryText(hklm, (std::wstring(kExplorerMenuKeys[0]) + L"\\command").c_str(), nullptr);
        command.replace(command.find(L"%1"), 2, Utf8ToWide(drive.Path("photos").str()));
        JobProcess run(command);
        ASSERT_TRUE(run.Started()) << GetLastError();
        HWND main = WaitForWindow(run.Id(), L"Heftscope - ", 60000);
        ASSERT_NE(main, nullptr) << "the installed program did not come up with the folder's drive";
        PostMessageW(main, WM_CLOSE, 0, 0);
        EXPECT_EQ(run.WaitForAll(60000), std::optional<DWORD>(0)) << "the program's exit code";
    }
    EXPECT_TRUE(KeyExists(HKEY_CURRENT_USER, kSettingsKey));

    // --- silent uninstallation, exactly as Add/Remove Programs starts it ---
    JobProcess uninstall(*RegistryText(hklm, kUninstallKey, L"QuietUninstallString"));
    ASSERT_TRUE(uninstall.Started()) << GetLastError();
    ASSERT_EQ(uninstall.WaitForAll(120000), std::optional<DWORD>(0)) << "the uninstaller's exit code";

    EXPECT_FALSE(Exists(program));
    EXPECT_FALSE(Exists(help));
    EXPECT_FALSE(Exists(uninstaller));
    ExpectNothingInstalled();
    EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, kSettingsKey));
    EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, kCompanyKey)) << "left empty, the company's key goes too";
}

} // namespace
