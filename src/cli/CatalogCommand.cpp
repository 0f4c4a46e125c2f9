// orva-deploy catalog [--json]: prints the console catalogue of an account as a tree or as JSON.

#include <nlohmann/json.hpp>
#include <ostream>

#include "automation/TextHelpers.h"
#include "catalog/CatalogReader.h"
#include "cli/CommandSupport.h"
#include "cli/Commands.h"
#include "cli/HostContext.h"

namespace orva::cli {

using namespace automation;
using namespace components;
using Json = nlohmann::ordered_json;

namespace {

// The JSON key of a node's children, for the levels that have children.
const char* ChildrenKey(const CatalogLevel& level) {
    static constexpr const char* kKeys[] = {"subSystems", "subFunctions", "details"};
    return level.Child() ? kKeys[level.number - 1] : nullptr;
}

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

    // The children of parent at level, printed and returned.
    Json Children(const CatalogLevel& level, int32_t parent) {
        std::shared_ptr<Recordset> records = m_reader.GetChildren(level, parent);
        Json nodes = Json::array();
        for (; !records->IsEOF(); records->MoveNext()) {
            Json node;
            int32_t id = records->Field(level.idField).ToInt32();
            node[ToUtf8(level.idField)] = id;
            node[ToUtf8(level.nameField)] = ToJson(records->Field(level.nameField));
            for (CatalogLanguage language : kCatalogLanguages) {
                Text field = LanguageField(level.nameField, language);
                node[ToUtf8(field)] = ToJson(records->Field(field));
            }
            for (const CatalogAttribute& attribute : level.Attributes())
                node[ToUtf8(attribute.field)] = ToJson(records->Field(attribute.field));
            node[ToUtf8(kIndexField)] = ToJson(records->Field(kIndexField));
            node[ToUtf8(kVisibleField)] = records->Field(kVisibleField).ToInt32() != 0;
            Print(level, node);
            if (const CatalogLevel* child = level.Child()) node[ChildrenKey(level)] = Children(*child, id);
            nodes.push_back(std::move(node));
        }
        records->Close();
        return nodes;
    }

private:
    // A name or class parameter for the tree: made safe for a terminal; a missing one (NULL) is blank.
    static std::string Shown(const Json& value) {
        if (value.is_string()) return TerminalText(value.get_ref<const std::string&>());
        return value.is_null() ? std::string() : value.dump();
    }

    // "name (id)" for the three upper levels, "name  [class parameter]" for a function detail.
    void Print(const CatalogLevel& level, const Json& node) {
        if (!m_tree) return;
        *m_tree << std::string(static_cast<size_t>(level.number - 1) * 2, ' ')
                << Shown(node[ToUtf8(level.nameField)]);
        if (level.Child()) {
            *m_tree << " (" << node[ToUtf8(level.idField)].get<int32_t>() << ")";
        } else {
            *m_tree << "  [" << Shown(node[ToUtf8(level.identityField)]) << "]";
        }
        if (!node[ToUtf8(kVisibleField)].get<bool>()) *m_tree << "  (hidden)";
        *m_tree << "\n";
    }

    CatalogReader& m_reader;
    std::ostream* m_tree;
};

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
        std::optional<AccountAddress> found = HostAccount(host, streams, "catalog");
        if (!found) return kExitUsage;
        const AccountAddress& account = *found;
        CatalogLanguage language = LanguageFromPropsString(FromUtf8(ComposePropsString(host)));
        try {
            CatalogReader reader(account, language);
            CatalogWalk walk(reader, m_json ? nullptr : &streams.out);
            Json topClasses = walk.Children(kTopClassLevel, 0);
            if (m_json) {
                Json root;
                root["language"] = ToUtf8(kCatalogLanguageCodes[static_cast<size_t>(language)]);
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
