#pragma once
// A working directory for end-to-end runs of dat-tool, with DAT files
// built into it.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/dat_builder.hpp"
#include "support/process.hpp"
#include "support/temp_dir.hpp"

namespace cli_test {

struct Expected {
    int status = 0;
    std::string out;
    std::string err;
};

class ToolFixture : public ::testing::Test {
protected:
    support::TempDir dir;

    // Runs dat-tool inside the working directory.
    support::RunResult run(const std::vector<std::string>& args) const {
        support::RunOptions options;
        options.cwd = dir.path();
        return support::run_tool(args, options);
    }

    void expect_run(const std::vector<std::string>& args, const Expected& expected) const {
        const auto result = run(args);
        std::string command;
        for (const auto& a : args) command += a + " ";
        EXPECT_EQ(result.status, expected.status) << command << "\n" << result.err;
        EXPECT_EQ(result.out, expected.out) << command;
        EXPECT_EQ(result.err, expected.err) << command;
    }

    std::string write_dat(const std::string& name, const support::DatBuilder& builder) const {
        builder.write(dir / name);
        return name;
    }
    std::string write_image(const std::string& name, const support::DatImage& image) const {
        image.write(dir / name);
        return name;
    }
    std::filesystem::path path(const std::string& name) const { return dir / name; }
};

}  // namespace cli_test
