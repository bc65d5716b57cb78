#pragma once
// The rows of a CSV file as tests/common/read_csv.py reads them back with
// Python's csv module: one row per line, fields between tabs, escaped.
// The native tests run the script directly; under Wine it runs as a Linux
// program (tests/common/UnixCommand.h).
#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

#if defined(_WIN32)
#include "tests/common/UnixCommand.h"
#endif

namespace csvback {

using Rows = std::vector<std::vector<std::string>>;

// The script, beside this header in the source tree.
inline std::string ScriptPath()
{
    const std::string here = __FILE__;
    return here.substr(0, here.find_last_of("/\\") + 1) + "read_csv.py";
}

// Undoes the script's escapes.
inline Rows ParseOutput(std::string_view output)
{
    Rows rows;
    size_t start = 0;
    while (start < output.size()) {
        size_t end = output.find('\n', start);
        if (end == std::string_view::npos) end = output.size();
        std::vector<std::string> fields(1);
        for (size_t i = start; i < end; ++i) {
            const char c = output[i];
            if (c == '\t') {
                fields.emplace_back();
            } else if (c == '\\' && i + 1 < end) {
                const char next = output[++i];
                fields.back() += next == 't' ? '\t' : next == 'r' ? '\r' : next == 'n' ? '\n' : next;
            } else {
                fields.back() += c;
            }
        }
        rows.push_back(std::move(fields));
        start = end + 1;
    }
    return rows;
}

// The rows of a CSV file, given by its Unix path; a failure of the running
// test, and no rows, when the script refuses the file.
inline Rows ReadFile(const std::string& unixPath)
{
    const std::string command = "python3 '" + ScriptPath() + "' '" + unixPath + "'";
#if defined(_WIN32)
    const std::string output = unixcmd::Output(command);
#else
    std::string output;
    if (FILE* pipe = popen(command.c_str(), "r")) {
        char buffer[4096];
        for (size_t n; (n = fread(buffer, 1, sizeof(buffer), pipe)) > 0;) output.append(buffer, n);
        if (pclose(pipe) != 0) output.clear();
    }
#endif
    EXPECT_FALSE(output.empty()) << "read_csv.py refused " << unixPath;
    return ParseOutput(output);
}

} // namespace csvback
