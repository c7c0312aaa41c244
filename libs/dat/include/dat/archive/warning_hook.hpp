#pragma once
// Where the archive writer sends its warnings. The library never prints:
// without a hook, warnings are dropped.

#include <functional>
#include <string_view>

namespace dat {

using ZraWarningHook = std::function<void(std::string_view message)>;

// Installs `hook`, or silences warnings again when it is empty.
void set_zra_warning_hook(ZraWarningHook hook);
void emit_zra_warning(std::string_view message);

}  // namespace dat
