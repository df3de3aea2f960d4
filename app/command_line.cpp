#include "app/command_line.h"

namespace pelma {

namespace {

// Reads one argument from `p`; returns false when none is left.
bool NextArgument(const std::wstring& line, std::size_t& p, std::wstring& out) {
    out.clear();
    for (;;) {
        while (p < line.size() && line[p] <= L' ') ++p;
        if (p + 1 < line.size() && line[p] == L'"' && line[p + 1] == L'"')
            p += 2;
        else
            break;
    }
    if (p >= line.size()) return false;
    while (p < line.size() && line[p] > L' ') {
        if (line[p] == L'"') {
            ++p;
            while (p < line.size() && line[p] != L'"') out += line[p++];
            if (p < line.size()) ++p;
        } else {
            out += line[p++];
        }
    }
    return true;
}

}  // namespace

std::vector<std::wstring> CommandLineArguments(const std::wstring& commandLine) {
    std::vector<std::wstring> args;
    std::size_t p = 0;
    std::wstring arg;
    if (!NextArgument(commandLine, p, arg)) return args;  // the program's own name
    while (NextArgument(commandLine, p, arg)) args.push_back(arg);
    return args;
}

}  // namespace pelma
