#pragma once
// The library's one error type. Every fallible operation returns
// Expected<T>: a value or exactly one DatError, never an exception.

#include <cstdint>
#include <expected>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace dat {

// An I/O failure: an operating-system error number, or one of the few
// conditions the library detects itself (a short read, a write of 0 bytes).
class IoError {
public:
    enum class Kind { Os, UnexpectedEof, WriteZero, Other };

    static IoError from_errno(int code);
    static IoError last_os_error();           // from errno
    static IoError unexpected_eof();           // "failed to fill whole buffer"
    static IoError write_zero();               // "failed to write whole buffer"
    static IoError other(std::string text);

    Kind kind() const { return kind_; }
    int os_code() const { return os_code_; }

    // "No such file or directory (os error 2)", or the fixed text of the kind.
    std::string describe() const;

private:
    IoError(Kind kind, int code, std::string text) : kind_(kind), os_code_(code), text_(std::move(text)) {}
    Kind kind_;
    int os_code_;
    std::string text_;
};

// A record that could not be decoded: a base text (usually the short-read
// text) plus one context line per enclosing field and record, innermost first.
class RecordError {
public:
    static RecordError short_read();  // "failed to fill whole buffer"
    static RecordError from_io(const IoError& error);
    static RecordError message(std::string text);

    // Adds "While parsing field '{field}' in {record}".
    RecordError& within(std::string_view field, std::string_view record);
    RecordError& add_context(std::string line);

    const std::string& base() const { return base_; }
    const std::vector<std::string>& context() const { return context_; }
    bool is_short_read() const { return short_read_; }

    // The base text, then each context line on a line of its own.
    std::string describe() const;

private:
    explicit RecordError(std::string base, bool short_read) : base_(std::move(base)), short_read_(short_read) {}
    std::string base_;
    std::vector<std::string> context_;
    bool short_read_ = false;
};

template <class T>
using RecordResult = std::expected<T, RecordError>;

enum class DatErrorKind : std::uint8_t {
    Io,
    BinRead,
    NotFound,
    DuplicateId,
    DuplicateNamespacedId,
    InvalidMagic,
    UnsupportedVersion,
    InvalidNamespace,
    Corruption,
    DecompressionFailed,
    PathError,
    Other,
};

class DatError {
public:
    // Implicit conversions, so I/O and record errors pass upward unchanged.
    DatError(IoError error);      // NOLINT(google-explicit-constructor)
    DatError(RecordError error);  // NOLINT(google-explicit-constructor)

    static DatError not_found(std::uint32_t file_id);
    static DatError duplicate_id(std::uint32_t file_id);
    static DatError duplicate_namespaced_id(std::string namespace_label, std::uint32_t file_id);
    static DatError invalid_magic(std::string format);
    static DatError unsupported_version(std::uint32_t version);
    static DatError invalid_namespace(std::string what);
    static DatError corruption(std::string what);
    static DatError decompression_failed(std::uint32_t file_id);
    static DatError path_error(std::filesystem::path path, IoError source);
    static DatError other(std::string text);

    DatErrorKind kind() const { return kind_; }

    // The one-line message of the kind (record errors may add lines).
    std::string message() const;
    // The inner error's text, for Io, BinRead and PathError.
    std::optional<std::string> cause() const;
    // Diagnostic form: the kind's name and its payload.
    std::string debug() const;

    const IoError* io_error() const { return io_ ? &*io_ : nullptr; }
    const RecordError* record_error() const { return record_ ? &*record_ : nullptr; }
    std::uint32_t file_id() const { return number_; }
    const std::string& text() const { return text_; }
    const std::filesystem::path& path() const { return path_; }

private:
    explicit DatError(DatErrorKind kind) : kind_(kind) {}
    DatErrorKind kind_;
    std::optional<IoError> io_;
    std::optional<RecordError> record_;
    std::uint32_t number_ = 0;
    std::string text_;
    std::filesystem::path path_;
};

template <class T>
using Expected = std::expected<T, DatError>;

inline std::unexpected<DatError> fail(DatError error) { return std::unexpected(std::move(error)); }

}  // namespace dat
