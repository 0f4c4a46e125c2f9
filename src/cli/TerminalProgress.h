#pragma once
// A one-line progress meter on stderr for long runs (deploy, pack of big files, and any command whose
// work reports (done, total) through a callback):
//     deploying: 12345 of 40000 entries, 30%, 5120 entries/s, 0:05 left
// redrawn in place ("\r" and erase-to-end-of-line) at most ten times a second and erased when the
// work ends, so the terminal is left as it was. A disabled meter writes nothing at all: commands
// enable it only through ProgressWanted, so pipes, files, --json and --quiet never see it.

#include <chrono>
#include <cstdint>
#include <functional>
#include <iosfwd>
#include <string>

#include "cli/Command.h"

namespace orva::cli {

// True when progress may be drawn on streams.err: it is a terminal that understands cursor controls
// (TERM is not "dumb"), and neither --quiet (host.quiet) nor the command's --json (json) was given.
bool ProgressWanted(const HostOptions& host, const Streams& streams, bool json = false);

// How the counts read: "N of M entries" (packet entries), "nodes" (catalogue nodes),
// "sub-functions" (catalogue sub-functions), or, for Bytes, "X of Y MB".
enum class ProgressUnit { Entries, Nodes, SubFunctions, Bytes };

class TerminalProgress {
public:
    using Clock = std::function<std::chrono::steady_clock::time_point()>;

    // Draws on err (not owned; must outlive the meter) when enabled, each line starting with
    // "<label>: ". The rate and time left count from construction. clock is for tests.
    TerminalProgress(std::ostream& err, bool enabled, std::string label,
                     ProgressUnit unit = ProgressUnit::Entries, Clock clock = std::chrono::steady_clock::now);
    ~TerminalProgress();  // erases the line, also when the work ended in an exception
    TerminalProgress(const TerminalProgress&) = delete;
    TerminalProgress& operator=(const TerminalProgress&) = delete;

    bool Enabled() const { return m_enabled; }

    // Reports done of total; draws at once the first time, then when the last draw is 100 ms old.
    // A total of 0 or less draws the count alone. Never raises on a stream error.
    void Update(int64_t done, int64_t total);

    // Removes the line if one is shown (before the command prints a line of its own); the next
    // Update draws again.
    void Erase();

    // Draws the last line again after an Erase, unchanged and without waiting for the next Update:
    // for a command whose own lines go to the same terminal, so that the meter stays below them.
    void Restore();

    // A progress callback for the library (core::DeployProgress or any std::function taking
    // (done, total)) that updates this meter; an empty callback when the meter is disabled, so the
    // work does not even report. The meter must outlive the callback's use.
    template <class Callback>
    Callback AsCallback() {
        if (!m_enabled) return Callback{};
        return Callback([this](int64_t done, int64_t total) { Update(done, total); });
    }

    // The line drawn for done of total after elapsed (no control characters), for tests and Update;
    // the rate and time left only from half a second of work on.
    static std::string Line(const std::string& label, ProgressUnit unit, int64_t done, int64_t total,
                            std::chrono::duration<double> elapsed);

private:
    std::ostream& m_err;
    bool m_enabled;
    std::string m_label;
    ProgressUnit m_unit;
    Clock m_clock;
    std::chrono::steady_clock::time_point m_start;
    std::chrono::steady_clock::time_point m_lastDraw;
    bool m_drawn = false;  // drawn at least once: m_lastDraw is set
    bool m_shown = false;  // a line is on the terminal now
    std::string m_line;    // the line drawn last
};

}  // namespace orva::cli
