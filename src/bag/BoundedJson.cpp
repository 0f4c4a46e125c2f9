#include "bag/BoundedJson.h"

#include <iterator>
#include <nlohmann/json.hpp>

#include "automation/AutomationError.h"
#include "automation/TextHelpers.h"
#include "bag/Dictionary.h"
#include "bag/SharedText.h"
#include "bag/Vector.h"

namespace orva::components {

using namespace automation;
using Json = nlohmann::json;

namespace {

// What values occupy once read into a property-bag tree, near enough to bound it; the play scripts'
// own tree takes about as much. Heap blocks carry a header; make_shared objects a control block too.
constexpr uint64_t kBlockOverhead = 16;
constexpr uint64_t kSlotCost = sizeof(Variant);
constexpr uint64_t kObjectCost = sizeof(Dictionary) + 2 * kBlockOverhead;
constexpr uint64_t kArrayCost = sizeof(Vector) + 2 * kBlockOverhead;
// A key: its shared block (count and text) and, in an object of many keys, its index node with an
// upper-cased copy, which costs the key's characters a second time (see Key()).
constexpr uint64_t kKeyCost = sizeof(SharedText) + sizeof(Text) + sizeof(size_t) + kBlockOverhead +
                              sizeof(Text) + 4 * sizeof(size_t) + kBlockOverhead;

uint64_t TextCost(size_t bytes) {
    // A UTF-8 byte becomes at most one UTF-16 unit; short texts live inside the text object itself.
    return bytes < Text().capacity() ? 0 : (bytes + 1) * sizeof(char16_t) + kBlockOverhead;
}

Text Quoted(std::string_view token) { return u"\"" + Abbreviate(FromUtf8Lossy(token)) + u"\""; }

// Walks the text for the parser and keeps where it has read to, so that events know their offset.
class CountingIterator {
public:
    using iterator_category = std::input_iterator_tag;
    using value_type = char;
    using difference_type = std::ptrdiff_t;
    using pointer = const char*;
    using reference = const char&;

    CountingIterator(const char* at, const char** cursor) : m_at(at), m_cursor(cursor) {}
    reference operator*() const { return *m_at; }
    CountingIterator& operator++() {
        *m_cursor = ++m_at;
        return *this;
    }
    CountingIterator operator++(int) {
        CountingIterator before = *this;
        ++*this;
        return before;
    }
    bool operator==(const CountingIterator& other) const { return m_at == other.m_at; }
    bool operator!=(const CountingIterator& other) const { return m_at != other.m_at; }

private:
    const char* m_at;
    const char** m_cursor;
};

}  // namespace

const char16_t* JsonKindName(JsonKind kind) {
    switch (kind) {
        case JsonKind::Null:
            return u"null";
        case JsonKind::Boolean:
            return u"a Boolean";
        case JsonKind::Number:
            return u"a number";
        case JsonKind::Text:
            return u"a text";
        case JsonKind::Array:
            return u"an array";
        case JsonKind::Object:
            return u"an object";
    }
    return u"a value";
}

Text JsonPlace::ToText() const {
    Text text = u"$";
    for (const Step& step : m_steps) {
        if (step.index == 0) {
            text += u"/" + Abbreviate(FromUtf8Lossy(step.key));
        } else {
            text += u"[" + UInt64ToText(step.index) + u"]";
        }
    }
    return text;
}

// nlohmann's SAX interface over a JsonHandler, with the checks of BoundedJson.h.
class BoundedJsonParser {
public:
    BoundedJsonParser(std::string_view text, const Text& source, JsonHandler& handler,
                      const JsonProgress& progress)
        : m_text(text),
          m_source(source),
          m_handler(handler),
          m_progress(progress),
          m_cursor(text.data()),
          m_memoryLimit(kJsonMemoryPerByte * text.size() + kJsonMemoryAllowance) {}

    void Run() {
        const char* begin = m_text.data();
        nlohmann::json::sax_parse(CountingIterator(begin, &m_cursor),
                                  CountingIterator(begin + m_text.size(), &m_cursor), this);
    }

    bool null() {
        Begin(JsonKind::Null);
        m_handler.Null();
        return true;
    }
    bool boolean(bool value) {
        Begin(JsonKind::Boolean);
        m_handler.Boolean(value);
        return true;
    }
    bool number_integer(Json::number_integer_t value) {
        Begin(JsonKind::Number);
        m_handler.Integer(value);
        return true;
    }
    bool number_unsigned(Json::number_unsigned_t value) {
        Begin(JsonKind::Number);
        m_handler.Unsigned(value);
        return true;
    }
    bool number_float(Json::number_float_t value, const std::string&) {
        Begin(JsonKind::Number);
        m_handler.Float(value);
        return true;
    }
    bool string(std::string& value) {
        Begin(JsonKind::Text);
        Charge(TextCost(value.size()));
        m_handler.String(value);
        return true;
    }
    bool binary(Json::binary_t&) { return false; }  // JSON text holds none
    bool start_object(std::size_t) {
        BeginContainer(JsonKind::Object, kObjectCost);
        m_handler.BeginObject();
        return true;
    }
    bool key(std::string& key) {
        Charge(kKeyCost + 2 * TextCost(key.size()));
        m_place.m_steps.back().key = key;
        m_handler.Key(key);
        return true;
    }
    bool end_object() {
        EndContainer();
        m_handler.EndObject();
        return true;
    }
    bool start_array(std::size_t) {
        BeginContainer(JsonKind::Array, kArrayCost);
        m_handler.BeginArray();
        return true;
    }
    bool end_array() {
        EndContainer();
        m_handler.EndArray();
        return true;
    }
    bool parse_error(std::size_t position, const std::string& token, const nlohmann::json::exception& error) {
        // position counts the characters read, the one that failed (or the end) included.
        const size_t offset = position > 0 ? position - 1 : 0;
        if (error.id == 406) {  // a number beyond the range of a double
            NextItem();
            m_handler.NumberOutOfRange(m_place, token);
            Fail(u"a number out of range (" + Abbreviate(FromUtf8Lossy(token)) + u")", offset);
        }
        Fail(u"not valid JSON: " + Describe(error.what()), offset);
    }

private:
    [[noreturn]] void Fail(const Text& what, size_t offset) const {
        Raise(errors::kBadFileFormat, m_source + u": " + what + u" at byte " + UInt64ToText(offset));
    }

    // The byte the parser read last: for a bracket, the bracket itself.
    size_t LastByte() const { return m_cursor > m_text.data() ? m_cursor - m_text.data() - 1 : 0; }

    // The parser's own message without its prefix and position, its quote of the input cut short.
    static Text Describe(std::string what) {
        size_t column = what.find("column ");
        size_t colon = what.find(": ", column == std::string::npos ? 0 : column);
        if (colon != std::string::npos) what.erase(0, colon + 2);
        const std::string lastRead = "last read: '";
        size_t quote = what.find(lastRead);
        if (quote == std::string::npos) return FromUtf8Lossy(what);
        std::string token = what.substr(quote + lastRead.size());
        if (token.ends_with('\'')) token.pop_back();
        return FromUtf8Lossy(what.substr(0, quote)) + u"last read: " + Quoted(token);
    }

    void Charge(uint64_t bytes) {
        m_memoryUsed += bytes;
        if (m_memoryUsed > m_memoryLimit) {
            Fail(u"too many small items for the file's size: read, they would take more than " +
                     UInt64ToText(m_memoryLimit) + u" bytes of memory (" + UInt64ToText(kJsonMemoryPerByte) +
                     u" times the file size, and " + UInt64ToText(kJsonMemoryAllowance) + u" bytes)",
                 LastByte());
        }
    }

    // Items of an array count from 1: the array's step is raised as each item begins.
    void NextItem() {
        if (!m_inArray.empty() && m_inArray.back()) ++m_place.m_steps.back().index;
    }

    void Begin(JsonKind kind) {
        if (m_progress) {
            const auto done = static_cast<size_t>(m_cursor - m_text.data());
            if (done >= m_nextReport) {
                m_progress(static_cast<int64_t>(done), static_cast<int64_t>(m_text.size()));
                m_nextReport = done + kProgressStep;
            }
        }
        NextItem();
        Charge(kSlotCost);
        m_handler.Begin(m_place, kind);
    }

    void BeginContainer(JsonKind kind, uint64_t cost) {
        if (m_place.Depth() > static_cast<size_t>(kMaxJsonDepth)) {
            Fail(u"nesting deeper than " + UInt64ToText(kMaxJsonDepth) + u" levels", LastByte());
        }
        Begin(kind);
        Charge(cost);
        m_place.m_steps.push_back({});
        m_inArray.push_back(kind == JsonKind::Array);
    }

    void EndContainer() {
        m_place.m_steps.pop_back();
        m_inArray.pop_back();
    }

    std::string_view m_text;
    const Text& m_source;
    JsonHandler& m_handler;
    const JsonProgress& m_progress;
    const char* m_cursor;
    size_t m_nextReport = 0;  // the offset at which progress hears of the parse again
    static constexpr size_t kProgressStep = size_t{1} << 20;
    JsonPlace m_place;
    std::vector<bool> m_inArray;
    uint64_t m_memoryUsed = 0;
    uint64_t m_memoryLimit;
};

void ReadBoundedJson(std::string_view text, const Text& source, JsonHandler& handler,
                     const JsonProgress& progress) {
    // Checked first so that the offset is the one in the input, whatever the parser would say.
    try {
        RequireUtf8(text);
    } catch (const AutomationError& error) {
        Raise(errors::kBadFileFormat, source + u": " + error.Description());
    }
    BoundedJsonParser(text, source, handler, progress).Run();
}

}  // namespace orva::components
