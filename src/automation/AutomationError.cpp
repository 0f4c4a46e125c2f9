#include "automation/AutomationError.h"

#include <new>

namespace orva::automation {

Text StandardDescription(int32_t number) {
    switch (number) {
        case errors::kInvalidCall:
            return u"Invalid procedure call or argument";
        case errors::kOverflow:
            return u"Overflow";
        case errors::kOutOfMemory:
            return u"Out of memory";
        case errors::kSubscriptOutOfRange:
            return u"Subscript out of range";
        case errors::kTypeMismatch:
            return u"Type mismatch";
        case errors::kFileNotFound:
            return u"File not found";
        case errors::kDeviceIo:
            return u"Device I/O error";
        case errors::kPermissionDenied:
            return u"Permission denied";
        case errors::kPathNotFound:
            return u"Path not found";
        case errors::kObjectNotSet:
            return u"Object variable or With block variable not set";
        case errors::kInvalidUseOfNull:
            return u"Invalid use of Null";
        case errors::kBadFileFormat:
            return u"Invalid file format";
        case errors::kCannotCreateObject:
            return u"ActiveX component can't create object";
        case errors::kNoSuchMember:
            return u"Object doesn't support this property or method";
        case errors::kWrongArgumentCount:
            return u"Wrong number of arguments or invalid property assignment";
        default:
            return u"Application-defined or object-defined error";
    }
}

AutomationError::AutomationError(int32_t number) : AutomationError(number, StandardDescription(number)) {}

AutomationError::AutomationError(int32_t number, Text description, Text source, Text helpFile,
                                 int32_t helpContext)
    : m_number(number),
      m_description(std::move(description)),
      m_source(std::move(source)),
      m_helpFile(std::move(helpFile)),
      m_helpContext(helpContext) {
    if (m_description.empty()) m_description = StandardDescription(number);
    m_what = ToUtf8Lossy(m_description) + " (" + std::to_string(m_number) + ")";
}

void Raise(int32_t number, Text description) { throw AutomationError(number, std::move(description)); }

void RaiseWithDescription(const AutomationError& error, Text description) {
    throw AutomationError(error.Number(), std::move(description), error.Source(), error.HelpFile(),
                          error.HelpContext());
}

AutomationError CurrentAsAutomationError() {
    try {
        throw;
    } catch (const AutomationError& e) {
        return e;
    } catch (const std::bad_alloc&) {
        return AutomationError(errors::kOutOfMemory);
    } catch (const std::exception& e) {
        return AutomationError(errors::kInvalidCall, FromUtf8(e.what()));
    }
}

}  // namespace orva::automation
