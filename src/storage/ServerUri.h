#pragma once
// A PostgreSQL server's connection URI, read once and strictly, and the one masker that every path
// printing a URI or a message about one goes through.
//
// The reading is RFC 3986 with libpq's rules for the parts: "postgresql://" or "postgres://" (here in
// any letter case), then [user[:password]@][host[:port][,host[:port]...]][/database][?keyword=value&...],
// every part percent-decoded as libpq decodes it ("%" and two hexadecimal digits; "%00" is refused).
// Where RFC 3986 and libpq would read a URI differently (a "/", "?" or "@" left unencoded in a password
// moves the user information elsewhere for one of them), the URI is refused, so that the server is
// never handed a part of a password as a host, a database or an option. libpq is handed the keywords
// and values read here, never the URI itself.

#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace orva::components {

struct ServerUri {
    // libpq keywords with their decoded values, in the URI's order (user, password, host, port,
    // dbname, then the options; "ssl=true" becomes sslmode=require, as libpq reads it).
    std::vector<std::pair<std::string, std::string>> keywords;
};

// True for a text that starts with "postgresql://" or "postgres://" in any letter case, after any
// leading blanks or tabs.
bool IsPostgresUri(std::string_view text);

// What is wrong with uri as a server URI, naming the part (never its text), or "" when it reads.
std::string ServerUriProblem(std::string_view uri);

// The URI read as above. Raises 5 "<uri masked>: <problem>" when it does not read.
ServerUri ParseServerUri(std::string_view uri);

// A connection string fit for a message. For a server URI, every password in it is "***": the user
// information's, and the value of every option whose name reads as "password" in any letter case or
// percent-encoding. A URI that does not read strictly is masked generously (from the user
// information's ":" to its last "@", and a password option to the end). For another text, the value
// of each key/value "password=" is masked.
std::string MaskPassword(std::string_view connection);

// message (libpq's, or any text about uri) with every spelling of every password uri holds replaced by
// "***": as written in the URI, percent-decoded and percent-encoded, and the URI itself masked as
// above wherever message repeats it.
std::string MaskPassword(std::string_view message, std::string_view uri);

}  // namespace orva::components
