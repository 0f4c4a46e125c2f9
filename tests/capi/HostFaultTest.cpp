// What a careless or hostile host can pass through the C interface: texts that would be cut short on
// their way to the system, arrays nested without end, and handles used after their release or forged.

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>

#include "automation/ClassRegistry.h"
#include "capi/Probe.h"
#include "capi/VariantBridge.h"
#include "support/TempDir.h"

namespace orva::capi {
namespace {

using namespace automation;
namespace fs = std::filesystem;

struct Host {
    orva_error error = ORVA_ERROR_INIT;
    ~Host() { orva_error_clear(&error); }
    orva_object* Create(const char* progId) {
        orva_object* object = nullptr;
        EXPECT_EQ(OrvaCreateObject(progId, &object, &error), 0) << progId;
        return object;
    }
    std::string Described() const { return error.description ? error.description : ""; }
};

// Sets v to an array nested depth levels deep whose innermost item is the text "deep".
void MakeNested(orva_variant* v, int depth) {
    for (int level = 0; level < depth; ++level) {
        ASSERT_EQ(orva_variant_set_array(v, 1, 0), 0);
        v = &v->value.array.items[0];
    }
    orva_variant_set_text(v, "deep");
}

orva_variant Text8(const std::string& bytes) {
    orva_variant v = ORVA_VARIANT_INIT;
    orva_variant_set_text_n(&v, bytes.data(), bytes.size());
    return v;
}

TEST(HostFaults, ANulInATextThatNamesAFileIsRefusedNotCutShort) {
    testing::TempDir dir;
    fs::path folder = dir / "账套" / "部署";
    fs::create_directories(folder);
    const std::string base = (folder / "功能.Dat").string();
    Host host;
    orva_object* saved = host.Create("Nexo.Dictionary");
    orva_variant entry[2] = {Text8("CHS"), Text8("值")};
    ASSERT_EQ(orva_invoke(saved, "Value", ORVA_CALL_PROPERTY_LET, entry, 2, nullptr, &host.error), 0);
    orva_variant file = Text8(base);
    ASSERT_EQ(orva_invoke(saved, "Save", ORVA_CALL_METHOD, &file, 1, nullptr, &host.error), 0);
    orva_variant_clear(&file);
    for (orva_variant& v : entry) orva_variant_clear(&v);

    orva_object* wizard = host.Create("OrvaClassDeploy.clsDeploywizard");
    orva_object* loaded = host.Create("Nexo.Dictionary");
    // Each call names a file that exists (or a place that may be written) before the NUL, and
    // something else after it: cut at the NUL it would act on the first.
    struct Case {
        const char* what;
        orva_object* object;
        const char* member;
        std::string path;
        bool dictionaryFirst;  // DeployToFile takes the dictionary, then the folder
        fs::path mustNotExist;
    };
    const std::string nul("\0", 1);
    const Case cases[] = {
        {"DeployToLumoMain", wizard, "DeployToLumoMain", base + nul + "/etc/passwd", false, {}},
        {"DeployToFile", wizard, "DeployToFile", (folder / "出").string() + nul + "/x/", true, folder / "出"},
        {"Save", saved, "Save", (folder / "另存.Dat").string() + nul + ".evil", false, folder / "另存.Dat"},
        {"Load", loaded, "Load", base + nul + "x", false, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        orva_variant args[2] = {ORVA_VARIANT_INIT, ORVA_VARIANT_INIT};
        int32_t count = 1;
        if (c.dictionaryFirst) {
            orva_object* result = nullptr;
            ASSERT_EQ(orva_create_object_beside(saved, "Nexo.Dictionary", &result, &host.error), 0);
            orva_variant_set_object(&args[0], result);
            args[1] = Text8(c.path);
            count = 2;
        } else {
            args[0] = Text8(c.path);
        }
        orva_variant result = ORVA_VARIANT_INIT;
        EXPECT_EQ(orva_invoke(c.object, c.member, ORVA_CALL_METHOD, args, count, &result, &host.error), 5);
        EXPECT_NE(host.Described().find("holds a NUL character"), std::string::npos) << host.Described();
        EXPECT_NE(host.Described().find("\\0"), std::string::npos) << "the NUL is shown, not cut";
        if (!c.mustNotExist.empty()) {
            EXPECT_FALSE(fs::exists(c.mustNotExist));
        }
        for (orva_variant& v : args) orva_variant_clear(&v);
        orva_variant_clear(&result);
    }
    // Nothing was loaded through the shortened name.
    orva_variant count = ORVA_VARIANT_INIT;
    ASSERT_EQ(orva_invoke(loaded, "Count", ORVA_CALL_PROPERTY_GET, nullptr, 0, &count, &host.error), 0);
    EXPECT_EQ(count.value.int32, 0);

    // As data a NUL is kept whole: a key and a value holding one survive a save and a load.
    orva_variant pair[2] = {Text8("k" + nul + "ey"), Text8("va" + nul + "lue")};
    ASSERT_EQ(orva_invoke(loaded, "Value", ORVA_CALL_PROPERTY_LET, pair, 2, nullptr, &host.error), 0);
    orva_variant other = Text8((folder / "数据.Dat").string());
    ASSERT_EQ(orva_invoke(loaded, "Save", ORVA_CALL_METHOD, &other, 1, nullptr, &host.error), 0);
    orva_object* back = host.Create("Nexo.Dictionary");
    ASSERT_EQ(orva_invoke(back, "Load", ORVA_CALL_METHOD, &other, 1, nullptr, &host.error), 0);
    orva_variant value = ORVA_VARIANT_INIT;
    ASSERT_EQ(orva_invoke(back, "Value", ORVA_CALL_PROPERTY_GET, pair, 1, &value, &host.error), 0);
    EXPECT_EQ(std::string(value.value.text.data, value.value.text.length), "va" + nul + "lue");
    for (orva_variant* v : {&pair[0], &pair[1], &other, &value}) orva_variant_clear(v);
    for (orva_object* object : {saved, wizard, loaded, back}) orva_release(object);
}

TEST(HostFaults, ArraysNestedBeyondTheLimitAreRefusedAtAnyDepthWithoutExhaustingTheStack) {
    ScopedClassOverride echo{u"Test.Echo", [] { return std::make_shared<Probe>(); }};
    Host host;
    orva_object* object = host.Create("Test.Echo");
    struct Case {
        int depth;
        int32_t invoked;  // orva_invoke's answer
        int32_t copied;   // orva_variant_copy's answer
    };
    // 300,000 levels: a recursive conversion or clear would run out of stack long before.
    const Case cases[] = {
        {1, 0, 0}, {ORVA_MAX_ARRAY_DEPTH, 0, 0}, {ORVA_MAX_ARRAY_DEPTH + 1, 5, 5}, {300000, 5, 5}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.depth);
        orva_variant arg = ORVA_VARIANT_INIT;
        MakeNested(&arg, c.depth);
        orva_variant result = ORVA_VARIANT_INIT;
        EXPECT_EQ(orva_invoke(object, "Echo", ORVA_CALL_METHOD, &arg, 1, &result, &host.error), c.invoked);
        if (c.invoked == 0) {
            const orva_variant* inner = &result;
            for (int level = 0; level < c.depth; ++level) inner = &inner->value.array.items[0];
            EXPECT_STREQ(inner->value.text.data, "deep");
        } else {
            EXPECT_NE(host.Described().find("argument 1, item 0"), std::string::npos) << host.Described();
            EXPECT_NE(host.Described().find("more than 64 levels"), std::string::npos) << host.Described();
            EXPECT_LT(host.Described().size(), 64u * 10 + 100) << "the message does not grow with the depth";
        }
        orva_variant copy = ORVA_VARIANT_INIT;
        EXPECT_EQ(orva_variant_copy(&copy, &arg), c.copied);
        EXPECT_EQ(copy.type, c.copied == 0 ? ORVA_VT_ARRAY : ORVA_VT_EMPTY);
        for (orva_variant* v : {&arg, &result, &copy}) {
            orva_variant_clear(v);
            EXPECT_EQ(v->type, ORVA_VT_EMPTY);
        }
    }
    orva_release(object);
}

TEST(HostFaults, ReleasedAndForgedHandlesFailWith91InsteadOfBeingFollowed) {
    auto probe = std::make_shared<Probe>();
    ScopedClassOverride echo{u"Test.Echo", [&] { return probe; }};
    Host host;
    orva_object* live = host.Create("Test.Echo");
    orva_object* released = host.Create("Test.Echo");
    EXPECT_EQ(probe.use_count(), 3);
    orva_release(released);
    EXPECT_EQ(probe.use_count(), 2) << "the first release drops the reference";
    orva_release(released);  // the second finds the mark and does nothing
    EXPECT_EQ(probe.use_count(), 2);
    // Readable memory of the host's own that never was a handle.
    alignas(orva_object) unsigned char forgedBytes[64];
    std::memset(forgedBytes, 0xAB, sizeof forgedBytes);
    auto* forged = reinterpret_cast<orva_object*>(forgedBytes);

    for (orva_object* bad : {released, forged}) {
        SCOPED_TRACE(bad == released ? "released" : "forged");
        orva_variant arg = ORVA_VARIANT_INIT;
        orva_variant_set_int32(&arg, 1);
        struct Call {
            const char* what;
            int32_t (*run)(orva_object* bad, orva_object* live, orva_variant* arg, orva_error* error);
            const char* described;
        };
        const Call calls[] = {
            {"invoke",
             [](orva_object* b, orva_object*, orva_variant* a, orva_error* e) {
                 return orva_invoke(b, "Echo", ORVA_CALL_METHOD, a, 1, nullptr, e);
             },
             "released or is not an object handle"},
            {"publish",
             [](orva_object* b, orva_object*, orva_variant* a, orva_error* e) {
                 return orva_publish_property(b, "Language", a, e);
             },
             "released or is not an object handle"},
            {"beside",
             [](orva_object* b, orva_object*, orva_variant*, orva_error* e) {
                 orva_object* made = nullptr;
                 return orva_create_object_beside(b, "Nexo.Vector", &made, e);
             },
             "released or is not an object handle"},
            {"as an argument",
             [](orva_object* b, orva_object* l, orva_variant*, orva_error* e) {
                 orva_variant handle = ORVA_VARIANT_INIT;
                 handle.type = ORVA_VT_OBJECT;
                 handle.value.object = b;
                 return orva_invoke(l, "Echo", ORVA_CALL_METHOD, &handle, 1, nullptr, e);
             },
             "argument 1: Object variable"},
        };
        for (const Call& call : calls) {
            SCOPED_TRACE(call.what);
            EXPECT_EQ(call.run(bad, live, &arg, &host.error), 91);
            EXPECT_NE(host.Described().find(call.described), std::string::npos) << host.Described();
        }
        // A variant holding it is neither copied nor released through it.
        orva_variant holder = ORVA_VARIANT_INIT;
        holder.type = ORVA_VT_OBJECT;
        holder.value.object = bad;
        orva_variant copy = ORVA_VARIANT_INIT;
        EXPECT_EQ(orva_variant_copy(&copy, &holder), 91);
        orva_variant_clear(&holder);
        orva_release(bad);
    }
    // The live handle was not disturbed by any of it.
    orva_variant arg = ORVA_VARIANT_INIT;
    orva_variant_set_int32(&arg, 7);
    orva_variant result = ORVA_VARIANT_INIT;
    EXPECT_EQ(orva_invoke(live, "Echo", ORVA_CALL_METHOD, &arg, 1, &result, &host.error), 0);
    EXPECT_EQ(result.value.int32, 7);
    orva_release(live);
    EXPECT_EQ(probe.use_count(), 1);
}

}  // namespace
}  // namespace orva::capi
