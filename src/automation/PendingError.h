#pragma once
// The per-thread pending-error record (number, description, source, help file, help context) and the
// helpers for the three failure modes that the library's operations run in:
//   trap and end: catch at the operation, record the error, finish with the fixed result;
//   skip:         run one step, record its error and go on (RunSkipping);
//   pass:         no handler; the AutomationError reaches the caller.

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

// Skip mode: runs one step; when it fails, records the failure as the pending error and returns false.
// Errors other than AutomationError are converted as CurrentAsAutomationError does.
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

}  // namespace orva::automation
