#include <gtest/gtest.h>

#include <stdexcept>

#include "model/Diagnostics.h"
#include "model/VbError.h"
#include "support/RecordingSink.h"

namespace brindle {
namespace {

using test::RecordingSink;

TEST(FailureConvention, PassOnPutsEachOperationBeforeTheSourceOutermostFirst) {
    try {
        PassOn("Brindle.AddHeaders", [] {
            PassOn("Brindle.AddHeaderToProc", [] { Raise(Err::SubNotDefined, "VBIDE"); });
        });
        ADD_FAILURE() << "no failure";
    } catch (const VbError& e) {
        EXPECT_EQ(e.Number(), 35);
        EXPECT_EQ(e.Description(), "Sub or Function not defined");
        EXPECT_EQ(e.Source(), "Brindle.AddHeaders | Brindle.AddHeaderToProc | VBIDE");
    }
    EXPECT_EQ(PassOn("Brindle.X", [] { return 42; }), 42);  // without a failure, the body's value
    // A failure of the standard library becomes a run-time error.
    try {
        PassOn("Brindle.GetParms", [] { throw std::out_of_range("substr"); });
        FAIL() << "no failure";
    } catch (const VbError& e) {
        EXPECT_EQ(e.Number(), 9);
        EXPECT_EQ(e.Source(), "Brindle.GetParms | substr");
    }
}

TEST(FailureConvention, IgnoredStepsReachTheSinkAndTheNextStepRuns) {
    RecordingSink sink;
    int ran = 0;
    EXPECT_FALSE(IgnoreStep(&sink, [] { Raise(Err::InvalidCall, "Brindle.RemoveCode | VBIDE"); }));
    EXPECT_TRUE(IgnoreStep(&sink, [&] { ++ran; }));
    EXPECT_FALSE(IgnoreStep(nullptr, [] { throw std::runtime_error("no sink"); }));
    EXPECT_EQ(ran, 1);
    ASSERT_EQ(sink.reported.size(), 1u);
    EXPECT_EQ(sink.reported[0].Number(), 5);
    EXPECT_EQ(sink.reported[0].Source(), "Brindle.RemoveCode | VBIDE");
}

}  // namespace
}  // namespace brindle
