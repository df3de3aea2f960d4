// What a reader test asks of a failure: the message of the error of kind E
// that `f` raises.
#pragma once

#include <string>

namespace pelma::testing {

template <class E, class F>
std::wstring FailureOf(F f) {
    try {
        f();
    } catch (const E& e) {
        return e.Message();
    }
    return L"(no such error)";
}

}  // namespace pelma::testing
