// SHA-256 against the published test vectors (FIPS 180-4 examples and padding boundaries), and the
// file form against the in-memory one.

#include <gtest/gtest.h>

#include <fstream>

#include "automation/AutomationError.h"
#include "services/Sha256.h"
#include "support/TempDir.h"

namespace orva::components {
namespace {

TEST(Sha256, MatchesKnownVectorsAcrossBlockAndPaddingBoundaries) {
    struct Case {
        std::string message;
        const char* digest;
    };
    const Case cases[] = {
        {"", "e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855"},
        {"abc", "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad"},
        // 56 bytes: the length no longer fits the first block.
        {"abcdbcdecdefdefgefghfghighijhijkijkljklmklmnlmnomnopnopq",
         "248d6a61d20638b8e5c026930c3e6039a33ce45964ff2167f6ecedd419db06c1"},
        {std::string(64, 'a'), "ffe054fe7ae0cb6dc65c3af9b61d5209f439851db43d0ba5997337df154668eb"},
        {std::string(1000000, 'a'), "cdc76e5c9914fb9281a1c7e284d73e67f1809a48a497200e046d39ccc7112cd0"},
    };
    for (const Case& c : cases) EXPECT_EQ(Sha256Hex(c.message), c.digest) << c.message.size() << " bytes";

    // Fed in pieces that straddle blocks, the digest is the same.
    Sha256 pieces;
    std::string message(1000000, 'a');
    for (size_t at = 0; at < message.size(); at += 777)
        pieces.Update(std::string_view(message).substr(at, 777));
    EXPECT_EQ(pieces.HexDigest(), cases[4].digest);
}

TEST(Sha256, HashesAFileByItsBytesAndNamesAMissingOne) {
    orva::testing::TempDir dir;
    std::string path = (dir / "发布包.Dat").string();
    std::string bytes = std::string("\0\xff\x80 packet", 10) + std::string(70000, 'x');
    std::ofstream(path, std::ios::binary) << bytes;
    EXPECT_EQ(FileSha256(path), Sha256Hex(bytes));
    try {
        FileSha256((dir / "缺少.Dat").string());
        FAIL() << "a missing file must raise";
    } catch (const automation::AutomationError& error) {
        EXPECT_EQ(error.Number(), 53);
        EXPECT_NE(error.Description().find(u"缺少.Dat"), automation::Text::npos);
    }
}

}  // namespace
}  // namespace orva::components
