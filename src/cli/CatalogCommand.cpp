// orva-deploy catalog [--json]: prints the console catalogue of an account as a tree or as JSON.

#include <nlohmann/json.hpp>
#include <ostream>

#include "automation/TextHelpers.h"
#include "cli/CommandSupport.h"
#include "cli/Commands.h"
#include "cli/HostContext.h"
#include "catalog/CatalogReader.h"

namespace orva::cli {

using namespace automation;
using namespace components;
using Json = nlohmann::ordered_json;

namespace {

// What the walk reads at each of the four levels.
struct Level {
    const char16_t* idField;
    const char16_t* nameField;  // the plain name (reader's language); _CHS, _CHT, _EN follow it
    std::vector<const char16_t*> otherFields;
    const char* childrenKey;  // nullptr for function details
};

const Level kLevels[] = {
    {u"FTopClassID", u"FTopClassName", {}, "subSystems"},
    {u"FSubSysID", u"FName", {u"FClassName", u"FSubID"}, "subFunctions"},
    {u"FSubFuncID", u"FFuncName", {u"FClassName"}, "details"},
    {u"FDetailFuncID", u"FFuncName", {u"FClassName", u"FClassParam", u"FHelpCode"}, nullptr},
};

Json ToJson(const Variant& value) {
    switch (value.Type()) {
        case VariantType::Null:
        case VariantType::Empty:
            return nullptr;
        case VariantType::Integer:
        case VariantType::Long:
            return value.ToInt32();
        case VariantType::Double:
            return value.ToDouble();
        case VariantType::Boolean:
            return value.ToBool();
        default:
            return ToUtf8Lossy(value.ToText());
    }
}

class CatalogWalk {
public:
    CatalogWalk(CatalogReader& reader, std::ostream* tree) : m_reader(reader), m_tree(tree) {}

    // The children of parent at level (0 top classes .. 3 function details), printed and returned.
    Json Children(size_t level, int32_t parent) {
        std::shared_ptr<Recordset> records = Query(level, parent);
        const Level& shape = kLevels[level];
        Json nodes = Json::array();
        for (; !records->IsEOF(); records->MoveNext()) {
            Json node;
            int32_t id = records->Field(shape.idField).ToInt32();
            node[ToUtf8(shape.idField)] = id;
            for (const char16_t* suffix : {u"", u"_CHS", u"_CHT", u"_EN"}) {
                Text field = Text(shape.nameField) + suffix;
                node[ToUtf8(field)] = ToJson(records->Field(field));
            }
            for (const char16_t* field : shape.otherFields)
                node[ToUtf8(field)] = ToJson(records->Field(field));
            node["FIndex"] = ToJson(records->Field(u"FIndex"));
            node["FVisible"] = records->Field(u"FVisible").ToInt32() != 0;
            Print(level, node, shape);
            if (shape.childrenKey) node[shape.childrenKey] = Children(level + 1, id);
            nodes.push_back(std::move(node));
        }
        records->Close();
        return nodes;
    }

private:
    std::shared_ptr<Recordset> Query(size_t level, int32_t parent) {
        switch (level) {
            case 0:
                return m_reader.GetTopClass_All();
            case 1:
                return m_reader.GetSubSystem_All(parent);
            case 2:
                return m_reader.GetSubFunc_All(parent);
            default:
                return m_reader.GetDetailFunc_All(parent);
        }
    }

    // A name or class parameter for the tree: made safe for a terminal; a missing one (NULL) is blank.
    static std::string Shown(const Json& value) {
        if (value.is_string()) return TerminalText(value.get_ref<const std::string&>());
        return value.is_null() ? std::string() : value.dump();
    }

    // "name (id)" for the three upper levels, "name  [class parameter]" for a function detail.
    void Print(size_t level, const Json& node, const Level& shape) {
        if (!m_tree) return;
        *m_tree << std::string(level * 2, ' ') << Shown(node[ToUtf8(shape.nameField)]);
        if (shape.childrenKey) {
            *m_tree << " (" << node[ToUtf8(shape.idField)].get<int32_t>() << ")";
        } else {
            *m_tree << "  [" << Shown(node["FClassParam"]) << "]";
        }
        if (!node["FVisible"].get<bool>()) *m_tree << "  (hidden)";
        *m_tree << "\n";
    }

    CatalogReader& m_reader;
    std::ostream* m_tree;
};

const char* LanguageCode(CatalogLanguage language) {
    switch (language) {
        case CatalogLanguage::CHT:
            return "CHT";
        case CatalogLanguage::EN:
            return "EN";
        case CatalogLanguage::CHS:
            break;
    }
    return "CHS";
}

class CatalogCommand : public Command {
public:
    std::string Name() const override { return "catalog"; }
    std::string Description() const override { return "Print the console catalogue of an account database"; }

    void Configure(CLI::App& sub) override {
        sub.add_flag(
            "--json", m_json,
            "Print nested JSON: top classes, subsystems, sub-functions and function details with their "
            "ids, names in three languages, index, visibility and class parameters");
        sub.footer(
            "\nThe tree shows every node, hidden ones marked, in the order the console lists them, with\n"
            "names in the language of --language: top classes, subsystems and sub-functions with their\n"
            "ids, function details with their class parameters. Control and bidirectional characters in\n"
            "names are shown escaped (\"\\x1b\", \"\\u202e\", a backslash as \"\\\\\"); --json keeps them "
            "exact.\n\n"
            "Example:\n  orva-deploy catalog --catalog /srv/orva/account.db --language EN");
    }

    int Execute(const HostOptions& host, Streams& streams) override {
        Text propsString = FromUtf8(ComposePropsString(host));
        AccountAddress account;
        try {
            account = AccountFromPropsString(propsString);
        } catch (const AutomationError&) {
            streams.err << "orva-deploy: catalog: no account database named: give --catalog FILE\n";
            return kExitUsage;
        }
        CatalogLanguage language = LanguageFromPropsString(propsString);
        try {
            CatalogReader reader(account, language);
            CatalogWalk walk(reader, m_json ? nullptr : &streams.out);
            Json topClasses = walk.Children(0, 0);
            if (m_json) {
                Json root;
                root["language"] = LanguageCode(language);
                root["topClasses"] = std::move(topClasses);
                streams.out << root.dump(2) << "\n";
            }
            return kExitOk;
        } catch (const AutomationError& error) {
            return ReportFailure(streams, "catalog", error);
        }
    }

private:
    bool m_json = false;
};

}  // namespace

std::unique_ptr<Command> MakeCatalogCommand() { return std::make_unique<CatalogCommand>(); }

}  // namespace orva::cli
