#include <gtest/gtest.h>

#include "quoted_path.hpp"

namespace {

TEST(QuotedPath, EscapesLikeADebugString) {
    struct Case {
        std::string raw;
        const char* quoted;
    };
    const Case cases[] = {
        {"data/client_portal.bin", R"("data/client_portal.bin")"},
        {"a\"b\\c", R"("a\"b\\c")"},
        {"it's", R"("it's")"},
        {std::string("t\tn\nr\rz\0", 8), R"("t\tn\nr\rz\0")"},
        {"\x1b[0m\x7f", R"("\u{1b}[0m\u{7f}")"},
        {"\xC2\x85\xC2\xA0", R"("\u{85}\u{a0}")"},          // C1 control, no-break space
        {"caf\xC3\xA9 \xE6\x97\xA5", "\"caf\xC3\xA9 \xE6\x97\xA5\""},  // letters print as they are
        {"e\xCC\x81", R"("e\u{301}")"},                      // combining mark
        {"\xE2\x80\x8B\xE2\x80\xA8", R"("\u{200b}\u{2028}")"},  // format character, line separator
        {"\xEE\x80\x80", R"("\u{e000}")"},                   // private use
        {"\xF0\x9F\x98\x80", "\"\xF0\x9F\x98\x80\""},        // emoji prints
        {"\xFF" "a\xC3", R"("\xFFa\xC3")"},                  // bytes that are not UTF-8
        {"\xE2\x82", R"("\xE2\x82")"},
        {"\xED\xA0\x80", R"("\xED\xA0\x80")"},               // an encoded surrogate is not UTF-8
    };
    for (const auto& c : cases) EXPECT_EQ(app::quoted(std::string_view(c.raw)), c.quoted) << c.quoted;
}

TEST(DisplayPath, ReplacesInvalidBytes) {
    EXPECT_EQ(app::display_path(std::filesystem::path("out/\xFF\xFEx.json")), "out/\xEF\xBF\xBD\xEF\xBF\xBDx.json");
}

}  // namespace
