#include "cli/TerminalProgress.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ostream>

#include "cli/CommandSupport.h"

namespace orva::cli {

namespace {

constexpr auto kRedrawInterval = std::chrono::milliseconds(100);
constexpr const char* kEraseLine = "\r\033[K";
constexpr double kEstimateAfter = 0.5;  // seconds of work before a rate and a time left are shown

// The word after a count, without a leading space; nullptr for Bytes, which are shown in MB.
const char* CountWord(ProgressUnit unit) {
    switch (unit) {
        case ProgressUnit::Entries:
            return "entries";
        case ProgressUnit::Nodes:
            return "nodes";
        case ProgressUnit::SubFunctions:
            return "sub-functions";
        case ProgressUnit::Bytes:
            break;
    }
    return nullptr;
}

std::string Amount(ProgressUnit unit, int64_t value) {
    if (CountWord(unit)) return std::to_string(value);
    char text[32];
    std::snprintf(text, sizeof text, "%.1f", static_cast<double>(value) / 1e6);
    return text;
}

// "0:05", "12:34", "1:02:03".
std::string Duration(double seconds) {
    const auto whole = static_cast<int64_t>(std::ceil(seconds));
    char text[32];
    if (whole >= 3600) {
        std::snprintf(text, sizeof text, "%lld:%02lld:%02lld", static_cast<long long>(whole / 3600),
                      static_cast<long long>(whole / 60 % 60), static_cast<long long>(whole % 60));
    } else {
        std::snprintf(text, sizeof text, "%lld:%02lld", static_cast<long long>(whole / 60),
                      static_cast<long long>(whole % 60));
    }
    return text;
}

}  // namespace

bool ProgressWanted(const HostOptions& host, const Streams& streams, bool json) {
    if (host.quiet || json || !IsTerminal(streams.err)) return false;
    const char* term = std::getenv("TERM");
    return term == nullptr || std::strcmp(term, "dumb") != 0;
}

TerminalProgress::TerminalProgress(std::ostream& err, bool enabled, std::string label, ProgressUnit unit,
                                   Clock clock)
    : m_err(err), m_enabled(enabled), m_label(std::move(label)), m_unit(unit), m_clock(std::move(clock)) {
    if (m_enabled) m_start = m_clock();
}

TerminalProgress::~TerminalProgress() { Erase(); }

std::string TerminalProgress::Line(const std::string& label, ProgressUnit unit, int64_t done, int64_t total,
                                   std::chrono::duration<double> elapsed) {
    const std::string unitWord = std::string(" ") + (CountWord(unit) ? CountWord(unit) : "MB");
    std::string line = label + ": " + Amount(unit, done);
    if (total <= 0) return line + unitWord;
    line += " of " + Amount(unit, total) + unitWord;
    line += ", " + std::to_string(done * 100 / total) + "%";
    const double seconds = elapsed.count();
    // A rate from the first moments (opening the files, the first entry) would promise hours.
    if (done <= 0 || seconds < kEstimateAfter) return line;
    const double rate = static_cast<double>(done) / seconds;
    if (CountWord(unit)) {
        line += ", " + std::to_string(static_cast<int64_t>(rate)) + unitWord + "/s";
    } else {
        char text[32];
        std::snprintf(text, sizeof text, ", %.1f MB/s", rate / 1e6);
        line += text;
    }
    if (done < total) line += ", " + Duration(static_cast<double>(total - done) / rate) + " left";
    return line;
}

void TerminalProgress::Update(int64_t done, int64_t total) {
    if (!m_enabled) return;
    const auto now = m_clock();
    // Erasing does not reset the clock: a command printing a line per entry still redraws at most
    // ten times a second.
    if (m_drawn && now - m_lastDraw < kRedrawInterval) return;
    m_line = Line(m_label, m_unit, done, total, now - m_start);
    m_err << kEraseLine << m_line << std::flush;
    m_lastDraw = now;
    m_drawn = m_shown = true;
}

void TerminalProgress::Restore() {
    if (m_shown || !m_drawn) return;
    m_err << kEraseLine << m_line << std::flush;
    m_shown = true;
}

void TerminalProgress::Erase() {
    if (!m_shown) return;
    m_err << kEraseLine << std::flush;
    m_shown = false;
}

}  // namespace orva::cli
