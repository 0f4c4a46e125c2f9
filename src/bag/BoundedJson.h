#pragma once
// The one reader of every JSON document the program is given (pack inputs, deploy --info, play
// scripts). Those files come from people and scripts, so none of them is trusted: the reader parses
// as a stream of events (never recursing, whatever the nesting) and refuses, before building
// further,
//   - invalid UTF-8 (at its byte offset) and malformed JSON (at the byte where it goes wrong);
//   - nesting deeper than kMaxJsonDepth: the top-level value is level 0 and each array or object
//     inside a container one level deeper, as in packet files; a container below level 64 is refused
//     at the byte of its bracket;
//   - numbers beyond the range of a double (1e400);
//   - a document whose values would take more memory than kJsonMemoryPerByte times its size plus
//     kJsonMemoryAllowance, charged value by value about what the property-bag tree of it occupies
//     (the bound of packet files: 20 million empty arrays in 57 MB are refused long before they are
//     built).
// Refusals are AutomationError 321 "<source>: <what> at byte N"; a quoted token is cut to about 60
// characters. Whatever a handler raises passes through unchanged and ends the parse.

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "automation/Text.h"

namespace orva::components {

inline constexpr int kMaxJsonDepth = 64;
inline constexpr uint64_t kJsonMemoryPerByte = 16;
inline constexpr uint64_t kJsonMemoryAllowance = uint64_t{4} << 20;

enum class JsonKind { Null, Boolean, Number, Text, Array, Object };

// "null", "a Boolean", "a number", "a text", "an array", "an object": a kind, for messages.
const char16_t* JsonKindName(JsonKind kind);

// Where a value sits: one step per enclosing container, from the top-level value down.
class JsonPlace {
public:
    struct Step {
        std::string key;   // the member's key, in an object
        size_t index = 0;  // the item's number from 1, in an array; 0 in an object
    };
    size_t Depth() const { return m_steps.size(); }
    const Step& operator[](size_t level) const { return m_steps[level]; }
    // "$/CHS[2]/FName": keys as "/key" (each cut to about 60 characters), items as "[n]".
    automation::Text ToText() const;

private:
    friend class BoundedJsonParser;
    std::vector<Step> m_steps;
};

// Receives a document's events in order. Begin() comes before every value, containers included,
// with the value's place and kind; then the value's own event. Keys come as Key() before Begin() of
// their value. The strings are valid UTF-8 and may be moved from.
class JsonHandler {
public:
    virtual ~JsonHandler() = default;
    virtual void Begin(const JsonPlace& place, JsonKind kind) = 0;
    virtual void Null() = 0;
    virtual void Boolean(bool value) = 0;
    virtual void Integer(int64_t value) = 0;
    virtual void Unsigned(uint64_t value) = 0;
    virtual void Float(double value) = 0;
    virtual void String(std::string& value) = 0;
    virtual void BeginObject() = 0;
    virtual void Key(std::string& key) = 0;
    virtual void EndObject() = 0;
    virtual void BeginArray() = 0;
    virtual void EndArray() = 0;
    // A number beyond the range of a double at place (token as written). The parse ends with a
    // refusal after this returns; a handler may raise its own error instead, naming the place.
    virtual void NumberOutOfRange(const JsonPlace& place, std::string_view token) {
        (void)place;
        (void)token;
    }
};

// Reports how far a parse has read: bytes done of the text's total, about every MiB.
using JsonProgress = std::function<void(int64_t done, int64_t total)>;

// Parses text (a whole document) named source in messages, feeding handler. Raises as above; what
// progress (when given) raises passes through too.
void ReadBoundedJson(std::string_view text, const automation::Text& source, JsonHandler& handler,
                     const JsonProgress& progress = {});

}  // namespace orva::components
