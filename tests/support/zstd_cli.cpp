#include "support/zstd_cli.hpp"

#include <cstdlib>
#include <unistd.h>
#include <stdexcept>
#include <string_view>

#include "support/process.hpp"
#include "support/temp_dir.hpp"

namespace support {

std::optional<std::filesystem::path> zstd_cli() {
    const char* path = std::getenv("PATH");
    std::string_view dirs = path ? path : "/usr/bin:/bin";
    while (!dirs.empty()) {
        const auto colon = dirs.find(':');
        const std::filesystem::path candidate = std::filesystem::path(dirs.substr(0, colon)) / "zstd";
        if (::access(candidate.c_str(), X_OK) == 0) return candidate;
        dirs = colon == std::string_view::npos ? std::string_view() : dirs.substr(colon + 1);
    }
    return std::nullopt;
}

namespace {

dat::Bytes run_zstd(const std::vector<std::string>& args, const std::string& stdin_bytes, const TempDir& dir) {
    const auto program = zstd_cli();
    if (!program) throw std::runtime_error("zstd is not installed");
    RunOptions options;
    options.stdin_text = stdin_bytes;
    options.stdout_file = (dir / "zstd.out").string();
    const auto result = run_program(*program, args, options);
    if (result.status != 0) throw std::runtime_error("zstd failed: " + result.err);
    return read_bytes(dir / "zstd.out");
}

}  // namespace

dat::Bytes zstd_cli_compress(const dat::Bytes& data, const std::vector<std::string>& args, bool from_stdin) {
    TempDir dir;
    std::vector<std::string> all = args;
    all.insert(all.end(), {"-q", "-c"});
    if (from_stdin) return run_zstd(all, std::string(data.begin(), data.end()), dir);
    write_bytes(dir / "input", data);
    all.push_back((dir / "input").string());
    return run_zstd(all, {}, dir);
}

dat::Bytes zstd_cli_decompress(const dat::Bytes& frames) {
    TempDir dir;
    write_bytes(dir / "input.zst", frames);
    return run_zstd({"-q", "-d", "-c", (dir / "input.zst").string()}, {}, dir);
}

}  // namespace support
