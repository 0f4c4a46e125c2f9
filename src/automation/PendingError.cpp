#include "automation/PendingError.h"

namespace orva::automation {

ErrorRecord& PendingError() {
    thread_local ErrorRecord record;
    return record;
}

void RecordPending(const AutomationError& error) {
    ErrorRecord& record = PendingError();
    record.number = error.Number();
    record.description = error.Description();
    record.source = error.Source();
    record.helpFile = error.HelpFile();
    record.helpContext = error.HelpContext();
}

void ClearPending() { PendingError() = ErrorRecord{}; }

}  // namespace orva::automation
