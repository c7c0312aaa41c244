#pragma once
// Writing a file so that readers see either the old contents or the complete
// new ones: the data goes to a temporary file beside the target, which is
// renamed over the target only after it was written, flushed and closed.
// Until then (and on any failure) an existing file stays untouched.

#include <filesystem>
#include <optional>

#include "dat/io.hpp"
#include "dat/output_file.hpp"

namespace app {

class ReplacementFile {
public:
    // A fresh temporary file in the target's directory, mode 0666 less the
    // umask, or the mode of the regular file it will replace. Symbolic links
    // are followed, so a link at `target` stays a link to the new file.
    static dat::IoResult<ReplacementFile> create(const std::filesystem::path& target);

    ReplacementFile(ReplacementFile&& other) noexcept;
    ReplacementFile& operator=(ReplacementFile&&) = delete;
    ReplacementFile(const ReplacementFile&) = delete;
    ReplacementFile& operator=(const ReplacementFile&) = delete;
    // Removes the temporary file unless it was committed.
    ~ReplacementFile();

    // The open temporary file, to be written and closed by the caller. It
    // forces its contents to storage when closed.
    dat::OutputFile take_file();
    // Renames the (closed) temporary file over the target.
    dat::IoResult<void> commit();

    const std::filesystem::path& temporary_path() const { return temporary_; }

private:
    ReplacementFile(std::filesystem::path target, std::filesystem::path temporary, dat::OutputFile file)
        : target_(std::move(target)), temporary_(std::move(temporary)), file_(std::move(file)) {}

    std::filesystem::path target_;
    std::filesystem::path temporary_;
    std::optional<dat::OutputFile> file_;
    bool done_ = false;
};

// Whether `target` can be replaced that way: nothing is there yet, or a
// regular file (possibly behind symbolic links) that we may write to. Devices,
// pipes, directories, dangling links and write-protected files are written in
// place instead, so the file's own permissions decide as for any write.
bool can_replace(const std::filesystem::path& target);

// Whether a failure to create the temporary file only means that the
// directory takes no new files from us (permissions, a read-only mount), so
// that writing the target in place may still work.
bool is_directory_refusal(const dat::IoError& error);

}  // namespace app
