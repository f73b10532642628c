#pragma once
// What the suites of both toolkits' windows share: places on the screen, in pixels, and a
// fixture that skips where no windows can be made.

#include <gtest/gtest.h>

#include <cstdlib>

namespace brindle::test {

struct Place {
    long left = 0;
    long top = 0;
    long right = 0;
    long bottom = 0;
    bool operator==(const Place&) const = default;
};

// In the middle of the screen, give or take a pixel.
inline bool Centred(const Place& frame, const Place& screen) {
    return std::abs((frame.left + frame.right) - (screen.left + screen.right)) <= 2 &&
           std::abs((frame.top + frame.bottom) - (screen.top + screen.bottom)) <= 2;
}

template <class Bench>
class OnScreen : public testing::Test {
protected:
    void SetUp() override {
        if (!Bench::CanShow()) {
            GTEST_SKIP() << "no screen to make windows on (Wine without a display)";
        }
    }
};

}  // namespace brindle::test
