// Any UTF-16 text through the command-line splitting. No argument keeps a
// double quote, none is longer than the line, and every list of non-empty
// arguments, written back quoted, splits into itself again.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "app/command_line.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::wstring line;
    for (std::size_t i = 0; i + 1 < size; i += 2) line += static_cast<wchar_t>(data[i] | (data[i + 1] << 8));

    const std::vector<std::wstring> args = pelma::CommandLineArguments(line);
    std::size_t total = 0;
    for (const std::wstring& a : args) {
        if (a.find(L'"') != std::wstring::npos) __builtin_trap();
        total += a.size();
    }
    if (total > line.size()) __builtin_trap();

    std::wstring rebuilt = L"pelma34.exe";
    std::vector<std::wstring> kept;
    for (const std::wstring& a : args) {
        if (a.empty()) continue;
        rebuilt += L" \"" + a + L"\"";
        kept.push_back(a);
    }
    if (pelma::CommandLineArguments(rebuilt) != kept) __builtin_trap();
    return 0;
}
