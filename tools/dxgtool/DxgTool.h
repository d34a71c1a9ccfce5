// DxgTool.h -- the commands of dxgtool (list, extract, pack), callable in-process.
#pragma once

#include <ostream>
#include <string>
#include <vector>

// Runs one command line (without the program name). Returns the exit status: 0 done, 1 a file
// or library error (its message on `err`), 2 a usage error.
int RunDxgTool(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

// The --help text, which also documents the manifest format.
extern const char* const kDxgToolHelp;
