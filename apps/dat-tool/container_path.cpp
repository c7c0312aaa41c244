#include "container_path.hpp"

#include <algorithm>

namespace app {
namespace {

struct FileName {
    std::size_t start;
    std::string_view text;
};

// The last normal component, as a view into `path`.
std::optional<FileName> file_name(std::string_view path) {
    std::string_view rest = path;
    for (;;) {
        while (rest.size() > 1 && rest.back() == '/') rest.remove_suffix(1);
        // A "." component after the first one is no component at all.
        if (rest.size() >= 2 && rest.ends_with("/.")) {
            rest.remove_suffix(1);
            continue;
        }
        break;
    }
    const std::size_t slash = rest.rfind('/');
    const std::size_t start = slash == std::string_view::npos ? 0 : slash + 1;
    const std::string_view name = rest.substr(start);
    if (name.empty() || name == "." || name == "..") return std::nullopt;
    return FileName{start, name};
}

// The position of the dot that starts the extension, if there is one.
std::optional<std::size_t> extension_dot(std::string_view name) {
    const std::size_t dot = name.rfind('.');
    if (dot == std::string_view::npos || dot == 0) return std::nullopt;
    return dot;
}

}  // namespace

std::optional<std::string_view> path_extension(std::string_view path) {
    const auto name = file_name(path);
    if (!name) return std::nullopt;
    const auto dot = extension_dot(name->text);
    if (!dot) return std::nullopt;
    return name->text.substr(*dot + 1);
}

std::string with_extension(std::string_view path, std::string_view extension) {
    const auto name = file_name(path);
    if (!name) return std::string(path);
    const std::size_t stem_length = extension_dot(name->text).value_or(name->text.size());
    std::string out(path.substr(0, name->start + stem_length));
    out += '.';
    out += extension;
    return out;
}

bool extension_is(std::string_view extension, std::string_view lower_case_name) {
    return std::equal(extension.begin(), extension.end(), lower_case_name.begin(), lower_case_name.end(),
                      [](char a, char b) { return (a >= 'A' && a <= 'Z' ? static_cast<char>(a - 'A' + 'a') : a) == b; });
}

}  // namespace app
