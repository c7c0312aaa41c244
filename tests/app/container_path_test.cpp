#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "container_path.hpp"

namespace {

TEST(ContainerPathTest, ExtensionAndSiblingOfAPath) {
    struct Case {
        std::string path;
        std::optional<std::string> extension;
        std::string zra_sibling;
    };
    const std::vector<Case> cases = {
        {"portal.dat", "dat", "portal.zra"},
        {"data/client_portal.bin", "bin", "data/client_portal.zra"},
        {"archive.tar.gz", "gz", "archive.tar.zra"},
        {"noext", std::nullopt, "noext.zra"},
        {"dir.d/noext", std::nullopt, "dir.d/noext.zra"},
        {".hidden", std::nullopt, ".hidden.zra"},
        {"dir/.hidden", std::nullopt, "dir/.hidden.zra"},
        {"name.", "", "name.zra"},
        {"..dat", "dat", "..zra"},
        {"dir/", std::nullopt, "dir.zra"},
        {"dir/x.DAT/", "DAT", "dir/x.zra"},
        {"x.dat/.", "dat", "x.zra"},
        {"/abs/y.ZRA", "ZRA", "/abs/y.zra"},
        {"..", std::nullopt, ".."},
        {"a/..", std::nullopt, "a/.."},
        {".", std::nullopt, "."},
        {"/", std::nullopt, "/"},
        {"bad\xFF.b\xFE", "b\xFE", "bad\xFF.zra"},
    };
    for (const auto& c : cases) {
        const auto extension = app::path_extension(c.path);
        EXPECT_EQ(extension.has_value(), c.extension.has_value()) << c.path;
        if (extension && c.extension) {
            EXPECT_EQ(*extension, *c.extension) << c.path;
        }
        EXPECT_EQ(app::with_extension(c.path, "zra"), c.zra_sibling) << c.path;
    }
}

TEST(ContainerPathTest, ExtensionsCompareIgnoringAsciiCase) {
    EXPECT_TRUE(app::extension_is("ZrA", "zra"));
    EXPECT_TRUE(app::extension_is("dat", "dat"));
    EXPECT_FALSE(app::extension_is("data", "dat"));
    EXPECT_FALSE(app::extension_is("da", "dat"));
    EXPECT_FALSE(app::extension_is("", "dat"));
    EXPECT_FALSE(app::extension_is("d\xC3\xA4t", "dat"));
}

}  // namespace
