#include "support/process.hpp"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <stdexcept>
#include <string_view>

extern char** environ;

namespace support {
namespace {

std::string_view variable_name(std::string_view entry) { return entry.substr(0, entry.find('=')); }

// The parent's environment with `overrides` ("NAME=value") added or replacing.
std::vector<std::string> child_environment(const std::vector<std::string>& overrides) {
    std::vector<std::string> result;
    for (char** e = environ; *e != nullptr; ++e) {
        const std::string_view entry = *e;
        const bool replaced = std::any_of(overrides.begin(), overrides.end(), [&](const std::string& o) {
            return variable_name(o) == variable_name(entry);
        });
        if (!replaced) result.emplace_back(entry);
    }
    result.insert(result.end(), overrides.begin(), overrides.end());
    return result;
}

}  // namespace

std::filesystem::path tool_binary() { return DAT_TOOL_BINARY; }

RunResult run_program(const std::filesystem::path& program, const std::vector<std::string>& args,
                      const RunOptions& options) {
    int out_pipe[2], err_pipe[2], in_pipe[2];
    if (pipe2(out_pipe, O_CLOEXEC) != 0 || pipe2(err_pipe, O_CLOEXEC) != 0 || pipe2(in_pipe, O_CLOEXEC) != 0) {
        throw std::runtime_error("pipe failed");
    }
    std::vector<std::string> argv_storage;
    argv_storage.push_back(program.string());
    argv_storage.insert(argv_storage.end(), args.begin(), args.end());
    std::vector<char*> argv;
    for (auto& a : argv_storage) argv.push_back(a.data());
    argv.push_back(nullptr);
    // Built before fork: the child of a threaded parent must not allocate.
    std::vector<std::string> env_storage = child_environment(options.env);
    std::vector<char*> envp;
    for (auto& e : env_storage) envp.push_back(e.data());
    envp.push_back(nullptr);

    const pid_t pid = fork();
    if (pid < 0) throw std::runtime_error("fork failed");
    if (pid == 0) {
        if (!options.cwd.empty() && chdir(options.cwd.c_str()) != 0) _exit(126);
        dup2(in_pipe[0], STDIN_FILENO);
        if (!options.stdout_file.empty()) {
            const int fd = open(options.stdout_file.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
            if (fd < 0) _exit(126);
            dup2(fd, STDOUT_FILENO);
        } else {
            dup2(out_pipe[1], STDOUT_FILENO);
        }
        dup2(err_pipe[1], STDERR_FILENO);
        signal(SIGPIPE, SIG_DFL);
        execve(argv[0], argv.data(), envp.data());
        _exit(127);
    }
    close(out_pipe[1]);
    close(err_pipe[1]);
    close(in_pipe[0]);
    if (!options.stdin_text.empty()) {
        (void)!write(in_pipe[1], options.stdin_text.data(), options.stdin_text.size());
    }
    close(in_pipe[1]);

    RunResult result;
    pollfd fds[2] = {{out_pipe[0], POLLIN, 0}, {err_pipe[0], POLLIN, 0}};
    std::string* sinks[2] = {&result.out, &result.err};
    int open_count = 2;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(options.timeout_seconds);
    bool timed_out = false;
    while (open_count > 0) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
        if (left.count() <= 0) {
            timed_out = true;
            break;
        }
        const int ready = poll(fds, 2, static_cast<int>(left.count()));
        if (ready < 0 && errno == EINTR) continue;
        for (int i = 0; i < 2; ++i) {
            if (fds[i].fd < 0 || fds[i].revents == 0) continue;
            char buffer[65536];
            const ssize_t n = read(fds[i].fd, buffer, sizeof buffer);
            if (n > 0) {
                sinks[i]->append(buffer, static_cast<std::size_t>(n));
            } else {
                close(fds[i].fd);
                fds[i].fd = -1;
                --open_count;
            }
        }
    }
    if (timed_out) kill(pid, SIGKILL);
    for (auto& f : fds) {
        if (f.fd >= 0) close(f.fd);
    }
    int status = 0;
    while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
    if (WIFEXITED(status)) {
        result.status = WEXITSTATUS(status);
    } else if (WIFSIGNALED(status)) {
        result.signal = WTERMSIG(status);
    }
    if (timed_out) result.err += "\n[timed out]";
    return result;
}

RunResult run_tool(const std::vector<std::string>& args, const RunOptions& options) {
    return run_program(tool_binary(), args, options);
}

}  // namespace support
