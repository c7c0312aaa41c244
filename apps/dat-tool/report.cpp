#include "report.hpp"

#include <fmt/format.h>

namespace app {

Failure::Failure(const dat::DatError& error) {
    chain_.push_back(error.message());
    if (auto cause = error.cause()) chain_.push_back(std::move(*cause));
}

Failure::Failure(const dat::IoError& error) { chain_.push_back(error.describe()); }

Failure::Failure(const dat::RecordError& error) { chain_.push_back(error.describe()); }

Failure Failure::message(std::string text) {
    Failure failure;
    failure.chain_.push_back(std::move(text));
    return failure;
}

Failure Failure::with_context(std::string line) && {
    chain_.insert(chain_.begin(), std::move(line));
    return std::move(*this);
}

namespace {

// Writes `message` after `prefix`, indenting its further lines by the
// prefix's width.
void append_indented(std::string& out, const std::string& prefix, const std::string& message) {
    const std::string indent(prefix.size(), ' ');
    out += prefix;
    for (const char c : message) {
        out += c;
        if (c == '\n') out += indent;
    }
    out += '\n';
}

}  // namespace

std::string render_report(const Failure& failure) {
    const auto& chain = failure.chain();
    std::string out = "Error: " + chain.front() + "\n";
    if (chain.size() == 1) return out;
    out += "\nCaused by:\n";
    const std::size_t causes = chain.size() - 1;
    for (std::size_t i = 0; i < causes; ++i) {
        const std::string prefix = causes == 1 ? std::string(4, ' ') : fmt::format("{:>5}: ", i);
        append_indented(out, prefix, chain[i + 1]);
    }
    return out;
}

}  // namespace app
