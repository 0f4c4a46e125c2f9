// Packet files on disk: exact round trips, crash-safe saving, and refusals that name the file.

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <unistd.h>

#include <bit>
#include <cmath>
#include <cstdio>
#include <fstream>
#include <limits>
#include <sstream>

#include "automation/AutomationError.h"
#include "automation/Text.h"
#include "bag/PacketFile.h"
#include "bag/Vector.h"
#include "support/TempDir.h"

namespace orva::components {
namespace {

using automation::AutomationError;
using automation::FromUtf8;
using automation::NullValue;
using automation::Text;
using automation::ToUtf8;
using automation::ToUtf8Lossy;
using automation::Variant;
using automation::VariantType;
namespace fs = std::filesystem;

Text PathText(const fs::path& path) { return FromUtf8(path.string()); }

std::string ReadBytes(const fs::path& path) {
    std::ifstream file(path, std::ios::binary);
    std::ostringstream content;
    content << file.rdbuf();
    return content.str();
}

// Names of everything in a folder, to show that no temporary file stayed behind.
std::vector<std::string> FolderContent(const fs::path& folder) {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

// Runs action, which must raise number, and returns the description.
template <typename Action>
std::string ErrorOf(int32_t number, Action action) {
    try {
        action();
    } catch (const AutomationError& error) {
        EXPECT_EQ(error.Number(), number) << ToUtf8Lossy(error.Description());
        return ToUtf8Lossy(error.Description());
    }
    ADD_FAILURE() << "no error raised";
    return {};
}

DictionaryRef DeploymentEntry(const Text& name, int index) {
    DictionaryRef entry = Dictionary::Create();
    Text id = FromUtf8(std::to_string(100 + index));
    entry->SetValue(u"FTopClassID", id);
    entry->SetValue(u"FTopClassName", u"供应链");
    entry->SetValue(u"FSubSystemID", u"12");
    entry->SetValue(u"FSubSystemName", u"采购管理");
    entry->SetValue(u"FSubFuncID", u"-1");
    entry->SetValue(u"FSubFuncName", u"基础资料");
    entry->SetValue(u"NewName", name);
    entry->SetValue(u"FFuncName", name);
    entry->SetValue(u"FClassName", u"OrvaHost.Application");
    entry->SetValue(u"FClassParam", u"Bill|" + id);
    entry->SetValue(u"FHelpCode", u"");
    entry->SetValue(u"No", u"[" + name + u"] 发布到: [供应链.采购管理.基础资料]");
    return entry;
}

DictionaryRef PacketSet() {
    DictionaryRef set = Dictionary::Create();
    for (const char16_t* language : {u"CHS", u"CHT", u"EN"}) {
        VectorRef packet = Vector::Create();
        for (int i = 0; i < 3; ++i) packet->Add(DeploymentEntry(Text(language) + u" 采购订单-维护", i));
        set->SetValue(language, packet);
    }
    return set;
}

// Compares two values deeply: types, values (doubles bit for bit), key spellings and order.
void ExpectSame(const Variant& expected, const Variant& actual, const std::string& where) {
    SCOPED_TRACE(where);
    ASSERT_EQ(expected.Type(), actual.Type());
    if (expected.Type() == VariantType::Double) {
        EXPECT_EQ(std::bit_cast<uint64_t>(expected.ToDouble()), std::bit_cast<uint64_t>(actual.ToDouble()));
        return;
    }
    if (!expected.IsObject()) {
        EXPECT_EQ(expected, actual);
        return;
    }
    if (auto dictionary = std::dynamic_pointer_cast<Dictionary>(expected.ToObject())) {
        DictionaryRef loaded = AsDictionary(actual);
        ASSERT_EQ(dictionary->Count(), loaded->Count());
        for (int32_t i = 1; i <= dictionary->Count(); ++i) {
            ASSERT_EQ(dictionary->Key(i), loaded->Key(i));
            ExpectSame(dictionary->Value(dictionary->Key(i)), loaded->Value(loaded->Key(i)),
                       where + "/" + ToUtf8Lossy(dictionary->Key(i)));
        }
        return;
    }
    VectorRef vector = AsVector(expected);
    VectorRef loaded = AsVector(actual);
    ASSERT_EQ(vector->Count(), loaded->Count());
    for (int32_t i = 1; i <= vector->Count(); ++i) {
        ExpectSame(vector->Item(i), loaded->Item(i), where + "[" + std::to_string(i) + "]");
    }
}

class Probe : public automation::Object {
public:
    Text TypeName() const override { return u"Probe"; }
};

TEST(PacketFile, RestoresNestedDictionariesAndVectorsExactly) {
    testing::TempDir folder;
    DictionaryRef root = PacketSet();
    DictionaryRef values = Dictionary::Create();
    // Insertion order that no sorting would give, and spellings that must survive.
    values->SetValue(u"zeta", u"last letter first");
    values->SetValue(u"nO", Variant());
    values->SetValue(u"Äpfel", Variant(NullValue{}));
    values->SetValue(u"", true);
    values->SetValue(u"false", false);
    values->SetValue(u"long", Variant(std::numeric_limits<int32_t>::min()));
    values->SetValue(u"max", Variant(std::numeric_limits<int32_t>::max()));
    values->SetValue(u"tiny", Variant(1e-300));
    values->SetValue(u"negativeZero", Variant(-0.0));
    values->SetValue(u"infinity", Variant(-std::numeric_limits<double>::infinity()));
    values->SetValue(u"nan", Variant(std::numeric_limits<double>::quiet_NaN()));
    values->SetValue(u"tenth", Variant(0.1));
    values->SetValue(u"emoji", Text(u"繁體 \U0001F600 ok"));
    values->SetValue(u"padded", Text(300, u'名') + u"  ");
    values->SetValue(u"keyed", Variant::Padded(u"科目-维护", 255, u"Base|1001"));
    values->SetValue(u"empty", Text());
    VectorRef nested = Vector::Create();
    nested->Add(Vector::Create());
    nested->Add(Dictionary::Create());
    VectorRef inner = Vector::Create();
    inner->Add(Variant(int32_t{1}));
    inner->Add(u"two");
    nested->Add(inner);
    values->SetValue(u"nested", nested);
    root->SetValue(u"Values", values);
    // Maps with a key at the same place as the map before, shared or spelled alike or not: each keeps
    // its own spelling.
    VectorRef rows = Vector::Create();
    const SharedText shared(Text(u"FName"));
    for (const char16_t* second : {u"No", u"No", u"NO", u"Na", u"No"}) {
        DictionaryRef row = Dictionary::Create();
        row->AppendUnique(shared, Text(second));
        row->SetValue(second, u"x");
        rows->Add(row);
    }
    root->SetValue(u"Rows", rows);

    fs::path file = folder / "DeployFunction.Dat";
    SavePacketFile(PathText(file), *root);
    DictionaryRef loaded = LoadPacketFile(PathText(file));
    ExpectSame(Variant(root), Variant(loaded), "$");
    EXPECT_EQ(EncodePacket(*loaded), ReadBytes(file));
}

TEST(PacketFile, WritesIntegersAndNothingInTheirPortableForm) {
    DictionaryRef root = Dictionary::Create();
    root->SetValue(u"short", Variant(int16_t{-7}));
    root->SetValue(u"nothing", Variant(nullptr));
    DictionaryRef loaded = DecodePacket(EncodePacket(*root), u"memory");
    EXPECT_EQ(loaded->Value(u"short"), Variant(int32_t{-7}));
    EXPECT_TRUE(loaded->Value(u"nothing").IsEmpty());
    EXPECT_EQ(loaded->Value(u"nothing").ToObject(), nullptr);
}

TEST(PacketFile, StartsWithTheSelfDescribeTagAndTheEnvelope) {
    std::string bytes = EncodePacket(*Dictionary::Create());
    std::string expected(
        "\xD9\xD9\xF7\xA3\x66"
        "format\x6A"
        "OrvaPacket\x67"
        "version\x01\x64"
        "root\xA0");
    EXPECT_EQ(bytes, expected);
}

TEST(PacketFile, WritesEachTextWithTheShortestHeadOfItsUtf8Length) {
    using namespace std::string_view_literals;
    // Texts are converted in one pass with room for their longest form (3 bytes a unit): the head is
    // the one of the length they come to, also where the room would have needed a longer one.
    const std::pair<Text, std::string_view> cases[] = {
        {Text(), "\x60"sv},
        {Text(23, u'a'), "\x77"sv},
        {Text(24, u'a'), "\x78\x18"sv},
        {Text(7, u'名') + u"ab", "\x77"sv},
        {Text(8, u'名'), "\x78\x18"sv},
        {Text(u"\U0001F600"), "\x64"sv},
        {Text(127, u'é') + u"a", "\x78\xFF"sv},
        {Text(128, u'é'), "\x79\x01\x00"sv},
        {Text(21845, u'名'), "\x79\xFF\xFF"sv},
        {Text(21845, u'名') + u"a", "\x7A\x00\x01\x00\x00"sv},
    };
    std::string prefix = EncodePacket(*Dictionary::Create());
    prefix.back() = '\xA1';  // the root map holds one entry, "t"
    prefix += "\x61t";
    for (const auto& [text, head] : cases) {
        SCOPED_TRACE(text.size());
        DictionaryRef root = Dictionary::Create();
        root->SetValue(u"t", text);
        EXPECT_EQ(EncodePacket(*root), prefix + std::string(head) + ToUtf8(text));
    }
}

TEST(PacketFile, CanBeReadByAnotherCborTool) {
    if (std::system("/usr/bin/python3 -c 'import cbor2' 2>/dev/null") != 0) {
        GTEST_SKIP() << "python3-cbor2 is not installed";
    }
    testing::TempDir folder;
    fs::path file = folder / "DeployFunction.Dat";
    DictionaryRef root = PacketSet();
    root->SetValue(u"Flags", Variant(true));
    SavePacketFile(PathText(file), *root);
    fs::path out = folder / "out.txt";
    std::string command =
        "PYTHONIOENCODING=utf-8 /usr/bin/python3 -c \"import cbor2,sys; "
        "d=cbor2.load(open(sys.argv[1],'rb')); "
        "r=d['root']; e=r['CHS'][1]; "
        "print(d['format'], d['version'], list(r), len(r['EN']), e['FFuncName'], list(e)[-1], "
        "r['Flags'])\" " +
        file.string() + " > " + out.string();
    ASSERT_EQ(std::system(command.c_str()), 0);
    EXPECT_EQ(ReadBytes(out), "OrvaPacket 1 ['CHS', 'CHT', 'EN', 'Flags'] 3 CHS 采购订单-维护 No True\n");
}

TEST(PacketFile, ReplacesAnEarlierFileAndLeavesNoTemporaryFile) {
    testing::TempDir folder;
    fs::path file = folder / "DeployFunction.Dat";
    SavePacketFile(PathText(file), *Dictionary::Create());
    DictionaryRef root = PacketSet();
    SavePacketFile(PathText(file), *root);
    EXPECT_EQ(ReadBytes(file), EncodePacket(*root));
    EXPECT_EQ(FolderContent(folder.Path()), std::vector<std::string>{"DeployFunction.Dat"});
}

TEST(PacketFile, ReplacementKeepsTheAccessRightsOfTheEarlierFile) {
    testing::TempDir folder;
    fs::path file = folder / "DeployFunction.Dat";
    SavePacketFile(PathText(file), *Dictionary::Create());
    fs::permissions(file, fs::perms::owner_read | fs::perms::owner_write);
    SavePacketFile(PathText(file), *PacketSet());
    EXPECT_EQ(fs::status(file).permissions(), fs::perms::owner_read | fs::perms::owner_write);
}

TEST(PacketFile, FailedSaveIntoAMissingFolderOrOverAFolderCreatesNothing) {
    testing::TempDir folder;
    fs::path missing = folder / "missing" / "DeployFunction.Dat";
    std::string error = ErrorOf(76, [&] { SavePacketFile(PathText(missing), *PacketSet()); });
    EXPECT_EQ(error.rfind(missing.string() + ": cannot create a temporary file", 0), 0u) << error;

    fs::create_directory(folder / "taken");
    ErrorOf(70, [&] { SavePacketFile(PathText(folder / "taken"), *PacketSet()); });
    EXPECT_TRUE(fs::is_directory(folder / "taken"));
    EXPECT_EQ(FolderContent(folder.Path()), std::vector<std::string>{"taken"});
}

TEST(PacketFile, FailedWriteLeavesTheEarlierFileUntouched) {
    // A file-size limit makes the write fail as a full disk would, also for root.
    testing::TempDir folder;
    fs::path file = folder / "DeployFunction.Dat";
    SavePacketFile(PathText(file), *Dictionary::Create());
    std::string earlier = ReadBytes(file);
    DictionaryRef big = Dictionary::Create();
    big->SetValue(u"text", Text(20000, u'x'));

    struct rlimit saved {};
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &saved), 0);
    struct rlimit small = saved;
    small.rlim_cur = 4096;
    auto previousHandler = signal(SIGXFSZ, SIG_IGN);
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
    std::string error = ErrorOf(57, [&] { SavePacketFile(PathText(file), *big); });
    setrlimit(RLIMIT_FSIZE, &saved);
    signal(SIGXFSZ, previousHandler);

    EXPECT_NE(error.find("cannot write the temporary file: File too large"), std::string::npos) << error;
    EXPECT_EQ(ReadBytes(file), earlier);
    EXPECT_EQ(FolderContent(folder.Path()), std::vector<std::string>{"DeployFunction.Dat"});
}

TEST(PacketFile, FailedSaveIntoAReadOnlyFolder) {
    if (geteuid() == 0) GTEST_SKIP() << "root ignores folder permissions";
    testing::TempDir folder;
    fs::path file = folder / "DeployFunction.Dat";
    SavePacketFile(PathText(file), *Dictionary::Create());
    std::string earlier = ReadBytes(file);
    fs::permissions(folder.Path(), fs::perms::owner_read | fs::perms::owner_exec);
    ErrorOf(70, [&] { SavePacketFile(PathText(file), *PacketSet()); });
    fs::permissions(folder.Path(), fs::perms::owner_all);
    EXPECT_EQ(ReadBytes(file), earlier);
    EXPECT_EQ(FolderContent(folder.Path()), std::vector<std::string>{"DeployFunction.Dat"});
}

TEST(PacketFile, RefusesToSaveALoneSurrogateRatherThanAlterTheText) {
    testing::TempDir folder;
    fs::path file = folder / "DeployFunction.Dat";
    DictionaryRef root = PacketSet();
    SavePacketFile(PathText(file), *root);
    std::string earlier = ReadBytes(file);

    DictionaryRef entry = AsDictionary(AsVector(root->Value(u"CHT"))->Item(2));
    entry->SetValue(u"FFuncName", Text(u"採購") + char16_t(0xD800) + u"單");
    std::string error = ErrorOf(5, [&] { SavePacketFile(PathText(file), *root); });
    EXPECT_EQ(error, file.string() +
                         ": the text at $/CHT[2]/FFuncName holds a lone UTF-16 surrogate at position 3 "
                         "and cannot be saved without altering it");
    EXPECT_EQ(ReadBytes(file), earlier);

    DictionaryRef badKey = Dictionary::Create();
    badKey->SetValue(Text(1, char16_t(0xDC00)), u"x");
    EXPECT_NE(ErrorOf(5, [&] { EncodePacket(*badKey); }).find("the key at $/"), std::string::npos);
    EXPECT_EQ(FolderContent(folder.Path()), std::vector<std::string>{"DeployFunction.Dat"});
}

TEST(PacketFile, RefusesValuesAPacketCannotHoldNamingTheKeyPath) {
    DictionaryRef root = PacketSet();
    DictionaryRef entry = AsDictionary(AsVector(root->Value(u"EN"))->Item(1));
    entry->SetValue(u"Args", Variant::Array({Variant(int32_t{1})}));
    EXPECT_NE(
        ErrorOf(13, [&] { EncodePacket(*root); }).find("the value at $/EN[1]/Args is an array of variants"),
        std::string::npos);
    entry->SetValue(u"Args", std::make_shared<Probe>());
    EXPECT_NE(ErrorOf(13, [&] { EncodePacket(*root); }).find("the value at $/EN[1]/Args is a Probe object"),
              std::string::npos);
}

TEST(PacketFile, RefusesToSaveACycleOrNestingDeeperThan64Levels) {
    DictionaryRef root = Dictionary::Create();
    VectorRef list = Vector::Create();
    root->SetValue(u"list", list);
    list->Add(root);
    EXPECT_NE(
        ErrorOf(13, [&] { EncodePacket(*root); }).find("$/list[1] is a Dictionary that contains itself"),
        std::string::npos);
    list->Clear();  // lets the cycle go

    // Level 64 is the deepest container a packet holds, as loading accepts it.
    DictionaryRef deep = Dictionary::Create();
    VectorRef innermost = Vector::Create();
    deep->SetValue(u"a", innermost);
    for (int level = 2; level <= 64; ++level) {
        VectorRef next = Vector::Create();
        innermost->Add(next);
        innermost = next;
    }
    EXPECT_EQ(DecodePacket(EncodePacket(*deep), u"memory")->Count(), 1);
    innermost->Add(Vector::Create());
    EXPECT_NE(ErrorOf(13, [&] { EncodePacket(*deep); }).find("nested deeper than 64 levels"),
              std::string::npos);
}

TEST(PacketFile, LoadNamesAMissingFileFolderOrForeignFile) {
    testing::TempDir folder;
    fs::path missing = folder / "DeployFunction.Dat";
    EXPECT_EQ(ErrorOf(53, [&] { LoadPacketFile(PathText(missing)); }), missing.string() + ": file not found");
    fs::path noFolder = folder / "gone" / "DeployFunction.Dat";
    EXPECT_EQ(ErrorOf(76, [&] { LoadPacketFile(PathText(noFolder)); }),
              noFolder.string() + ": path not found");
    ErrorOf(70, [&] { LoadPacketFile(PathText(folder.Path())); });
    EXPECT_EQ(ErrorOf(70, [&] { LoadPacketFile(u"/dev/zero"); }),
              "/dev/zero: it is a character device, not a regular file");

    fs::path json = folder / "packet.json";
    std::ofstream(json) << "{\"CHS\": []}";
    EXPECT_EQ(ErrorOf(321, [&] { LoadPacketFile(PathText(json)); }),
              json.string() +
                  ": not a packet file: it does not start with the CBOR self-describe tag 55799 at byte 0");
}

}  // namespace
}  // namespace orva::components
