#pragma once
// How the provider reads a container path: the extension of its last
// component and the sibling paths with another extension. Paths are raw
// bytes, not required to be UTF-8.

#include <optional>
#include <string>
#include <string_view>

namespace app {

// The last component's text after its last dot, provided the component has
// a dot that is not its first character ("a.tar.gz" -> "gz", ".hidden" ->
// none, "name." -> ""). Trailing slashes and "." components are skipped;
// ".." has no extension.
std::optional<std::string_view> path_extension(std::string_view path);

// The path with its extension replaced by `extension`, or added where it
// has none ("a.tar.gz" -> "a.tar.zra", "dir/" -> "dir.zra"). A path
// without a last component ("..", "/") is returned unchanged.
std::string with_extension(std::string_view path, std::string_view extension);

// Compares an extension with a lower-case ASCII name, ignoring ASCII case.
bool extension_is(std::string_view extension, std::string_view lower_case_name);

}  // namespace app
