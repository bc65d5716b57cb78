// The version resource and the manifest's list of supported Windows
// versions, as Windows reads them from this executable (which carries the
// program's resources).
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "tests/common/VersionInfo.h"

TEST(VersionResource, NamesTheProgramAndItsMaker)
{
    VersionInfo info(VersionInfo::ModulePath());
    ASSERT_TRUE(info.Loaded());
    // US English, Unicode: the block Explorer's Details tab reads.
    EXPECT_EQ(info.Translation(), MAKELONG(0x0409, 1200));
    EXPECT_EQ(info.String(L"CompanyName"), L"Tamrisk Architects");
    EXPECT_EQ(info.String(L"ProductName"), L"Heftscope");
    EXPECT_EQ(info.String(L"FileDescription"), L"Heftscope disk-space viewer");
    EXPECT_EQ(info.String(L"LegalCopyright"), L"Copyright (C) 2002 Tamrisk Architects");
    EXPECT_EQ(info.String(L"OriginalFilename"), L"heftscope.exe");
    EXPECT_EQ(info.String(L"InternalName"), L"heftscope");
}

TEST(VersionResource, NumbersAndTextAreOneVersion)
{
    VersionInfo info(VersionInfo::ModulePath());
    const VS_FIXEDFILEINFO* fixed = info.Fixed();
    ASSERT_NE(fixed, nullptr);
    EXPECT_EQ(fixed->dwSignature, VS_FFI_SIGNATURE);
    EXPECT_EQ(fixed->dwFileType, static_cast<DWORD>(VFT_APP));
    EXPECT_EQ(fixed->dwFileFlags & fixed->dwFileFlagsMask, 0u) << "no debug, pre-release or patched flag";

    const std::wstring text = info.String(L"ProductVersion");
    ASSERT_NE(text, L"<missing>");
    EXPECT_EQ(info.String(L"FileVersion"), text);
    // Three numbers, as Add/Remove Programs shows it.
    EXPECT_EQ(std::count(text.begin(), text.end(), L'.'), 2) << text;
    // The fixed part's four numbers: the same three and 0.
    EXPECT_EQ(VersionInfo::Dotted(fixed->dwFileVersionMS, fixed->dwFileVersionLS), text + L".0");
    EXPECT_EQ(VersionInfo::Dotted(fixed->dwProductVersionMS, fixed->dwProductVersionLS), text + L".0");
}

TEST(Manifest, DeclaresWindows10AndTheUtf8CodePage)
{
    HMODULE module = GetModuleHandleW(nullptr);
    HRSRC found = FindResourceW(module, MAKEINTRESOURCEW(1), MAKEINTRESOURCEW(24));
    ASSERT_NE(found, nullptr);
    const char* text = static_cast<const char*>(LockResource(LoadResource(module, found)));
    ASSERT_NE(text, nullptr);
    const std::string manifest(text, SizeofResource(module, found));
    // Windows 10 and 11 share one entry; without it Windows 10 treats the
    // program as one written for Windows 8 (GetVersionEx and others lie).
    EXPECT_NE(manifest.find("<supportedOS Id=\"{8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a}\"/>"), std::string::npos);
    // The minimum Windows version (10, version 1903) is the first to honour it.
    EXPECT_NE(manifest.find(">UTF-8</activeCodePage>"), std::string::npos);
}
