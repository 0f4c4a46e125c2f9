// orva-deploy history [--json] [--limit N] | history RUN [--json]: the deployment journal of an
// account, newest run first, or one run with its message list and the nodes it created.

#include <map>
#include <nlohmann/json.hpp>
#include <ostream>

#include "automation/TextHelpers.h"
#include "catalog/CatalogReader.h"
#include "catalog/DeployHistory.h"
#include "cli/CommandSupport.h"
#include "cli/Commands.h"
#include "cli/HostContext.h"

namespace orva::cli {

using namespace automation;
using namespace components;
using Json = nlohmann::ordered_json;

namespace {

Json Optional(const std::optional<Text>& text) { return text ? Json(ToUtf8Lossy(*text)) : Json(nullptr); }

template <typename T>
Json Optional(const std::optional<T>& value) {
    return value ? Json(*value) : Json(nullptr);
}

Json RunJson(const HistoryRun& run) {
    Json object;
    object["run"] = run.run;
    object["started"] = ToUtf8Lossy(run.started);
    object["finished"] = Optional(run.finished);
    object["origin"] = ToUtf8Lossy(run.origin);
    object["user"] = ToUtf8Lossy(run.user);
    object["host"] = ToUtf8Lossy(run.host);
    object["packetFile"] = Optional(run.packetFile);
    object["packetSha256"] = Optional(run.packetSha256);
    object["language"] = ToUtf8Lossy(run.language);
    object["result"] = Optional(run.result);
    object["created"] = run.created;
    object["undoneBy"] = Optional(run.undoneBy);
    object["program"] = ToUtf8Lossy(run.program);
    object["undoOf"] = Optional(run.undoOf);
    return object;
}

Json NodeJson(const JournalNode& node) {
    Json names;
    for (CatalogLanguage language : kCatalogLanguages) {
        auto at = static_cast<size_t>(language);
        names[ToUtf8(kCatalogLanguageCodes[at])] = ToUtf8Lossy(node.names[at]);
    }
    Json object;
    object["level"] = node.level;
    object["id"] = node.id;
    object["parent"] = node.parentId;
    object["index"] = node.index;
    object["names"] = std::move(names);
    object["classParam"] = Optional(node.classParam);
    object["visible"] = node.visible;
    return object;
}

std::string ResultText(const HistoryRun& run) {
    if (!run.result) return "unfinished";
    return *run.result ? "ok" : "failed";
}

// One line of the list: id, start, origin, user@host, packet file and the first 12 hex digits of its
// hash, nodes created, result.
void PrintRunLine(std::ostream& out, const HistoryRun& run) {
    out << run.run << "  " << ToUtf8Lossy(run.started) << "  " << TerminalText(run.origin) << "  "
        << TerminalText(run.user) << "@" << TerminalText(run.host) << "  ";
    if (run.packetFile) {
        out << TerminalText(*run.packetFile);
        if (run.packetSha256) out << " (" << TerminalText(run.packetSha256->substr(0, 12)) << ")";
    } else {
        out << "-";
    }
    out << "  created " << run.created << "  " << ResultText(run);
    if (run.undoOf) out << "  (undo of run " << *run.undoOf << ")";
    if (run.undoneBy) out << "  (undone by run " << *run.undoneBy << ")";
    out << "\n";
}

// The nodes as a tree: each under its parent when the run made the parent too, else at the top.
class NodeTree {
public:
    NodeTree(const std::vector<JournalNode>& nodes, CatalogLanguage language)
        : m_nodes(nodes), m_language(static_cast<size_t>(language)) {
        for (size_t i = 0; i < nodes.size(); ++i) m_at[{nodes[i].level, nodes[i].id}] = i;
        for (size_t i = 0; i < nodes.size(); ++i) {
            auto parent = m_at.find({nodes[i].level - 1, nodes[i].parentId});
            if (parent == m_at.end()) {
                m_roots.push_back(i);
            } else {
                m_children[parent->second].push_back(i);
            }
        }
    }

    void Print(std::ostream& out) const {
        for (size_t root : m_roots) Print(out, root, 1);
    }

private:
    void Print(std::ostream& out, size_t at, size_t depth) const {
        const JournalNode& node = m_nodes[at];
        const CatalogLevel& level = *FindCatalogLevel(node.level);
        out << std::string(depth * 2, ' ') << TerminalText(node.names[m_language]) << " ("
            << ToUtf8(level.kind) << " " << node.id;
        if (depth == 1 && level.Parent()) out << ", under " << node.parentId;
        out << ")";
        if (node.classParam) out << "  [" << TerminalText(*node.classParam) << "]";
        if (!node.visible) out << "  (hidden)";
        out << "\n";
        auto children = m_children.find(at);
        if (children == m_children.end()) return;
        for (size_t child : children->second) Print(out, child, depth + 1);
    }

    const std::vector<JournalNode>& m_nodes;
    size_t m_language;
    std::map<std::pair<int32_t, int32_t>, size_t> m_at;
    std::vector<size_t> m_roots;
    std::map<size_t, std::vector<size_t>> m_children;
};

class HistoryCommand : public Command {
public:
    std::string Name() const override { return "history"; }
    std::string Description() const override { return "List the deployment journal's runs, or show one run"; }

    void Configure(CLI::App& sub) override {
        sub.add_option("run", m_run, "Show this run: its message list and the nodes it created")
            ->type_name("RUN")
            ->check(CLI::Range(1, 2147483647).description(""));
        sub.add_flag("--json", m_json,
                     "Print JSON: {\"runs\": [...]}, or one run's object with its messages and nodes");
        sub.add_option("--limit", m_limit, "List at most N runs (the newest)")
            ->type_name("N")
            ->check(CLI::Range(0, 2147483647).description(""));
        sub.footer(
            "\nEvery run that writes into the catalogue is journaled in the account: deployments "
            "(\"deploy\"\n"
            "from this program, \"host\" from a host's DeployToLumoMain), the publish dialog (\"publish\"),\n"
            "undo (\"undo\") and the demo data of init --demo (\"init\"). A dry run is not journaled.\n"
            "The list shows, newest first: run, start (UTC), origin, user@host, packet file with the first\n"
            "12 hex digits of its SHA-256, nodes created, and the result (ok, failed, or unfinished for a\n"
            "run still going or killed). With RUN: the run's message list and its nodes as a tree.\n"
            "Control and bidirectional characters are shown escaped; --json keeps them exact.\n"
            "Nodes written by a catalogue writer a host registers in place of ours are not journaled.\n"
            "Exit status: 0, or 1 when the account cannot be read or has no such run.\n\n"
            "Examples:\n  orva-deploy history --catalog account.db --limit 10\n"
            "  orva-deploy history 12 --catalog account.db --json");
    }

    int Execute(const HostOptions& host, Streams& streams) override {
        std::optional<AccountAddress> found = HostAccount(host, streams, "history");
        if (!found) return kExitUsage;
        const AccountAddress& account = *found;
        try {
            if (m_run > 0)
                return ShowRun(account, LanguageFromPropsString(FromUtf8(ComposePropsString(host))), streams);
            std::optional<int64_t> limit;
            if (m_limit >= 0) limit = m_limit;
            std::vector<HistoryRun> runs = ListJournalRuns(account, limit);
            if (m_json) {
                Json list = Json::array();
                for (const HistoryRun& run : runs) list.push_back(RunJson(run));
                Json root;
                root["runs"] = std::move(list);
                streams.out << root.dump(2) << "\n";
            } else {
                for (const HistoryRun& run : runs) PrintRunLine(streams.out, run);
            }
            return kExitOk;
        } catch (const AutomationError& error) {
            return ReportFailure(streams, "history", error);
        }
    }

private:
    int ShowRun(const AccountAddress& account, CatalogLanguage language, Streams& streams) const {
        std::optional<HistoryRunDetail> detail = ReadJournalRun(account, m_run);
        if (!detail) {
            streams.err << "orva-deploy: history: " << TerminalText(account.DisplayName())
                        << ": the journal has no run " << m_run << "\n";
            return kExitFailure;
        }
        if (m_json) {
            Json object = RunJson(detail->run);
            Json messages = Json::array();
            for (const Text& line : detail->messages) messages.push_back(ToUtf8Lossy(line));
            Json nodes = Json::array();
            for (const JournalNode& node : detail->nodes) nodes.push_back(NodeJson(node));
            object["messages"] = std::move(messages);
            object["nodes"] = std::move(nodes);
            streams.out << object.dump(2) << "\n";
            return kExitOk;
        }
        const HistoryRun& run = detail->run;
        std::ostream& out = streams.out;
        PrintRunLine(out, run);
        out << "finished: " << (run.finished ? ToUtf8Lossy(*run.finished) : std::string("-"))
            << "  program: " << TerminalText(run.program) << "  language: " << TerminalText(run.language)
            << "\n";
        if (run.packetSha256) out << "packet SHA-256: " << TerminalText(*run.packetSha256) << "\n";
        out << "messages:\n";
        for (const Text& line : detail->messages) out << "  " << TerminalText(line) << "\n";
        out << "nodes created: " << detail->nodes.size() << "\n";
        NodeTree(detail->nodes, language).Print(out);
        return kExitOk;
    }

    int32_t m_run = 0;
    int64_t m_limit = -1;
    bool m_json = false;
};

}  // namespace

std::unique_ptr<Command> MakeHistoryCommand() { return std::make_unique<HistoryCommand>(); }

}  // namespace orva::cli
