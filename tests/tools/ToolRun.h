// Runs a built command-line tool with its output caught in a file of the test's folder.
#pragma once

#include <cstdlib>
#include <string>
#include <vector>

#include "tests/support/TestSupport.h"

namespace quortest {

struct ToolRun {
    int status;
    std::string out; // standard output and error together
};

inline ToolRun RunTool(const std::string& tool, const TempDir& dir, const std::string& args)
{
    std::string log = dir.File("tool.log");
    std::string command = "'" + tool + "' " + args + " >'" + log + "' 2>&1";
    int status = std::system(command.c_str());
    std::vector<uint8_t> bytes = ReadFile(log);
    return {status, std::string(bytes.begin(), bytes.end())};
}

} // namespace quortest
