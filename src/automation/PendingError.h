#pragma once
// The per-thread pending-error record (number, description, source, help file, help context) and the
// helpers for the failure modes that the library's operations run in. Each helper runs one piece of
// work as a callable; "a failure" is any exception that CurrentAsAutomationError can convert (an
// AutomationError, std::bad_alloc, any other std::exception); anything else passes untouched.
//   trap and end: the first failure ends the work, which then gives its fixed result (TrapAndEnd).
//                 While the handler reports the failure, the pending error holds it; when the handler
//                 ends, the pending error is cleared, as the end of any handler leaves it.
//   skip:         a failing step is passed over and the next step runs (RunSkipping); the failure
//                 stays pending. A test whose evaluation fails counts as passed (TestSkipping).
//                 Operations that never fail and must leave their caller's pending error as it was
//                 drop their steps' failures unrecorded (RunIgnoring).
//   pass:         no helper and no handler; the AutomationError reaches the caller.
// Code that only closes a resource and rethrows, or rewrites an error's text and raises it again,
// is no failure mode and keeps its own catch block.

#include <cstdint>
#include <utility>

#include "automation/AutomationError.h"

namespace orva::automation {

struct ErrorRecord {
    int32_t number = 0;
    Text description;
    Text source;
    Text helpFile;
    int32_t helpContext = 0;

    bool operator==(const ErrorRecord&) const = default;
};

// This thread's pending error. Lives as long as the thread; never shared between threads.
ErrorRecord& PendingError();

// Sets the pending error from an error (all five fields).
void RecordPending(const AutomationError& error);

// Resets the pending error to number 0 and empty fields.
void ClearPending();

// Trap and end, silently: runs body until its first failure. Returns true when body ran to its end;
// false when a failure ended it, which then leaves no pending error (the caller's earlier one
// included, as any handler's end does).
template <typename Body>
bool TrapAndEnd(Body&& body) {
    try {
        std::forward<Body>(body)();
        return true;
    } catch (...) {
        (void)CurrentAsAutomationError();  // passes on what is not a failure
        ClearPending();
        return false;
    }
}

// Trap and end with a handler: as above, but on a failure the pending error is set from it and
// handler(const AutomationError&) runs (to report it, or to choose the fixed result); the pending error
// is cleared when handler returns. A failure inside handler reaches the caller with the pending error
// still set to the trapped failure.
template <typename Body, typename Handler>
bool TrapAndEnd(Body&& body, Handler&& handler) {
    try {
        std::forward<Body>(body)();
        return true;
    } catch (...) {
        AutomationError error = CurrentAsAutomationError();
        RecordPending(error);
        std::forward<Handler>(handler)(error);
        ClearPending();
        return false;
    }
}

// Skip mode: runs one step; when it fails, records the failure as the pending error and returns false.
template <typename Step>
bool RunSkipping(Step&& step) {
    try {
        std::forward<Step>(step)();
        return true;
    } catch (...) {
        RecordPending(CurrentAsAutomationError());
        return false;
    }
}

// Skip mode for a test: the test's answer, or true when evaluating it fails (the failure is recorded
// as by RunSkipping), so that the step after the test runs as if the test had passed.
template <typename Test>
bool TestSkipping(Test&& test) {
    bool passed = true;
    RunSkipping([&] { passed = static_cast<bool>(std::forward<Test>(test)()); });
    return passed;
}

// Skip mode of an operation that never fails: runs one step; when it fails, returns false and leaves
// the pending error as it was, so the operation's caller finds its own error unchanged.
template <typename Step>
bool RunIgnoring(Step&& step) {
    try {
        std::forward<Step>(step)();
        return true;
    } catch (...) {
        (void)CurrentAsAutomationError();  // passes on what is not a failure
        return false;
    }
}

}  // namespace orva::automation
