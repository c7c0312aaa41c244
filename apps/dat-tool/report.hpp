#pragma once
// A failed command: its chain of messages, outermost first, and the
// "Error: ... Caused by: ..." report that main prints for it.

#include <expected>
#include <string>
#include <vector>

#include "dat/error.hpp"

namespace app {

class Failure {
public:
    Failure(const dat::DatError& error);     // NOLINT(google-explicit-constructor)
    Failure(const dat::IoError& error);      // NOLINT(google-explicit-constructor)
    Failure(const dat::RecordError& error);  // NOLINT(google-explicit-constructor)
    static Failure message(std::string text);

    // Puts a context line in front: it becomes the outermost message and
    // the failure so far becomes its cause.
    Failure with_context(std::string line) &&;

    const std::vector<std::string>& chain() const { return chain_; }

private:
    Failure() = default;
    std::vector<std::string> chain_;
};

using CommandResult = std::expected<void, Failure>;

// "Error: {outermost}\n", then "\nCaused by:\n" and the causes, one per line
// (numbered when there are several; continuation lines indented alike).
std::string render_report(const Failure& failure);

}  // namespace app
