#include "dat/error.hpp"

#include <cerrno>
#include <cstring>

#include <fmt/format.h>

#include "common/utf8.hpp"

namespace dat {

namespace {

std::string os_message(int code) {
    char buffer[256];
    // GNU strerror_r returns the message, which may or may not be `buffer`.
    const char* text = strerror_r(code, buffer, sizeof buffer);
    return text;
}

constexpr std::string_view kind_names[] = {
    "Io",        "BinRead",          "NotFound",   "DuplicateId",         "DuplicateNamespacedId", "InvalidMagic",
    "UnsupportedVersion", "InvalidNamespace", "Corruption", "DecompressionFailed", "PathError",             "Other",
};

}  // namespace

IoError IoError::from_errno(int code) { return IoError(Kind::Os, code, {}); }
IoError IoError::last_os_error() { return from_errno(errno); }
IoError IoError::unexpected_eof() { return IoError(Kind::UnexpectedEof, 0, "failed to fill whole buffer"); }
IoError IoError::write_zero() { return IoError(Kind::WriteZero, 0, "failed to write whole buffer"); }
IoError IoError::other(std::string text) { return IoError(Kind::Other, 0, std::move(text)); }

std::string IoError::describe() const {
    if (kind_ == Kind::Os) return fmt::format("{} (os error {})", os_message(os_code_), os_code_);
    return text_;
}

RecordError RecordError::short_read() { return RecordError("failed to fill whole buffer", true); }
RecordError RecordError::from_io(const IoError& error) {
    return RecordError(error.describe(), error.kind() == IoError::Kind::UnexpectedEof);
}
RecordError RecordError::message(std::string text) { return RecordError(std::move(text), false); }

RecordError& RecordError::within(std::string_view field, std::string_view record) {
    return add_context(fmt::format("While parsing field '{}' in {}", field, record));
}

RecordError& RecordError::add_context(std::string line) {
    context_.push_back(std::move(line));
    return *this;
}

std::string RecordError::describe() const {
    std::string text = base_;
    for (const auto& line : context_) {
        text += '\n';
        text += line;
    }
    return text;
}

DatError::DatError(IoError error) : kind_(DatErrorKind::Io), io_(std::move(error)) {}
DatError::DatError(RecordError error) : kind_(DatErrorKind::BinRead), record_(std::move(error)) {}

DatError DatError::not_found(std::uint32_t file_id) {
    DatError e(DatErrorKind::NotFound);
    e.number_ = file_id;
    return e;
}
DatError DatError::duplicate_id(std::uint32_t file_id) {
    DatError e(DatErrorKind::DuplicateId);
    e.number_ = file_id;
    return e;
}
DatError DatError::duplicate_namespaced_id(std::string namespace_label, std::uint32_t file_id) {
    DatError e(DatErrorKind::DuplicateNamespacedId);
    e.text_ = std::move(namespace_label);
    e.number_ = file_id;
    return e;
}
DatError DatError::invalid_magic(std::string format) {
    DatError e(DatErrorKind::InvalidMagic);
    e.text_ = std::move(format);
    return e;
}
DatError DatError::unsupported_version(std::uint32_t version) {
    DatError e(DatErrorKind::UnsupportedVersion);
    e.number_ = version;
    return e;
}
DatError DatError::invalid_namespace(std::string what) {
    DatError e(DatErrorKind::InvalidNamespace);
    e.text_ = std::move(what);
    return e;
}
DatError DatError::corruption(std::string what) {
    DatError e(DatErrorKind::Corruption);
    e.text_ = std::move(what);
    return e;
}
DatError DatError::decompression_failed(std::uint32_t file_id) {
    DatError e(DatErrorKind::DecompressionFailed);
    e.number_ = file_id;
    return e;
}
DatError DatError::path_error(std::filesystem::path path, IoError source) {
    DatError e(DatErrorKind::PathError);
    e.path_ = std::move(path);
    e.io_ = std::move(source);
    return e;
}
DatError DatError::other(std::string text) {
    DatError e(DatErrorKind::Other);
    e.text_ = std::move(text);
    return e;
}

std::string DatError::message() const {
    switch (kind_) {
        case DatErrorKind::Io: return fmt::format("IO error: {}", io_->describe());
        case DatErrorKind::BinRead: return fmt::format("Binary read error: {}", record_->describe());
        case DatErrorKind::NotFound: return fmt::format("File ID {:08X} not found in provider", number_);
        case DatErrorKind::DuplicateId: return fmt::format("Duplicate File ID {:08X} detected", number_);
        case DatErrorKind::DuplicateNamespacedId:
            return fmt::format("Duplicate namespaced file {}:{:08X} detected", text_, number_);
        case DatErrorKind::InvalidMagic: return fmt::format("Invalid magic for format: {}", text_);
        case DatErrorKind::UnsupportedVersion: return fmt::format("Unsupported version: {}", number_);
        case DatErrorKind::InvalidNamespace: return fmt::format("Invalid namespace: {}", text_);
        case DatErrorKind::Corruption: return fmt::format("Corruption detected: {}", text_);
        case DatErrorKind::DecompressionFailed: return fmt::format("Failed to recover compressed file {:08X}", number_);
        case DatErrorKind::PathError:
            return fmt::format("Failed to open file at {}: {}", common::to_utf8_lossy(path_.native()), io_->describe());
        case DatErrorKind::Other: return fmt::format("Other error: {}", text_);
    }
    return {};
}

std::optional<std::string> DatError::cause() const {
    switch (kind_) {
        case DatErrorKind::Io:
        case DatErrorKind::PathError: return io_->describe();
        case DatErrorKind::BinRead: return record_->describe();
        default: return std::nullopt;
    }
}

std::string DatError::debug() const {
    const auto name = kind_names[static_cast<std::size_t>(kind_)];
    switch (kind_) {
        case DatErrorKind::Io: return fmt::format("{}({:?})", name, io_->describe());
        case DatErrorKind::BinRead: return fmt::format("{}({:?})", name, record_->describe());
        case DatErrorKind::NotFound:
        case DatErrorKind::DuplicateId:
        case DatErrorKind::UnsupportedVersion:
        case DatErrorKind::DecompressionFailed: return fmt::format("{}({})", name, number_);
        case DatErrorKind::DuplicateNamespacedId:
            return fmt::format("{} {{ namespace: {:?}, file_id: {} }}", name, text_, number_);
        case DatErrorKind::PathError:
            return fmt::format("{} {{ path: {:?}, source: {:?} }}", name, common::to_utf8_lossy(path_.native()),
                               io_->describe());
        default: return fmt::format("{}({:?})", name, text_);
    }
}

}  // namespace dat
