#include "storage/ServerUri.h"

#include <algorithm>
#include <cctype>
#include <cstring>

#include "automation/AutomationError.h"
#include "automation/Text.h"
#include "automation/TextHelpers.h"

namespace orva::components {

using automation::EqualsNoAsciiCase;

namespace {

constexpr std::string_view kMask = "***";

// A byte range [begin, end) of a URI that holds a password.
struct Span {
    size_t begin;
    size_t end;
};

struct Reading {
    ServerUri uri;
    std::vector<Span> passwords;
    std::string problem;  // empty when the URI reads
};

char AsciiLower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

// The position after "postgresql://" or "postgres://" (after leading blanks and tabs), or 0.
size_t SchemeEnd(std::string_view text) {
    size_t start = std::min(text.find_first_not_of(" \t"), text.size());
    for (std::string_view scheme : {std::string_view("postgresql://"), std::string_view("postgres://")}) {
        if (text.size() - start >= scheme.size() &&
            EqualsNoAsciiCase(text.substr(start, scheme.size()), scheme)) {
            return start + scheme.size();
        }
    }
    return 0;
}

int HexValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    c = AsciiLower(c);
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    return -1;
}

// Decodes every valid "%XX" and keeps anything else as it is: for finding passwords, never for use.
std::string DecodeLenient(std::string_view text) {
    std::string out;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '%' && i + 2 < text.size() && HexValue(text[i + 1]) >= 0 &&
            HexValue(text[i + 2]) >= 0) {
            out += static_cast<char>(HexValue(text[i + 1]) * 16 + HexValue(text[i + 2]));
            i += 2;
        } else {
            out += text[i];
        }
    }
    return out;
}

// Every byte outside RFC 3986's unreserved characters as "%XX".
std::string EncodeAll(std::string_view text) {
    static constexpr char kDigits[] = "0123456789ABCDEF";
    std::string out;
    for (char c : text) {
        auto byte = static_cast<unsigned char>(c);
        if (std::isalnum(byte) || std::strchr("-._~", c) != nullptr) {
            out += c;
        } else {
            out += '%';
            out += kDigits[byte >> 4];
            out += kDigits[byte & 15];
        }
    }
    return out;
}

// Decodes a part as libpq does, into out; returns what is wrong with it, naming the part, or "".
// Characters a URI may not hold unencoded are refused: a blank, a control character, " < > [ ] \ ^ `
// { | } and "#".
std::string DecodeStrict(std::string_view text, std::string_view part, std::string& out) {
    out.clear();
    for (size_t i = 0; i < text.size(); ++i) {
        char c = text[i];
        auto byte = static_cast<unsigned char>(c);
        if (c == '%') {
            int high = i + 2 < text.size() ? HexValue(text[i + 1]) : -1;
            int low = i + 2 < text.size() ? HexValue(text[i + 2]) : -1;
            if (high < 0 || low < 0) {
                return "an invalid percent-encoding in " + std::string(part) +
                       " (\"%\" must be followed by two hexadecimal digits)";
            }
            if (high == 0 && low == 0) return "a percent-encoded NUL (%00) in " + std::string(part);
            out += static_cast<char>(high * 16 + low);
            i += 2;
        } else if (byte < 0x21 || byte == 0x7F || std::strchr("\"<>[]\\^`{|}#", c) != nullptr) {
            return std::string(part) +
                   " holds a blank, a control character or one of \" < > [ ] \\ ^ ` { | } # (write it "
                   "percent-encoded)";
        } else {
            out += c;
        }
    }
    return {};
}

bool IsKeyword(std::string_view name) {
    return !name.empty() && std::all_of(name.begin(), name.end(), [](char c) {
        return (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '_';
    });
}

// The hosts and ports of the authority after the user information.
std::string ReadHosts(std::string_view hosts, ServerUri& uri) {
    if (hosts.empty()) return {};
    std::string hostValues, portValues;
    bool anyPort = false;
    size_t number = 0;
    for (size_t begin = 0; begin <= hosts.size(); ++number) {
        size_t end = std::min(hosts.find(',', begin), hosts.size());
        std::string_view item = hosts.substr(begin, end - begin);
        std::string host, port;
        std::string_view portText;
        bool hasPort = false;
        std::string where =
            number == 0 && end == hosts.size() ? "the host" : "host " + std::to_string(number + 1);
        if (item.starts_with('[')) {
            size_t close = item.find(']');
            if (close == std::string_view::npos)
                return where + " opens an IPv6 address with \"[\" but has no \"]\"";
            host = std::string(item.substr(1, close - 1));
            if (host.empty() || host.find_first_not_of("0123456789abcdefABCDEF:.") != std::string::npos) {
                return where + " is not an IPv6 address";
            }
            std::string_view after = item.substr(close + 1);
            if (!after.empty() && !after.starts_with(':')) return where + " has text after its \"]\"";
            hasPort = !after.empty();
            if (hasPort) portText = after.substr(1);
        } else {
            size_t colon = item.find(':');
            if (std::string problem = DecodeStrict(item.substr(0, colon), where, host); !problem.empty()) {
                return problem;
            }
            hasPort = colon != std::string_view::npos;
            if (hasPort) portText = item.substr(colon + 1);
        }
        if (hasPort) {
            if (portText.empty() || portText.size() > 5 ||
                portText.find_first_not_of("0123456789") != std::string_view::npos) {
                return "the port of " + where + " is not a number";
            }
            port = std::string(portText);
            anyPort = true;
        }
        hostValues += (number > 0 ? "," : "") + host;
        portValues += (number > 0 ? "," : "") + port;
        begin = end + 1;
    }
    uri.keywords.emplace_back("host", hostValues);
    if (anyPort) uri.keywords.emplace_back("port", portValues);
    return {};
}

// The options after "?"; start is the position of the query in text.
std::string ReadOptions(std::string_view text, size_t start, Reading& reading) {
    std::string_view query = text.substr(start);
    if (query.empty()) return {};
    size_t number = 1;
    for (size_t begin = 0; begin <= query.size(); ++number) {
        size_t end = std::min(query.find('&', begin), query.size());
        std::string_view option = query.substr(begin, end - begin);
        std::string where = "option " + std::to_string(number);
        size_t equals = option.find('=');
        if (option.empty()) return where + " is empty (an \"&\" at the end or two in a row)";
        if (equals == std::string_view::npos) return where + " has no \"=\"";
        std::string name, value;
        if (std::string problem = DecodeStrict(option.substr(0, equals), "the name of " + where, name);
            !problem.empty()) {
            return problem;
        }
        // Recorded before the name is judged, so that a refused "PASSWORD=" is masked too.
        if (EqualsNoAsciiCase(name, "password")) {
            reading.passwords.push_back({start + begin + equals + 1, start + end});
        }
        if (!IsKeyword(name)) {
            return where + " is not a connection keyword (lower-case letters, digits and \"_\")";
        }
        if (std::string problem =
                DecodeStrict(option.substr(equals + 1), "the value of option " + name, value);
            !problem.empty()) {
            return problem;
        }
        if (name == "ssl") {
            // libpq's one URI-only option.
            if (value != "true") return "option ssl takes only the value true";
            name = "sslmode";
            value = "require";
        }
        reading.uri.keywords.emplace_back(name, value);
        begin = end + 1;
    }
    return {};
}

Reading Read(std::string_view text) {
    Reading reading;
    size_t start = SchemeEnd(text);
    if (start == 0) {
        reading.problem = "not a server URI (it must start with \"postgresql://\" or \"postgres://\")";
        return reading;
    }
    auto fail = [&](std::string problem) {
        reading.problem = std::move(problem);
        return reading;
    };
    if (text.find('#', start) != std::string_view::npos) {
        return fail("a \"#\" (a fragment) has no place in a server URI; in a password it is written %23");
    }
    size_t authorityEnd = std::min(text.find_first_of("/?", start), text.size());
    std::string_view authority = text.substr(start, authorityEnd - start);
    if (text.find('@', authorityEnd) != std::string_view::npos) {
        return fail(
            "an \"@\" after the host: a user name or password holding \"/\", \"?\" or \"@\" must write them "
            "as %2F, %3F and %40");
    }
    size_t at = authority.rfind('@');
    std::string_view hosts = authority;
    if (at != std::string_view::npos) {
        std::string_view userInfo = authority.substr(0, at);
        hosts = authority.substr(at + 1);
        size_t colon = userInfo.find(':');
        if (colon != std::string_view::npos) reading.passwords.push_back({start + colon + 1, start + at});
        if (userInfo.find('@') != std::string_view::npos) {
            return fail("the user information holds \"@\": write it as %40");
        }
        std::string user, password;
        if (std::string problem = DecodeStrict(userInfo.substr(0, colon), "the user name", user);
            !problem.empty()) {
            return fail(problem);
        }
        if (!user.empty()) reading.uri.keywords.emplace_back("user", user);
        if (colon != std::string_view::npos) {
            if (std::string problem = DecodeStrict(userInfo.substr(colon + 1), "the password", password);
                !problem.empty()) {
                return fail(problem);
            }
            reading.uri.keywords.emplace_back("password", password);
        }
    }
    if (std::string problem = ReadHosts(hosts, reading.uri); !problem.empty()) return fail(problem);
    size_t query = std::min(text.find('?', authorityEnd), text.size());
    if (authorityEnd < text.size() && text[authorityEnd] == '/') {
        std::string_view database = text.substr(authorityEnd + 1, query - authorityEnd - 1);
        if (database.find('/') != std::string_view::npos) {
            return fail("the database name holds \"/\": write it as %2F");
        }
        std::string name;
        if (std::string problem = DecodeStrict(database, "the database name", name); !problem.empty()) {
            return fail(problem);
        }
        if (!name.empty()) reading.uri.keywords.emplace_back("dbname", name);
    }
    if (query < text.size()) {
        if (std::string problem = ReadOptions(text, query + 1, reading); !problem.empty())
            return fail(problem);
    }
    return reading;
}

// For a URI that does not read strictly: from the first ":" after the scheme to the last "@", and
// from the "=" of any option named like "password" to the end. Masks more than needed rather than
// leave a piece of a password that a stray "/", "?", "&" or "@" moved.
std::vector<Span> GenerousSpans(std::string_view text, size_t start) {
    std::vector<Span> spans;
    size_t lastAt = text.rfind('@');
    if (lastAt != std::string_view::npos && lastAt >= start) {
        size_t colon = text.find(':', start);
        if (colon < lastAt) spans.push_back({colon + 1, lastAt});
    }
    size_t query = text.find('?', start);
    for (size_t at = query; at != std::string_view::npos && at < text.size();
         at = text.find_first_of("?&", at + 1)) {
        size_t equals = text.find('=', at + 1);
        size_t next = text.find_first_of("?&", at + 1);
        if (equals == std::string_view::npos || equals > next) continue;
        if (EqualsNoAsciiCase(DecodeLenient(text.substr(at + 1, equals - at - 1)), "password")) {
            spans.push_back({equals + 1, text.size()});
        }
    }
    return spans;
}

std::vector<Span> PasswordSpans(std::string_view uri) {
    Reading reading = Read(uri);
    if (reading.problem.empty()) return reading.passwords;
    return GenerousSpans(uri, SchemeEnd(uri));
}

// Replaces each span of text (overlapping ones merged) by the mask.
std::string MaskSpans(std::string_view text, std::vector<Span> spans) {
    std::sort(spans.begin(), spans.end(), [](const Span& a, const Span& b) { return a.begin < b.begin; });
    std::string out;
    size_t copied = 0;
    for (size_t i = 0; i < spans.size();) {
        Span merged = spans[i];
        for (++i; i < spans.size() && spans[i].begin <= merged.end; ++i)
            merged.end = std::max(merged.end, spans[i].end);
        out += text.substr(copied, merged.begin - copied);
        out += kMask;
        copied = merged.end;
    }
    out += text.substr(copied);
    return out;
}

// Masks the value of every key/value "password = value" of a libpq connection string ('quoted' values
// over backslash escapes).
std::string MaskKeyValuePasswords(std::string_view connection) {
    std::string text(connection);
    size_t at = 0;
    while ((at = text.find("password", at)) != std::string::npos) {
        bool startsKey = at == 0 || std::strchr(" \t\n", text[at - 1]) != nullptr;
        size_t value = at + 8;
        while (value < text.size() && text[value] == ' ') ++value;
        if (!startsKey || value >= text.size() || text[value] != '=') {
            at = value;
            continue;
        }
        ++value;
        while (value < text.size() && text[value] == ' ') ++value;
        size_t end = value;
        if (end < text.size() && text[end] == '\'') {
            for (++end; end < text.size() && text[end] != '\''; ++end) {
                if (text[end] == '\\') ++end;
            }
            end = std::min(end + 1, text.size());
        } else {
            while (end < text.size() && std::strchr(" \t\n", text[end]) == nullptr) ++end;
        }
        text.replace(value, end - value, kMask);
        at = value + kMask.size();
    }
    return text;
}

void ReplaceAll(std::string& text, std::string_view secret, std::string_view by) {
    if (secret.empty()) return;
    for (size_t at = text.find(secret); at != std::string::npos; at = text.find(secret, at + by.size())) {
        text.replace(at, secret.size(), by);
    }
}

}  // namespace

bool IsPostgresUri(std::string_view text) { return SchemeEnd(text) > 0; }

std::string ServerUriProblem(std::string_view uri) { return Read(uri).problem; }

ServerUri ParseServerUri(std::string_view uri) {
    Reading reading = Read(uri);
    if (!reading.problem.empty()) {
        automation::Raise(automation::errors::kInvalidCall,
                          automation::FromUtf8Lossy(MaskPassword(uri) + ": " + reading.problem));
    }
    return std::move(reading.uri);
}

std::string MaskPassword(std::string_view connection) {
    if (!IsPostgresUri(connection)) return MaskKeyValuePasswords(connection);
    return MaskSpans(connection, PasswordSpans(connection));
}

std::string MaskPassword(std::string_view message, std::string_view uri) {
    std::string text(message);
    std::string masked = MaskPassword(uri);
    if (masked != uri) ReplaceAll(text, uri, masked);
    if (!IsPostgresUri(uri)) return text;
    std::vector<std::string> secrets;
    for (const Span& span : PasswordSpans(uri)) {
        std::string written(uri.substr(span.begin, span.end - span.begin));
        std::string decoded = DecodeLenient(written);
        secrets.push_back(EncodeAll(decoded));
        secrets.push_back(std::move(decoded));
        secrets.push_back(std::move(written));
    }
    // The longest first, so that a password holding another is masked whole.
    std::sort(secrets.begin(), secrets.end(),
              [](const std::string& a, const std::string& b) { return a.size() > b.size(); });
    for (const std::string& secret : secrets) ReplaceAll(text, secret, kMask);
    return text;
}

}  // namespace orva::components
