// Every Chinese text the library writes must have a translation in every translation file: a text
// without one is shown untranslated to English and Traditional Chinese users. The test reads the
// u"..." literals of the sources and looks each one containing Chinese characters up in the files.

#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <set>
#include <sstream>
#include <string>

#include "automation/Text.h"
#include "services/PoCatalog.h"

namespace orva::hostctx {
namespace {

namespace fs = std::filesystem;
using automation::Text;

const fs::path kSourceDir = fs::path(ORVA_SOURCE_DIR) / "src";
const fs::path kTranslationsDir = fs::path(ORVA_SOURCE_DIR) / "data" / "translations";
const char* const kTranslationFiles[] = {"OrvaDesign.CHT.po", "OrvaDesign.EN.po"};

// Chinese literals that are not texts shown through the lookup, so no translation file needs them.
const std::set<Text> kNotLookedUp = {
    u"宋体",  // the dialogs' design font, a font family name
    u"維護",  // the CHT words of the wizard's functions' multi-language names, fixed there
    u"查詢",
};

bool HasChinese(const Text& text) {
    for (char16_t c : text) {
        if ((c >= 0x3400 && c <= 0x4DBF) || (c >= 0x4E00 && c <= 0x9FFF) || (c >= 0xF900 && c <= 0xFAFF)) {
            return true;
        }
    }
    return false;
}

struct Literal {
    Text text;
    std::string where;  // file:line
};

// Decodes the escapes a source literal may hold; returns false for one this reader does not know.
bool Unescape(const std::string& body, std::string& out) {
    for (size_t i = 0; i < body.size(); ++i) {
        if (body[i] != '\\') {
            out += body[i];
            continue;
        }
        if (++i >= body.size()) return false;
        switch (body[i]) {
            case 'n':
                out += '\n';
                break;
            case 't':
                out += '\t';
                break;
            case '"':
            case '\\':
            case '\'':
                out += body[i];
                break;
            default:
                return false;
        }
    }
    return true;
}

// The u"..." literals of one source file, skipping comments, character literals, raw strings and
// literals without the u prefix.
std::vector<Literal> Utf16Literals(const fs::path& file, std::vector<std::string>& problems) {
    std::ifstream in(file, std::ios::binary);
    std::stringstream buffer;
    buffer << in.rdbuf();
    const std::string source = buffer.str();
    std::vector<Literal> literals;
    size_t line = 1;
    auto where = [&] { return fs::relative(file, ORVA_SOURCE_DIR).string() + ":" + std::to_string(line); };
    for (size_t i = 0; i < source.size(); ++i) {
        char c = source[i];
        if (c == '\n') {
            ++line;
        } else if (source.compare(i, 2, "//") == 0) {
            while (i + 1 < source.size() && source[i + 1] != '\n') ++i;
        } else if (source.compare(i, 2, "/*") == 0) {
            size_t end = source.find("*/", i + 2);
            end = end == std::string::npos ? source.size() : end + 1;
            for (; i < end; ++i) line += source[i] == '\n';
        } else if (c == 'R' && i + 1 < source.size() && source[i + 1] == '"') {
            size_t open = source.find('(', i);
            std::string close = ")" + source.substr(i + 2, open - i - 2) + "\"";
            size_t end = source.find(close, open);
            end = end == std::string::npos ? source.size() : end + close.size() - 1;
            for (; i < end; ++i) line += source[i] == '\n';
        } else if (c == '\'' && i > 0 && std::isdigit(static_cast<unsigned char>(source[i - 1]))) {
            continue;  // a digit separator (1'000), not a character literal
        } else if (c == '"' || c == '\'') {
            bool utf16 =
                c == '"' && i > 0 && source[i - 1] == 'u' &&
                (i < 2 || !(std::isalnum(static_cast<unsigned char>(source[i - 2])) || source[i - 2] == '_'));
            size_t start = i + 1;
            size_t j = start;
            while (j < source.size() && source[j] != c && source[j] != '\n') j += source[j] == '\\' ? 2 : 1;
            std::string body = source.substr(start, j - start);
            i = j;
            if (!utf16) continue;
            std::string decoded;
            if (!Unescape(body, decoded)) {
                bool nonAscii = std::any_of(body.begin(), body.end(), [](char b) { return (b & 0x80) != 0; });
                if (nonAscii)
                    problems.push_back(where() + ": a Chinese literal with an escape this test cannot read");
                continue;
            }
            try {
                literals.push_back({automation::FromUtf8(decoded), where()});
            } catch (...) {
                problems.push_back(where() + ": literal is not UTF-8");
            }
        }
    }
    return literals;
}

TEST(TranslationCoverage, EveryChineseTextOfTheSourcesHasATranslationInEveryFile) {
    std::vector<std::shared_ptr<const components::PoCatalog>> catalogs;
    for (const char* name : kTranslationFiles)
        catalogs.push_back(components::PoCatalog::Read(kTranslationsDir / name));

    std::vector<std::string> problems;
    size_t checked = 0;
    for (const auto& entry : fs::recursive_directory_iterator(kSourceDir)) {
        std::string extension = entry.path().extension().string();
        if (!entry.is_regular_file() || (extension != ".h" && extension != ".cpp")) continue;
        for (const Literal& literal : Utf16Literals(entry.path(), problems)) {
            if (!HasChinese(literal.text) || kNotLookedUp.contains(literal.text)) continue;
            ++checked;
            for (size_t k = 0; k < catalogs.size(); ++k) {
                if (catalogs[k]->Find(literal.text) == nullptr) {
                    problems.push_back(literal.where + ": \"" + automation::ToUtf8(literal.text) +
                                       "\" has no entry in " + kTranslationFiles[k]);
                }
            }
        }
    }
    for (const std::string& problem : problems) ADD_FAILURE() << problem;
    EXPECT_GT(checked, 0u) << "no Chinese text found in " << kSourceDir;
}

TEST(TranslationCoverage, LiteralReaderSkipsCommentsAndFindsOnlyUtf16Literals) {
    fs::path file = fs::temp_directory_path() / ("orva-literals-" + std::to_string(::getpid()) + ".cpp");
    std::ofstream(file)
        << "// u\"注释\"\n/* u\"块\" */ auto a = u\"发布\"; auto b = \"发布2\";\n"
           "auto c = u\"引号\\\"内\"; char d = '\"'; auto e = R\"(u\"生\")\"; auto f = menu\"x\";\n";
    std::vector<std::string> problems;
    std::vector<Literal> literals = Utf16Literals(file, problems);
    fs::remove(file);
    ASSERT_EQ(literals.size(), 2u);
    EXPECT_EQ(literals[0].text, u"发布");
    EXPECT_EQ(literals[1].text, u"引号\"内");
    EXPECT_TRUE(literals[1].where.ends_with(":3"));
    EXPECT_TRUE(problems.empty());
}

TEST(TranslationCoverage, MsgfmtAcceptsEveryTranslationFile) {
    if (std::system("msgfmt --version > /dev/null 2>&1") != 0) GTEST_SKIP() << "msgfmt is not installed";
    for (const char* name : kTranslationFiles) {
        std::string command = "msgfmt --check -o /dev/null '" + (kTranslationsDir / name).string() + "'";
        EXPECT_EQ(std::system(command.c_str()), 0) << command;
    }
}

}  // namespace
}  // namespace orva::hostctx
