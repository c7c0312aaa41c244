#pragma once
// Runs the dat-tool binary (or any program) and captures what it did.

#include <filesystem>
#include <string>
#include <vector>

namespace support {

struct RunResult {
    int status = -1;        // exit status, or -1 when killed by a signal
    int signal = 0;         // the signal that ended the process, if any
    std::string out;
    std::string err;
};

struct RunOptions {
    std::filesystem::path cwd;   // empty: the current directory
    std::string stdin_text;
    std::string stdout_file;     // when set, stdout goes to this file instead
    int timeout_seconds = 60;
    // Extra environment variables for the child, "NAME=value", added to
    // (or replacing those of) the parent's environment.
    std::vector<std::string> env;
};

RunResult run_program(const std::filesystem::path& program, const std::vector<std::string>& args,
                      const RunOptions& options = {});

// Runs the built dat-tool with `args`.
RunResult run_tool(const std::vector<std::string>& args, const RunOptions& options = {});

std::filesystem::path tool_binary();

}  // namespace support
