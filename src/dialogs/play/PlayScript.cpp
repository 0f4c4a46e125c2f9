#include "dialogs/play/PlayScript.h"

#include <algorithm>
#include <array>
#include <limits>
#include <nlohmann/json.hpp>

#include "automation/AutomationError.h"
#include "automation/TextHelpers.h"
#include "bag/BoundedJson.h"

namespace orva::dialogs {

using automation::FromUtf8;
using automation::Text;
using Json = nlohmann::json;

namespace {

struct ActionShape {
    StepAction action;
    const char* name;
    std::array<const char*, 2> fields;  // the other fields it takes
};

constexpr ActionShape kActions[] = {
    {StepAction::Click, "click", {"index", "text"}},
    {StepAction::DblClick, "dblclick", {"index", "text"}},
    {StepAction::Select, "select", {"indexes", "texts"}},
    {StepAction::Input, "input", {"ok", nullptr}},
    {StepAction::Close, "close", {nullptr, nullptr}},
    {StepAction::Check, "check", {"key", "value"}},
    {StepAction::Expand, "expand", {"key", "value"}},
    {StepAction::Activate, "activate", {nullptr, nullptr}},
};

// "a string", "an array", ...: what a value is, for messages.
Text JsonKind(const Json& value) {
    switch (value.type()) {
        case Json::value_t::object:
            return u"an object";
        case Json::value_t::array:
            return u"an array";
        case Json::value_t::string:
            return u"a string";
        case Json::value_t::boolean:
            return u"a boolean";
        case Json::value_t::null:
            return u"null";
        default:
            return u"a number";
    }
}

// Builds the script's tree as the bounded reader hands it over (BoundedJson.h: depth, memory and
// malformed text are refused there). A number out of range inside a step is that step's error.
class ScriptBuilder : public components::JsonHandler {
public:
    explicit ScriptBuilder(const Text& source) : m_source(source) {}

    Json TakeRoot() { return std::move(m_root); }

    void Begin(const components::JsonPlace&, components::JsonKind) override {}
    void Null() override { Put(nullptr); }
    void Boolean(bool value) override { Put(value); }
    void Integer(int64_t value) override { Put(value); }
    void Unsigned(uint64_t value) override { Put(value); }
    void Float(double value) override { Put(value); }
    void String(std::string& value) override { Put(std::move(value)); }
    void BeginObject() override { m_open.push_back(Put(Json::object())); }
    void Key(std::string& key) override { m_key = std::move(key); }
    void EndObject() override { m_open.pop_back(); }
    void BeginArray() override { m_open.push_back(Put(Json::array())); }
    void EndArray() override { m_open.pop_back(); }

    void NumberOutOfRange(const components::JsonPlace& place, std::string_view token) override {
        // Only a field of a step (or an item of one) is the step's error; elsewhere it is the file's.
        if (place.Depth() < 2 || place[0].index == 0 || place[1].index != 0) return;
        const int32_t step = static_cast<int32_t>(std::min<size_t>(place[0].index, INT32_MAX));
        const std::string& field = place[1].key;
        const bool many = field == "indexes";
        Text what =
            field == "index" || many
                ? u"\"" + FromUtf8(field) +
                      (many ? u"\" must hold whole numbers" : u"\" must be a whole number") +
                      u" of 32 bits, not "
                : u"\"" + automation::Abbreviate(FromUtf8(field)) + u"\" holds a number out of range: ";
        throw PlayError(m_source + u": step " + automation::Int32ToText(step) + u": " + what +
                            automation::Abbreviate(automation::FromUtf8Lossy(token)),
                        step);
    }

private:
    // The new value's place in the tree; containers are filled before the next value is put beside
    // them, so the pointer stays valid while it is open.
    Json* Put(Json value) {
        if (m_open.empty()) {
            m_root = std::move(value);
            return &m_root;
        }
        Json& parent = *m_open.back();
        if (parent.is_array()) {
            parent.push_back(std::move(value));
            return &parent.back();
        }
        Json& member = parent[m_key];
        member = std::move(value);
        return &member;
    }

    const Text& m_source;
    Json m_root;
    std::vector<Json*> m_open;
    std::string m_key;
};

// Reads one step object, raising PlayError for its number.
class StepReader {
public:
    StepReader(const Text& source, int32_t number, const Json& object)
        : m_source(source), m_number(number), m_object(object) {}

    PlayStep Read() {
        if (!m_object.is_object()) Fail(u"a step must be a JSON object, not " + JsonKind(m_object));
        const ActionShape* shape = nullptr;
        for (const ActionShape& candidate : kActions) {
            if (!m_object.contains(candidate.name)) continue;
            if (shape) {
                Fail(u"a step has one action, but this one has \"" + FromUtf8(shape->name) + u"\" and \"" +
                     FromUtf8(candidate.name) + u"\"");
            }
            shape = &candidate;
        }
        if (!shape)
            Fail(
                u"no action: a step has one of click, dblclick, select, input, close, check, expand, "
                u"activate");
        for (auto it = m_object.begin(); it != m_object.end(); ++it) {
            const std::string& field = it.key();
            if (field == shape->name) continue;
            bool taken = false;
            for (const char* allowed : shape->fields) taken = taken || (allowed && field == allowed);
            if (!taken) {
                Fail(u"\"" + FromUtf8(shape->name) + u"\" takes no field \"" +
                     automation::Abbreviate(automation::FromUtf8Lossy(field)) + u"\"");
            }
        }
        PlayStep step;
        step.number = m_number;
        step.action = shape->action;
        switch (shape->action) {
            case StepAction::Click:
            case StepAction::DblClick:
                step.control = String(shape->name);
                if (m_object.contains("index") && m_object.contains("text")) {
                    Fail(u"give \"index\" or \"text\", not both");
                }
                if (m_object.contains("index")) step.index = Integer("index", m_object["index"]);
                if (m_object.contains("text")) step.text = String("text");
                if (shape->action == StepAction::DblClick && !step.index && !step.text) {
                    Fail(u"\"dblclick\" needs \"index\" or \"text\"");
                }
                break;
            case StepAction::Select:
                step.control = String("select");
                if (m_object.contains("indexes") == m_object.contains("texts")) {
                    Fail(u"\"select\" needs either \"indexes\" or \"texts\"");
                }
                if (m_object.contains("indexes")) {
                    step.indexes.emplace();
                    for (const Json& item : Array("indexes"))
                        step.indexes->push_back(Integer("indexes", item));
                } else {
                    step.texts.emplace();
                    for (const Json& item : Array("texts")) {
                        if (!item.is_string()) Fail(u"\"texts\" must hold strings, not " + JsonKind(item));
                        step.texts->push_back(FromUtf8(item.get_ref<const std::string&>()));
                    }
                }
                break;
            case StepAction::Input:
                step.input = String("input");
                step.ok = Boolean("ok");
                break;
            case StepAction::Close:
            case StepAction::Activate:
                if (!m_object[shape->name].is_boolean() || !m_object[shape->name].get<bool>()) {
                    Fail(u"\"" + FromUtf8(shape->name) + u"\" must be true");
                }
                break;
            case StepAction::Check:
            case StepAction::Expand:
                step.control = String(shape->name);
                step.key = String("key");
                if (shape->action == StepAction::Check || m_object.contains("value"))
                    step.value = Boolean("value");
                break;
        }
        return step;
    }

private:
    [[noreturn]] void Fail(const Text& what) const {
        throw PlayError(m_source + u": step " + automation::Int32ToText(m_number) + u": " + what, m_number);
    }

    const Json& Required(const char* field) const {
        auto it = m_object.find(field);
        if (it == m_object.end()) Fail(u"\"" + FromUtf8(field) + u"\" is missing");
        return *it;
    }

    Text String(const char* field) const {
        const Json& value = Required(field);
        if (!value.is_string())
            Fail(u"\"" + FromUtf8(field) + u"\" must be a string, not " + JsonKind(value));
        return FromUtf8(value.get_ref<const std::string&>());
    }

    bool Boolean(const char* field) const {
        const Json& value = Required(field);
        if (!value.is_boolean())
            Fail(u"\"" + FromUtf8(field) + u"\" must be true or false, not " + JsonKind(value));
        return value.get<bool>();
    }

    const Json& Array(const char* field) const {
        const Json& value = Required(field);
        if (!value.is_array()) Fail(u"\"" + FromUtf8(field) + u"\" must be an array, not " + JsonKind(value));
        return value;
    }

    int32_t Integer(const char* field, const Json& value) const {
        bool fits = false;
        if (value.is_number_unsigned()) {
            fits = value.get<uint64_t>() <= static_cast<uint64_t>(std::numeric_limits<int32_t>::max());
        } else if (value.is_number_integer()) {
            fits = value.get<int64_t>() >= std::numeric_limits<int32_t>::min() &&
                   value.get<int64_t>() <= std::numeric_limits<int32_t>::max();
        }
        if (!fits) {
            const bool many = std::string_view(field) == "indexes";
            Fail(u"\"" + FromUtf8(field) +
                 (many ? u"\" must hold whole numbers" : u"\" must be a whole number") +
                 u" of 32 bits, not " + automation::Abbreviate(automation::FromUtf8Lossy(value.dump())));
        }
        return static_cast<int32_t>(value.get<int64_t>());
    }

    const Text& m_source;
    int32_t m_number;
    const Json& m_object;
};

}  // namespace

PlayScript ParsePlayScript(std::string_view json, const Text& source) {
    ScriptBuilder builder(source);
    try {
        components::ReadBoundedJson(json, source, builder);
    } catch (const automation::AutomationError& error) {
        throw PlayError(error.Description(), 0);  // names the script and the byte
    }
    Json root = builder.TakeRoot();
    if (!root.is_array()) {
        throw PlayError(source + u": a play script is a JSON array of steps, not " + JsonKind(root), 0);
    }
    PlayScript script{source, {}};
    script.steps.reserve(root.size());
    int32_t number = 0;
    for (const Json& object : root) script.steps.push_back(StepReader(source, ++number, object).Read());
    return script;
}

const char16_t* ActionName(StepAction action) {
    switch (action) {
        case StepAction::Click:
            return u"click";
        case StepAction::DblClick:
            return u"dblclick";
        case StepAction::Select:
            return u"select";
        case StepAction::Input:
            return u"input";
        case StepAction::Close:
            return u"close";
        case StepAction::Check:
            return u"check";
        case StepAction::Expand:
            return u"expand";
        case StepAction::Activate:
            return u"activate";
    }
    return u"";
}

}  // namespace orva::dialogs
