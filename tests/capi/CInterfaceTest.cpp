// The C interface: variants converted both ways, arguments written back by reference, errors as the
// library raised them, and creation by program ID through the loader and the registry.

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <fstream>

#include "api/ServerRegistration.h"
#include "automation/ClassRegistry.h"
#include "automation/MemberTable.h"
#include "capi/Probe.h"
#include "capi/VariantBridge.h"
#include "hostctx/Texts.h"
#include "services/PropertyStore.h"
#include "support/TempDir.h"

namespace orva::capi {
namespace {

using namespace automation;
namespace fs = std::filesystem;

constexpr const char16_t* kProbeId = u"Test.Probe";

struct ProbeObject {
    ScopedClassOverride override{kProbeId, [] { return std::make_shared<Probe>(); }};
    orva_object* handle = nullptr;
    orva_error error = ORVA_ERROR_INIT;
    ProbeObject() { EXPECT_EQ(OrvaCreateObject("test.probe", &handle, &error), 0); }
    ~ProbeObject() {
        orva_release(handle);
        orva_error_clear(&error);
    }
};

constexpr char16_t kWithNul[] = u"\u7B80\u4F53 and a \0 inside";

TEST(CInterface, VariantsCrossBothWaysUnchanged) {
    auto object = std::make_shared<Probe>();
    const Variant values[] = {
        Variant(),
        Variant(NullValue{}),
        Variant(true),
        Variant(static_cast<int16_t>(-32768)),
        Variant(static_cast<int32_t>(2147483647)),
        Variant(-0.25),
        Variant(Text(kWithNul, std::size(kWithNul) - 1)),
        Variant(Text()),
        Variant::Padded(u"总账", 255, u"101"),
        Variant(ObjectRef(object)),
        Variant(nullptr),
        Variant::Array({Variant(1), Variant::Array({Variant(u"nested"), Variant(ObjectRef(object))}, 1)}, -2),
        Variant::Array({}),
    };
    for (const Variant& value : values) {
        SCOPED_TRACE(ToUtf8(TypeNameOf(value)));
        orva_variant c = ORVA_VARIANT_INIT;
        ToCVariant(value, &c);
        orva_variant copy = ORVA_VARIANT_INIT;
        ASSERT_EQ(orva_variant_copy(&copy, &c), 0);
        orva_variant_clear(&c);  // the copy stands alone: its texts, arrays and handles are its own
        EXPECT_EQ(FromCVariant(copy, "value"), value);
        orva_variant_clear(&copy);
        EXPECT_EQ(copy.type, ORVA_VT_EMPTY);
    }
    // The test's own references: `object` and the two in `values`.
    EXPECT_EQ(object.use_count(), 3) << "every handle made on the way was released";
}

TEST(CInterface, ValuesTheLibraryCannotTakeAreRefusedNamingTheArgument) {
    ProbeObject probe;
    orva_variant args[1] = {ORVA_VARIANT_INIT};
    struct Case {
        const char* what;
        void (*make)(orva_variant*);
        int32_t number;
        const char* named;
    };
    const Case cases[] = {
        {"invalid UTF-8", [](orva_variant* v) { orva_variant_set_text(v, "\xC3\x28"); }, 5, "argument 1"},
        {"unknown type", [](orva_variant* v) { v->type = 42; }, 5, "unknown variant type 42"},
        {"array item",
         [](orva_variant* v) {
             orva_variant_set_array(v, 2, 0);
             orva_variant_set_text(&v->value.array.items[1], "\xFF");
         },
         5, "argument 1, item 1"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        c.make(&args[0]);
        EXPECT_EQ(orva_invoke(probe.handle, "Echo", ORVA_CALL_METHOD, args, 1, nullptr, &probe.error),
                  c.number);
        EXPECT_NE(std::strstr(probe.error.description, c.named), nullptr) << probe.error.description;
        if (args[0].type == 42) args[0].type = ORVA_VT_EMPTY;
        orva_variant_clear(&args[0]);
    }
    // A handle another library made (its function table is not this library's).
    orva_object_functions foreignFunctions{};
    orva_object foreign{ORVA_HANDLE_LIVE, &foreignFunctions};
    args[0].type = ORVA_VT_OBJECT;
    args[0].value.object = &foreign;
    EXPECT_EQ(orva_invoke(probe.handle, "Echo", ORVA_CALL_METHOD, args, 1, nullptr, &probe.error), 13);
}

TEST(CInterface, ChangedArgumentsAreWrittenBackAndTheOthersLeftAsTheCallerMadeThem) {
    ProbeObject probe;
    orva_object* kept = nullptr;
    ASSERT_EQ(OrvaCreateObject("test.probe", &kept, &probe.error), 0);
    orva_variant args[3] = {ORVA_VARIANT_INIT, ORVA_VARIANT_INIT, ORVA_VARIANT_INIT};
    orva_variant_set_int32(&args[0], 41);
    orva_variant_set_text(&args[1], "replaced");
    orva_variant_set_object(&args[2], kept);
    orva_variant result = ORVA_VARIANT_INIT;

    ASSERT_EQ(orva_invoke(probe.handle, "bump", ORVA_CALL_METHOD, args, 3, &result, &probe.error), 0);
    EXPECT_EQ(result.type, ORVA_VT_INT32);
    EXPECT_EQ(result.value.int32, 3);
    EXPECT_EQ(args[0].value.int32, 42);
    ASSERT_EQ(args[1].type, ORVA_VT_TEXT);
    EXPECT_STREQ(args[1].value.text.data, "written \xE4\xB8\xAD");
    EXPECT_EQ(args[1].value.text.length, std::strlen("written \xE4\xB8\xAD"));
    EXPECT_EQ(args[2].value.object, kept) << "an unchanged handle is the caller's own";
    for (orva_variant& arg : args) orva_variant_clear(&arg);
    orva_variant_clear(&result);
}

TEST(CInterface, ErrorsCarryNumberDescriptionAndSourceAsRaised) {
    ProbeObject probe;
    orva_variant one = ORVA_VARIANT_INIT;
    struct Case {
        const char* member;
        int32_t kind;  // an orva_call_kind, or a value outside it
        int32_t argCount;
        int32_t number;
        const char* description;
        const char* source;
    };
    // An error that names its source keeps it; the library's own name the class and member that
    // raised them, or the C function when no member was reached.
    const Case cases[] = {
        {"Fail", ORVA_CALL_METHOD, 0, -2147467259, "account.db: database is locked",
         "OrvaData.CatalogWriter"},
        {"Missing", ORVA_CALL_METHOD, 0, 438, "Object doesn't support this property or method: Probe.Missing",
         "Probe.Missing"},
        {"", ORVA_CALL_METHOD, 0, 438, "Probe.(default)", "Probe.(default)"},
        {"Echo", ORVA_CALL_METHOD, 0, 450,
         "Wrong number of arguments or invalid property assignment: Probe.Echo "
         "takes 1 argument, not 0",
         "Probe.Echo"},
        {"bump", ORVA_CALL_METHOD, 1, 450, "Probe.Bump takes 3 arguments, not 1", "Probe.Bump"},
        {"Value", ORVA_CALL_PROPERTY_LET, 0, 450, "Probe.Value takes 1 argument, not 0", "Probe.Value"},
        {"Value", 9, 0, 5, "Unknown call kind 9", "orva_invoke"},
        {"Echo", ORVA_CALL_METHOD, -1, 5, "argument count", "orva_invoke"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.member);
        orva_variant result = ORVA_VARIANT_INIT;
        orva_variant_set_int32(&result, 7);
        EXPECT_EQ(orva_invoke(probe.handle, c.member, c.kind, c.argCount > 0 ? &one : nullptr, c.argCount,
                              &result, &probe.error),
                  c.number);
        EXPECT_EQ(probe.error.number, c.number);
        EXPECT_NE(std::strstr(probe.error.description, c.description), nullptr) << probe.error.description;
        EXPECT_STREQ(probe.error.source, c.source);
        EXPECT_EQ(result.type, ORVA_VT_EMPTY) << "a failed call leaves no result";
    }
    // A later success clears the error it is given.
    orva_variant value = ORVA_VARIANT_INIT;
    orva_variant_set_int32(&value, 12);
    EXPECT_EQ(orva_invoke(probe.handle, "Value", ORVA_CALL_PROPERTY_LET, &value, 1, nullptr, &probe.error),
              0);
    EXPECT_EQ(probe.error.number, 0);
    EXPECT_EQ(probe.error.description, nullptr);
    EXPECT_EQ(orva_invoke(probe.handle, "Value", ORVA_CALL_PROPERTY_GET, nullptr, 0, &value, &probe.error),
              0);
    EXPECT_EQ(value.value.int32, 12);
}

TEST(CInterface, PublishingALanguageOutsideTheThreeIsRefusedNamingTheValue) {
    ProbeObject probe;
    orva_variant value = ORVA_VARIANT_INIT;
    orva_variant_set_text(&value, "CHT");
    ASSERT_EQ(orva_publish_property(probe.handle, "Language", &value, &probe.error), 0);
    struct Case {
        const char* what;
        void (*make)(orva_variant*);
        const char* refusal;  // nullptr: published
    };
    const Case cases[] = {
        {"English", [](orva_variant* v) { orva_variant_set_text(v, "EN"); }, nullptr},
        {"any letter case", [](orva_variant* v) { orva_variant_set_text(v, "chs"); }, nullptr},
        {"another language", [](orva_variant* v) { orva_variant_set_text(v, "FR"); },
         "The property Language takes CHS, CHT or EN, not \"FR\""},
        {"blanks around", [](orva_variant* v) { orva_variant_set_text(v, " EN"); }, "not \" EN\""},
        {"empty text", [](orva_variant* v) { orva_variant_set_text(v, ""); }, "not \"\""},
        {"a NUL inside", [](orva_variant* v) { orva_variant_set_text_n(v, "EN\0X", 4); },
         "CHS, CHT or EN, not"},
        {"a number", [](orva_variant* v) { orva_variant_set_int32(v, 2052); },
         "The property Language takes the text CHS, CHT or EN, not a value of type Long"},
        {"empty", [](orva_variant* v) { orva_variant_clear(v); }, "not a value of type Empty"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        c.make(&value);
        Variant before = components::SharedPropertyTable::Instance().Get(getpid(), u"Language");
        int32_t status = orva_publish_property(probe.handle, "language", &value, &probe.error);
        if (!c.refusal) {
            EXPECT_EQ(status, 0) << (probe.error.description ? probe.error.description : "");
            continue;
        }
        EXPECT_EQ(status, 5);
        EXPECT_NE(std::strstr(probe.error.description, c.refusal), nullptr) << probe.error.description;
        EXPECT_STREQ(probe.error.source, "orva_publish_property");
        EXPECT_EQ(components::SharedPropertyTable::Instance().Get(getpid(), u"Language"), before)
            << "nothing is published";
    }
    orva_variant_clear(&value);
}

TEST(CInterface, CreationThroughTheRegistryAndItsClearFailures) {
    testing::TempDir dir;
    fs::path folder = dir / "registry";
    const char* saved = std::getenv("ORVA_REGISTRY");
    std::string previous = saved ? saved : "";
    setenv("ORVA_REGISTRY", folder.c_str(), 1);
    api::RegisterServer(folder, api::RegisteredLibraryPath());
    std::ofstream(folder / "test.gone.entry")
        << "OrvaRegistryEntry/1\nProgID=Test.Gone\nLibrary=" << (dir / "libGone.so.0").string() << "\n";
    std::ofstream(folder / "test.broken.entry") << "ProgID=Test.Broken\n";
    for (const char* name : {"test.gone.entry", "test.broken.entry"}) {
        fs::permissions(folder / name, fs::perms(0644));  // whatever the umask: these fail for their text
    }

    struct Case {
        const char* progId;
        int32_t number;
        const char* described;
    };
    const Case cases[] = {
        {"OrvaClassDeploy.clsPromulgator", 0, nullptr},
        {"orvaclassdeploy.CLSDEPLOYWIZARD", 0, nullptr},
        {"Nobody.Registered", 429, "Nobody.Registered is not registered"},
        {"Test.Gone", 429, "libGone.so.0 named by the registry entry"},
        {"Test.Broken", 429, "not a registry entry"},
        {"../registry/x", 5, "is not a program ID"},
        {"", 5, "is not a program ID"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.progId);
        orva_object* object = nullptr;
        orva_error error = ORVA_ERROR_INIT;
        EXPECT_EQ(orva_create_object(c.progId, &object, &error), c.number);
        EXPECT_EQ(object == nullptr, c.number != 0);
        if (c.described) {
            EXPECT_NE(std::strstr(error.description, c.described), nullptr) << error.description;
        }
        orva_release(object);
        orva_error_clear(&error);
    }

    // A created object answers calls by name across the boundary: a property let, then get.
    orva_object* promulgator = nullptr;
    orva_error error = ORVA_ERROR_INIT;
    ASSERT_EQ(orva_create_object("OrvaClassDeploy.clsPromulgator", &promulgator, &error), 0);
    orva_variant value = ORVA_VARIANT_INIT;
    orva_variant_set_text(&value, "12");
    EXPECT_EQ(orva_invoke(promulgator, "SubSystem", ORVA_CALL_PROPERTY_LET, &value, 1, nullptr, &error), 0);
    EXPECT_EQ(orva_invoke(promulgator, "SubSystem", ORVA_CALL_PROPERTY_GET, nullptr, 0, &value, &error), 0);
    EXPECT_EQ(value.type, ORVA_VT_INT32);
    EXPECT_EQ(value.value.int32, 12);

    // Property-bag objects come from the same library, beside an object of it, without the registry.
    orva_object* vector = nullptr;
    ASSERT_EQ(orva_create_object_beside(promulgator, "Nexo.Vector", &vector, &error), 0);
    EXPECT_EQ(orva_invoke(vector, "Add", ORVA_CALL_METHOD, &value, 1, nullptr, &error), 0);
    EXPECT_EQ(orva_invoke(vector, "Count", ORVA_CALL_PROPERTY_GET, nullptr, 0, &value, &error), 0);
    EXPECT_EQ(value.value.int32, 1);
    orva_release(vector);
    // A class the library does not have: the registry folders where other libraries' classes are found.
    EXPECT_EQ(orva_create_object_beside(promulgator, "Nexo.Nothing", &vector, &error), 429);
    EXPECT_EQ(vector, nullptr);
    EXPECT_NE(std::strstr(error.description,
                          ("Nexo.Nothing is not a class of " + api::RegisteredLibraryPath().string() +
                           " (orva_create_object finds the classes of other libraries in the "
                           "registry folders " +
                           folder.string() + ")")
                              .c_str()),
              nullptr)
        << error.description;
    EXPECT_STREQ(error.source, "OrvaClassDeploy");

    // A thread that served one login learns the next one's language after orva_reset_thread_state;
    // the property is published past the C interface, which would reset the thread itself.
    components::PublishOwnProperty(u"Language", Variant(u"CHT"));
    hostctx::ResetModuleState();
    EXPECT_EQ(hostctx::LearnCurrentLanguage(), u"CHT");
    components::PublishOwnProperty(u"Language", Variant(u"EN"));
    EXPECT_EQ(hostctx::LearnCurrentLanguage(), u"CHT") << "kept for the thread until it is reset";
    orva_reset_thread_state();
    EXPECT_EQ(hostctx::CurrentLanguage(), u"");
    EXPECT_EQ(hostctx::LearnCurrentLanguage(), u"EN");
    orva_release(promulgator);
    EXPECT_EQ(orva_invoke(nullptr, "SubSystem", ORVA_CALL_PROPERTY_GET, nullptr, 0, &value, &error), 91);
    orva_error_clear(&error);

    if (saved) {
        setenv("ORVA_REGISTRY", previous.c_str(), 1);
    } else {
        unsetenv("ORVA_REGISTRY");
    }
}

}  // namespace
}  // namespace orva::capi
