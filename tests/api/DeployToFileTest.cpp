#include <gtest/gtest.h>

#include <filesystem>

#include "api/clsDeploywizard.h"
#include "automation/ClassRegistry.h"
#include "automation/PendingError.h"
#include "bag/Dictionary.h"
#include "bag/Vector.h"
#include "services/LibraryLocation.h"
#include "support/TempDir.h"

namespace orva::api {
namespace {

using namespace automation;
using namespace components;

DictionaryRef SmallPacketSet() {
    auto packetSet = Dictionary::Create();
    for (const char16_t* language : {u"CHS", u"CHT", u"EN"}) packetSet->SetValue(language, Vector::Create());
    return packetSet;
}

TEST(DeployToFile, IsReachableByProgIdAndWritesIntoTheGivenFolder) {
    orva::testing::TempDir dir;
    ObjectRef wizard = CreateObject(u"OrvaClassDeploy.clsDeploywizard");
    Text folder = FromUtf8(dir.Path().string());
    Variant path = CallMethod(wizard, u"DeployToFile", {SmallPacketSet(), folder});
    EXPECT_EQ(path.ToText(), folder + u"/DeployFunction.Dat");
    EXPECT_TRUE(std::filesystem::exists(dir / "DeployFunction.Dat"));
    auto loaded = Dictionary::Create();
    loaded->Load(path.ToText());
    EXPECT_EQ(loaded->Count(), 3);
}

TEST(DeployToFile, AddsNoSecondSeparatorAndReadsBackslashesAsSlashes) {
    orva::testing::TempDir dir;
    clsDeploywizard wizard;
    Text folder = FromUtf8(dir.Path().string());
    EXPECT_EQ(wizard.DeployToFile(SmallPacketSet(), folder + u"/"), folder + u"/DeployFunction.Dat");
    std::filesystem::create_directory(dir / "sub");
    EXPECT_EQ(wizard.DeployToFile(SmallPacketSet(), folder + u"\\sub\\"),
              folder + u"/sub/DeployFunction.Dat");
    EXPECT_TRUE(std::filesystem::exists(dir / "sub" / "DeployFunction.Dat"));
}

TEST(DeployToFile, EmptyFolderMeansTheLibrarysOwnFolder) {
    clsDeploywizard wizard;
    std::filesystem::path expected = services::LibraryFolder() / "DeployFunction.Dat";
    Text path = wizard.DeployToFile(SmallPacketSet(), u"");
    EXPECT_EQ(path, FromUtf8(expected.string()));
    std::filesystem::remove(expected);
}

TEST(DeployToFile, FailuresGiveTheEmptyTextAndRaiseNothing) {
    clsDeploywizard wizard;
    ClearPending();
    // An object without a Save member, nothing at all, and a folder that does not exist.
    EXPECT_EQ(wizard.DeployToFile(Vector::Create(), u"/tmp"), u"");
    EXPECT_EQ(wizard.DeployToFile(nullptr, u"/tmp"), u"");
    EXPECT_EQ(wizard.DeployToFile(SmallPacketSet(), u"/no/such/folder/anywhere"), u"");
    EXPECT_FALSE(std::filesystem::exists("/no/such/folder/anywhere"));
}

}  // namespace
}  // namespace orva::api
