// Splitting the program's command line into file names.
#pragma once

#include <string>
#include <vector>

namespace pelma {

// Every argument after the program's own name. Arguments are separated by
// characters up to the blank; a stretch in double quotes belongs to one
// argument and the quotes are dropped; an empty pair of double quotes at the
// start of an argument is skipped.
std::vector<std::wstring> CommandLineArguments(const std::wstring& commandLine);

}  // namespace pelma
