// JSON inputs (pack IN.json, deploy --info) are read as packet files are: regular files only, bounded
// in size, and every refusal names the file and what is wrong where.

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <future>

#include "cli/CliRunner.h"
#include "cli/CommandSupport.h"
#include "support/TempDir.h"

namespace orva::cli {
namespace {

using testing::CliResult;
using testing::RunTool;
const std::string kPacket = ORVA_SOURCE_DIR "/data/samples/DeployFunction.Dat";

class InputFiles : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_EQ(RunTool({"init", "--catalog", m_account, "--demo"}).status, 0); }

    std::string Write(const std::string& name, const std::string& content) {
        std::string path = (m_dir / name).string();
        std::ofstream(path, std::ios::binary) << content;
        return path;
    }
    // pack and deploy --info on the same input.
    std::vector<CliResult> ReadBoth(const std::string& path) {
        return {RunTool({"pack", path, "-o", (m_dir / "out.Dat").string()}),
                RunTool({"deploy", kPacket, "--catalog", m_account, "--info", path, "--dry-run"})};
    }

    orva::testing::TempDir m_dir;
    std::string m_account = (m_dir / "account.db").string();
};

TEST_F(InputFiles, OnlyRegularFilesWithinTheBoundAreRead) {
    std::filesystem::create_directory(m_dir / "folder");
    std::string large = Write("large.json", "{}");
    std::filesystem::resize_file(large, kMaxInputFileBytes + 1);  // sparse: nothing is written
    std::vector<std::pair<std::string, std::string>> cases = {
        {(m_dir / "folder").string(), ": is a folder, not a regular file"},
        {large, ": is larger than 64 MiB"},
        {(m_dir / "missing.json").string(), ": cannot read the file: No such file or directory"},
    };
    if (geteuid() == 0) {
        // A node like /dev/null, made here: the machine's own devices are never touched.
        std::string device = (m_dir / "null").string();
        ASSERT_EQ(::mknod(device.c_str(), S_IFCHR | 0600, makedev(1, 3)), 0);
        cases.emplace_back(device, ": is a character device, not a regular file");
    }
    for (const auto& [path, message] : cases) {
        for (const CliResult& result : ReadBoth(path)) {
            EXPECT_EQ(result.status, 1) << path;
            EXPECT_NE(result.err.find(path + message), std::string::npos) << result.err;
        }
    }
    EXPECT_FALSE(std::filesystem::exists(m_dir / "out.Dat"));
}

TEST_F(InputFiles, AFifoIsRefusedWithoutWaitingForAWriter) {
    std::string fifo = (m_dir / "fifo").string();
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    // JSON inputs (pack, deploy --info) and packet files (show) alike.
    const std::vector<std::pair<std::vector<std::string>, std::string>> kReads = {
        {{"pack", fifo, "-o", (m_dir / "out.Dat").string()}, ": is a FIFO, not a regular file"},
        {{"deploy", kPacket, "--catalog", m_account, "--info", fifo, "--dry-run"},
         ": is a FIFO, not a regular file"},
        {{"show", fifo}, ": it is a FIFO, not a regular file"},
    };
    for (const auto& [args, message] : kReads) {
        auto running = std::async(std::launch::async, [&] { return RunTool(args); });
        if (running.wait_for(std::chrono::seconds(10)) == std::future_status::timeout) {
            ADD_FAILURE() << "the command waits for a writer: " << args[0];
            ::close(::open(fifo.c_str(), O_WRONLY | O_NONBLOCK));  // lets it see the end of the file
        }
        CliResult result = running.get();
        EXPECT_EQ(result.status, 1) << args[0];
        EXPECT_NE(result.err.find(fifo + message), std::string::npos) << result.err;
    }
}

TEST_F(InputFiles, InvalidUtf8IsReportedAtItsOffsetInTheFile) {
    const std::string content = "{\"CHS\": [{\"FFuncName\": \"ab\xff\"}]}";
    std::string path = Write("bad.json", content);
    const std::string expected =
        path + ": Invalid UTF-8 at byte offset " + std::to_string(content.find('\xff'));
    for (const CliResult& result : ReadBoth(path)) {
        EXPECT_EQ(result.status, 1);
        EXPECT_NE(result.err.find(expected), std::string::npos) << result.err;
    }
}

TEST_F(InputFiles, ValuesOfTheWrongKindAreNamedByTheirPlace) {
    struct Case {
        bool info;  // deploy --info, else pack
        std::string json;
        std::string message;
    };
    const Case cases[] = {
        {false, R"({"CHS": {}})", "$/CHS is an object, not an array of deployment entries"},
        {false, R"({"EN": [{"No": "x"}, 1]})", "$/EN[2] is a number, not an object (a deployment entry)"},
        {false, R"({"CHS": [{"FFuncName": {"a": 1}}]})",
         "$/CHS[1]/FFuncName is an object, not a text or a number"},
        {false, R"({"CHT": [{"no": null}]})", "$/CHT[1]/No is null, not a text or a number"},
        {false, R"({"CHS": [{"FClassParam": true}]})", "$/CHS[1]/FClassParam is a Boolean"},
        {true, R"({"200000001": [1]})",
         "$/200000001 is an array, not a text or a number (the new class identifier)"},
        {true, R"({"ChangeName": 5})", "$/ChangeName is a number, not an object of class identifiers"},
        {true, R"({"ChangeName": null})", "$/ChangeName is null, not an object of class identifiers"},
        {true, R"({"changename": {"200000003": "x"}})",
         "$/changename/200000003 is a text, not an object of names"},
        {true, R"({"ChangeName": {"200000003": {"EN": true}}})", "$/ChangeName/200000003/EN is a Boolean"},
    };
    for (const Case& c : cases) {
        std::string path = Write("shape.json", c.json);
        CliResult result = c.info ? RunTool({"deploy", kPacket, "--catalog", m_account, "--info", path})
                                  : RunTool({"pack", path, "-o", (m_dir / "out.Dat").string()});
        EXPECT_EQ(result.status, 1) << c.json;
        EXPECT_NE(result.err.find(path + ": " + c.message), std::string::npos) << result.err;
        EXPECT_EQ(result.out, "") << "refused before anything is deployed";
    }
    // What the remapping reads as a text is accepted: numbers too.
    std::string numbers =
        Write("numbers.json", R"({"200000001": 200000101, "ChangeName": {"1": {"EN": 2}}})");
    EXPECT_EQ(RunTool({"deploy", kPacket, "--catalog", m_account, "--info", numbers}).status, 0);
}

}  // namespace
}  // namespace orva::cli
