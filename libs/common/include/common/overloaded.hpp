#pragma once

namespace common {

// Builds one visitor for std::visit out of several lambdas.
template <class... Ts>
struct overloaded : Ts... {
    using Ts::operator()...;
};
// Spelled out: clang 16 (the fuzz build) lacks deduction for aggregates.
template <class... Ts>
overloaded(Ts...) -> overloaded<Ts...>;

}  // namespace common
