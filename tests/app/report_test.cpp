#include <gtest/gtest.h>

#include <cerrno>

#include "report.hpp"

namespace {

TEST(Report, MessageWithoutCause) {
    EXPECT_EQ(app::render_report(dat::DatError::not_found(0x1A)), "Error: File ID 0000001A not found in provider\n");
}

TEST(Report, OneCauseIsIndentedByFourBlanks) {
    const auto error = dat::DatError::path_error("data/x.dat", dat::IoError::from_errno(ENOENT));
    EXPECT_EQ(app::render_report(error),
              "Error: Failed to open file at data/x.dat: No such file or directory (os error 2)\n"
              "\n"
              "Caused by:\n"
              "    No such file or directory (os error 2)\n");
}

TEST(Report, SeveralCausesAreNumberedAndContinuationLinesAligned) {
    auto record = dat::RecordError::short_read();
    record.within("height", "CellLandblock");
    const auto failure = app::Failure(dat::DatError(record)).with_context("could not decode");
    EXPECT_EQ(app::render_report(failure),
              "Error: could not decode\n"
              "\n"
              "Caused by:\n"
              "    0: Binary read error: failed to fill whole buffer\n"
              "       While parsing field 'height' in CellLandblock\n"
              "    1: failed to fill whole buffer\n"
              "       While parsing field 'height' in CellLandblock\n");
}

TEST(Report, ContextOverAnIoErrorHasOneCause) {
    const auto failure = app::Failure(dat::IoError::from_errno(ENOTDIR)).with_context("Failed to read input directory");
    EXPECT_EQ(app::render_report(failure),
              "Error: Failed to read input directory\n\nCaused by:\n    Not a directory (os error 20)\n");
}

TEST(DatErrorMessages, EveryKindHasItsLine) {
    struct Case {
        dat::DatError error;
        const char* message;
        bool has_cause;
    };
    const Case cases[] = {
        {dat::IoError::unexpected_eof(), "IO error: failed to fill whole buffer", true},
        {dat::RecordError::short_read(), "Binary read error: failed to fill whole buffer", true},
        {dat::DatError::not_found(0x0600001A), "File ID 0600001A not found in provider", false},
        {dat::DatError::duplicate_id(0x1A), "Duplicate File ID 0000001A detected", false},
        {dat::DatError::duplicate_namespaced_id("eor/cell", 0x0D000001),
         "Duplicate namespaced file eor/cell:0D000001 detected", false},
        {dat::DatError::invalid_magic("ZRA"), "Invalid magic for format: ZRA", false},
        {dat::DatError::unsupported_version(1), "Unsupported version: 1", false},
        {dat::DatError::invalid_namespace("namespace label cannot be empty"),
         "Invalid namespace: namespace label cannot be empty", false},
        {dat::DatError::corruption("ZRA index size overflow"), "Corruption detected: ZRA index size overflow", false},
        {dat::DatError::decompression_failed(0x2A), "Failed to recover compressed file 0000002A", false},
        {dat::DatError::path_error("a\xFF.dat", dat::IoError::from_errno(ENOENT)),
         "Failed to open file at a\xEF\xBF\xBD.dat: No such file or directory (os error 2)", true},
        {dat::DatError::other("x"), "Other error: x", false},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(c.error.message(), c.message);
        EXPECT_EQ(c.error.cause().has_value(), c.has_cause) << c.message;
    }
    EXPECT_EQ(dat::DatError::duplicate_namespaced_id("eor/cell", 1).debug(),
              "DuplicateNamespacedId { namespace: \"eor/cell\", file_id: 1 }");
}

}  // namespace
