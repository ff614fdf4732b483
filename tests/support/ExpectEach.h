// Table-driven checks of a function of one argument: each input beside the
// output it must give, every case reported on its own.
#pragma once

#include <gtest/gtest.h>

#include <initializer_list>
#include <type_traits>
#include <utility>

namespace cx::test {

template <typename R, typename A>
void ExpectEach(const char* name, R (*f)(A),
                std::initializer_list<std::pair<std::decay_t<A>, std::decay_t<R>>> cases) {
    for (const auto& [in, out] : cases)
        EXPECT_EQ(f(in), out) << name << "(" << ::testing::PrintToString(in) << ")";
}

}  // namespace cx::test
