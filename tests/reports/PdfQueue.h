#pragma once
// The PDF printer the printing tests print on (scripts/printer.sh makes it
// ready; ctest runs that first): the CUPS queue HeftPDF, whose jobs cups-pdf
// writes as PDF files into the folder its settings name. A test gives its
// job a title of its own, waits for the PDF of that title and reads its text
// back with pdftotext, a Linux program that Wine starts like any other.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "framework/CFileFind.h"
#include "framework/CWinApp.h"
#include "tests/common/UnixCommand.h"

class PdfQueue {
public:
    static constexpr const char* kQueue = "HeftPDF";
    static constexpr const char* kSettings = "Z:\\etc\\cups\\cups-pdf-heftscope.conf";

    // Empty when the queue can take a job, else why it cannot.
    static std::string WhyNotReady()
    {
        if (!PrinterExists(kQueue))
            return std::string("Wine lists no printer ") + kQueue +
                   ": the CUPS scheduler is not running or the queue is missing (scripts/printer.sh sets "
                   "both up; ctest runs it before these tests)";
        if (OutputFolder().empty())
            return std::string("no output folder in ") + kSettings + " (scripts/printer.sh writes it)";
        return std::string();
    }

    // Makes the queue the application's printer; empty when done, else why
    // it could not be.
    static std::string Prepare(CWinApp& app)
    {
        std::string why = WhyNotReady();
        if (why.empty() && !Choose(app)) why = std::string("the queue ") + kQueue + " cannot be chosen";
        return why;
    }

    // The folder the queue's PDF files go to, as Linux names it; empty when not set.
    static std::string OutputFolder()
    {
        std::ifstream settings(kSettings);
        std::string line;
        while (std::getline(settings, line)) {
            if (line.rfind("Out ", 0) == 0) return line.substr(4);
        }
        return std::string();
    }

    static bool PrinterExists(const char* name)
    {
        HANDLE printer = nullptr;
        std::wstring wide = Utf8ToWide(name);
        if (!OpenPrinterW(wide.data(), &printer, nullptr)) return false;
        ClosePrinter(printer);
        return true;
    }

    // Makes the queue the application's printer, with its default settings,
    // as Print Setup would: the print dialog then starts from it.
    static bool Choose(CWinApp& app)
    {
        HANDLE printer = nullptr;
        std::wstring device = Utf8ToWide(kQueue);
        if (!OpenPrinterW(device.data(), &printer, nullptr)) return false;
        DWORD needed = 0;
        GetPrinterW(printer, 2, nullptr, 0, &needed);
        std::vector<BYTE> info(needed ? needed : 1);
        bool ok = needed && GetPrinterW(printer, 2, info.data(), needed, &needed);
        std::wstring driver, port;
        if (ok) {
            const auto* p = reinterpret_cast<const PRINTER_INFO_2W*>(info.data());
            driver = p->pDriverName ? p->pDriverName : L"";
            port = p->pPortName ? p->pPortName : L"";
        }
        const LONG modeSize = DocumentPropertiesW(nullptr, printer, device.data(), nullptr, nullptr, 0);
        HGLOBAL mode = modeSize > 0 ? GlobalAlloc(GHND, static_cast<SIZE_T>(modeSize)) : nullptr;
        if (mode) {
            auto* devmode = static_cast<DEVMODEW*>(GlobalLock(mode));
            ok = ok && DocumentPropertiesW(nullptr, printer, device.data(), devmode, nullptr, DM_OUT_BUFFER) == IDOK;
            GlobalUnlock(mode);
        }
        ClosePrinter(printer);
        // DEVNAMES: offsets in characters (wide ones), then the three strings.
        const size_t header = sizeof(DEVNAMES) / sizeof(wchar_t);
        const size_t chars = header + driver.size() + 1 + device.size() + 1 + port.size() + 1;
        HGLOBAL names = GlobalAlloc(GHND, chars * sizeof(wchar_t));
        if (names) {
            auto* block = static_cast<wchar_t*>(GlobalLock(names));
            auto* dn = reinterpret_cast<DEVNAMES*>(block);
            size_t at = header;
            dn->wDriverOffset = static_cast<WORD>(at);
            std::copy(driver.c_str(), driver.c_str() + driver.size() + 1, block + at);
            at += driver.size() + 1;
            dn->wDeviceOffset = static_cast<WORD>(at);
            std::copy(device.c_str(), device.c_str() + device.size() + 1, block + at);
            at += device.size() + 1;
            dn->wOutputOffset = static_cast<WORD>(at);
            std::copy(port.c_str(), port.c_str() + port.size() + 1, block + at);
            GlobalUnlock(names);
        }
        if (!ok || !mode || !names) {
            if (mode) GlobalFree(mode);
            if (names) GlobalFree(names);
            return false;
        }
        app.SetPrinter(mode, names);
        return true;
    }

    // A job title no other job has: letters and digits only, which cups-pdf
    // keeps as they are in the file's name.
    static std::string UniqueTitle(const char* what)
    {
        static int serial = 0;
        std::ostringstream title;
        title << "heft" << what << GetCurrentProcessId() << "x" << GetTickCount() << "x" << ++serial;
        return title.str();
    }

    // Waits for the PDF of a job and returns its Linux path, or "" after
    // `seconds`. The file counts once pdfinfo reads it whole.
    static std::string WaitForPdf(const std::string& title, int seconds = 60)
    {
        const std::string folder = OutputFolder();
        const std::wstring pattern = Utf8ToWide(unixcmd::WindowsPath(folder) + "\\" + title + "*.pdf");
        for (int waited = 0; waited < seconds * 10; ++waited) {
            WIN32_FIND_DATAW found{};
            HANDLE search = FindFirstFileW(pattern.c_str(), &found);
            if (search != INVALID_HANDLE_VALUE) {
                FindClose(search);
                const std::string path = folder + "/" + WideToUtf8(found.cFileName).str();
                if (unixcmd::Run("pdfinfo '" + path + "' >/dev/null 2>&1") == 0) return path;
            }
            Sleep(100);
        }
        return std::string();
    }

    // The text of each page, as pdftotext lays it out.
    static std::vector<std::string> PageTexts(const std::string& pdf)
    {
        const std::string text = unixcmd::Output("pdftotext -layout '" + pdf + "' -");
        std::vector<std::string> pages;
        size_t start = 0;
        for (size_t feed = text.find('\f'); feed != std::string::npos; feed = text.find('\f', start)) {
            pages.push_back(text.substr(start, feed - start));
            start = feed + 1;
        }
        if (start < text.size() && text.find_first_not_of(" \n", start) != std::string::npos)
            pages.push_back(text.substr(start));
        return pages;
    }

    // What pdfinfo says on one of its lines ("Page size"), after the colon.
    static std::string Info(const std::string& pdf, const std::string& key)
    {
        std::istringstream lines(unixcmd::Output("pdfinfo '" + pdf + "'"));
        std::string line;
        while (std::getline(lines, line)) {
            if (line.rfind(key + ":", 0) != 0) continue;
            const size_t value = line.find_first_not_of(' ', key.size() + 1);
            return value == std::string::npos ? std::string() : line.substr(value);
        }
        return std::string();
    }

    static void Remove(const std::string& pdf)
    {
        if (!pdf.empty()) DeleteFileW(Utf8ToWide(unixcmd::WindowsPath(pdf)).c_str());
    }
};
