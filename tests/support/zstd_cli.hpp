#pragma once
// The real zstd command-line program, for checking that our frames are
// ordinary zstd frames and that frames made by it read back.

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "dat/io.hpp"

namespace support {

// The zstd program on PATH, if there is one.
std::optional<std::filesystem::path> zstd_cli();

// Compresses `data` with `zstd <args>`, reading a file (so zstd knows the
// size) or, with `from_stdin`, a pipe (so the frame has no content size).
dat::Bytes zstd_cli_compress(const dat::Bytes& data, const std::vector<std::string>& args, bool from_stdin = false);

// `zstd -d` of `frames`; throws when zstd refuses them.
dat::Bytes zstd_cli_decompress(const dat::Bytes& frames);

}  // namespace support
