#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "directories.hpp"

namespace {

TEST(DirectoriesTest, ParentDirectoryReadsPathComponents) {
    struct Case {
        std::string path;
        std::optional<std::string> parent;
    };
    const std::vector<Case> cases = {
        {"out.json", ""},
        {"newdir/", ""},
        {"a/b/out.json", "a/b"},
        {"a//b", "a"},
        {"pp/x/.", "pp"},
        {"pp/x/./", "pp"},
        {"./x", "."},
        {".", ""},
        {"a/..", "a"},
        {"/x", "/"},
        {"/./x", "/"},
        {"/", std::nullopt},
        {"//", std::nullopt},
    };
    for (const auto& c : cases) {
        const auto parent = app::parent_directory(c.path);
        ASSERT_EQ(parent.has_value(), c.parent.has_value()) << c.path;
        if (parent) {
            EXPECT_EQ(parent->native(), *c.parent) << c.path;
        }
    }
}

}  // namespace
