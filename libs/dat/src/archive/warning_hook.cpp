#include "dat/archive/warning_hook.hpp"

namespace dat {

namespace {
ZraWarningHook& installed_hook() {
    static ZraWarningHook hook;
    return hook;
}
}  // namespace

void set_zra_warning_hook(ZraWarningHook hook) { installed_hook() = std::move(hook); }

void emit_zra_warning(std::string_view message) {
    if (const auto& hook = installed_hook()) hook(message);
}

}  // namespace dat
