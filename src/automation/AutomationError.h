#pragma once
// The error of the automation world: a number and a description, plus where it came from (source)
// and a help reference. Every failure of the library and its components travels as this exception;
// callers that trap failures copy it into the thread's pending-error record (read by the C interface).

#include <cstdint>
#include <exception>
#include <string>

#include "automation/Text.h"

namespace orva::automation {

// Error numbers that callers of an automation library know.
namespace errors {
inline constexpr int32_t kInvalidCall = 5;  // invalid procedure call or argument
inline constexpr int32_t kOverflow = 6;     // number outside the target type's range
inline constexpr int32_t kOutOfMemory = 7;
inline constexpr int32_t kSubscriptOutOfRange = 9;  // index or count outside a container
inline constexpr int32_t kTypeMismatch = 13;        // value cannot be read as the wanted type
inline constexpr int32_t kFileNotFound = 53;
inline constexpr int32_t kPermissionDenied = 70;
inline constexpr int32_t kPathNotFound = 76;
inline constexpr int32_t kDeviceIo = 57;
inline constexpr int32_t kObjectNotSet = 91;  // a nothing reference where an object is needed
inline constexpr int32_t kInvalidUseOfNull = 94;
inline constexpr int32_t kCannotCreateObject = 429;
inline constexpr int32_t kNoSuchMember = 438;
inline constexpr int32_t kWrongArgumentCount = 450;
inline constexpr int32_t kBadFileFormat = 321;  // a file that is not of the expected format
}  // namespace errors

// The standard description of an error number ("Type mismatch", ...), or "Application-defined or
// object-defined error" for numbers without one.
Text StandardDescription(int32_t number);

class AutomationError : public std::exception {
public:
    // An error with the standard description of its number.
    explicit AutomationError(int32_t number);
    AutomationError(int32_t number, Text description, Text source = {}, Text helpFile = {},
                    int32_t helpContext = 0);

    int32_t Number() const { return m_number; }
    const Text& Description() const { return m_description; }
    const Text& Source() const { return m_source; }
    const Text& HelpFile() const { return m_helpFile; }
    int32_t HelpContext() const { return m_helpContext; }

    // UTF-8 form "description (number)" for logs and terminals.
    const char* what() const noexcept override { return m_what.c_str(); }

private:
    int32_t m_number;
    Text m_description;
    Text m_source;
    Text m_helpFile;
    int32_t m_helpContext;
    std::string m_what;
};

// Throws AutomationError(number, description); a one-word way to raise at the failure step.
[[noreturn]] void Raise(int32_t number, Text description = {});

// Raises error again with another description, keeping its number, source and help reference (a
// database error's result code): for callers that add to the description where the failure happened.
[[noreturn]] void RaiseWithDescription(const AutomationError& error, Text description);

// Turns any exception in flight into an AutomationError: AutomationErrors pass unchanged,
// std::bad_alloc becomes 7, other std::exceptions become 5 with their what() as description.
// Call only inside a catch block.
AutomationError CurrentAsAutomationError();

}  // namespace orva::automation
