#include <gtest/gtest.h>

#include <functional>
#include <new>
#include <stdexcept>
#include <vector>

#include "automation/AutomationError.h"
#include "automation/PendingError.h"

namespace orva::automation {
namespace {

// What each failure-mode helper leaves in the pending error, for a caller that had one pending before.
TEST(PendingError, EachFailureModeSetsOrClearsThePendingErrorAsItsHandlerWould) {
    const ErrorRecord callers{91, u"earlier", u"host", u"h.hlp", 7};
    const ErrorRecord failure{13, u"bad value", u"", u"", 0};
    auto fail = [] { Raise(errors::kTypeMismatch, u"bad value"); };
    struct Case {
        const char* what;
        std::function<bool()> run;
        bool result;
        ErrorRecord pendingAfter;
    };
    std::vector<ErrorRecord> seenByHandler;
    auto handler = [&](const AutomationError& error) {
        EXPECT_EQ(error.Number(), errors::kTypeMismatch);
        seenByHandler.push_back(PendingError());
    };
    const std::vector<Case> cases = {
        {"trap, ran to its end", [] { return TrapAndEnd([] {}); }, true, callers},
        {"trap, failed", [&] { return TrapAndEnd(fail); }, false, ErrorRecord{}},
        {"trap with handler, ran", [&] { return TrapAndEnd([] {}, handler); }, true, callers},
        {"trap with handler, failed", [&] { return TrapAndEnd(fail, handler); }, false, ErrorRecord{}},
        {"skip, ran", [] { return RunSkipping([] {}); }, true, callers},
        {"skip, failed", [&] { return RunSkipping(fail); }, false, failure},
        {"test answers false", [] { return TestSkipping([] { return false; }); }, false, callers},
        {"test answers true", [] { return TestSkipping([] { return true; }); }, true, callers},
        {"test fails: passed", [&] { return TestSkipping([&] { return fail(), false; }); }, true, failure},
        {"ignore, ran", [] { return RunIgnoring([] {}); }, true, callers},
        {"ignore, failed", [&] { return RunIgnoring(fail); }, false, callers},
    };
    for (const Case& c : cases) {
        PendingError() = callers;
        EXPECT_EQ(c.run(), c.result) << c.what;
        EXPECT_EQ(PendingError(), c.pendingAfter) << c.what;
    }
    ASSERT_EQ(seenByHandler.size(), 1u) << "the handler runs for a failure only";
    EXPECT_EQ(seenByHandler[0], failure) << "while the handler runs, the failure is pending";
    ClearPending();
}

TEST(PendingError, HelpersEndTheWorkAtTheFailureAndConvertOnlyStandardExceptions) {
    int steps = 0;
    EXPECT_FALSE(TrapAndEnd([&] {
        ++steps;
        throw std::runtime_error("disk on fire");
        ++steps;
    }));
    EXPECT_EQ(steps, 1) << "nothing after the failure runs";

    EXPECT_FALSE(RunSkipping([] { throw std::bad_alloc(); }));
    EXPECT_EQ(PendingError().number, errors::kOutOfMemory);
    EXPECT_FALSE(RunSkipping([] { throw std::runtime_error("disk on fire"); }));
    EXPECT_EQ(PendingError().number, errors::kInvalidCall);
    EXPECT_EQ(PendingError().description, u"disk on fire");

    // A failure while the handler reports reaches the caller, with the trapped failure still pending.
    try {
        TrapAndEnd([] { Raise(errors::kObjectNotSet); },
                   [](const AutomationError&) { Raise(errors::kOverflow); });
        FAIL() << "the handler's failure was swallowed";
    } catch (const AutomationError& error) {
        EXPECT_EQ(error.Number(), errors::kOverflow);
        EXPECT_EQ(PendingError().number, errors::kObjectNotSet);
    }
    // What is not a failure of the automation world is not theirs to drop.
    EXPECT_THROW(TrapAndEnd([] { throw 42; }), int);
    EXPECT_THROW(RunSkipping([] { throw 42; }), int);
    EXPECT_THROW(RunIgnoring([] { throw 42; }), int);
    ClearPending();
}

}  // namespace
}  // namespace orva::automation
