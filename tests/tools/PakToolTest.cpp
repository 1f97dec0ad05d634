// The pak tool: a folder packed, listed and unpacked again gives back the same bytes, and the
// program's archive reader reads what the tool wrote.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "resources/PakInterface.h"
#include "tests/support/TestSupport.h"
#include "tests/tools/ToolRun.h"
#include "tools/pak/PakFormat.h"

namespace fs = std::filesystem;

namespace {

using quortest::ToolRun;

ToolRun Pak(const quortest::TempDir& dir, const std::string& args) {
    return quortest::RunTool(PAK_TOOL, dir, args);
}

std::vector<uint8_t> Pattern(size_t size, unsigned seed) {
    std::vector<uint8_t> v(size);
    uint32_t x = seed * 2654435761u + 1;
    for (auto& b : v) {
        x = x * 1664525u + 1013904223u;
        b = static_cast<uint8_t>(x >> 24);
    }
    return v;
}

} // namespace

TEST(PakTool, RoundTripGivesBackIdenticalBytes) {
    quortest::TempDir dir;
    const std::vector<std::pair<std::string, std::vector<uint8_t>>> files = {
        {"readme.txt", Pattern(100, 1)},
        {"empty.dat", {}},
        {"images/Logo.png", Pattern(3000, 2)},
        {"images/deep/er/empty2", {}},
        {"sounds/big.bin", Pattern(5 * 1024 * 1024, 3)},
    };
    fs::path src = dir.Path() / "src";
    for (const auto& [name, data] : files) {
        fs::create_directories((src / name).parent_path());
        quortest::WriteFile((src / name).string(), data);
    }
    const std::string pak = dir.File("out.pak");

    for (const std::string& password : {std::string(), std::string(" --password 'Open Sesame'")}) {
        ToolRun r = Pak(dir, "create '" + pak + "' '" + src.string() + "'" + password);
        ASSERT_EQ(r.status, 0) << r.out;

        r = Pak(dir, "list '" + pak + "'" + password);
        ASSERT_EQ(r.status, 0) << r.out;
        EXPECT_NE(r.out.find("images\\Logo.png\t3000\n"), std::string::npos) << r.out;
        EXPECT_NE(r.out.find("images\\deep\\er\\empty2\t0\n"), std::string::npos) << r.out;
        EXPECT_NE(r.out.find("sounds\\big.bin\t5242880\n"), std::string::npos) << r.out;
        EXPECT_EQ(std::count(r.out.begin(), r.out.end(), '\n'), 5) << r.out;

        fs::path back = dir.Path() / "back";
        fs::remove_all(back);
        r = Pak(dir, "extract '" + pak + "' '" + back.string() + "'" + password);
        ASSERT_EQ(r.status, 0) << r.out;
        for (const auto& [name, data] : files) EXPECT_EQ(quortest::ReadFile((back / name).string()), data) << name;
    }

    // The archive reader opens what the tool wrote, by any spelling of the names.
    Quor::PakInterface reader;
    reader.mDecryptPassword = "Open Sesame";
    ASSERT_TRUE(reader.AddPakFile(pak));
    Quor::PakFile* f = reader.FOpen("IMAGES/logo.PNG", "rb");
    ASSERT_NE(f, nullptr);
    std::vector<uint8_t> logo(3000);
    EXPECT_EQ(reader.FRead(logo.data(), 1, logo.size(), f), logo.size());
    EXPECT_EQ(logo, files[2].second);
    reader.FClose(f);
}

TEST(PakTool, ReportsBadArchivesAndArguments) {
    quortest::TempDir dir;
    fs::create_directories(dir.Path() / "src");
    quortest::WriteFile(dir.File("src/a.txt"), std::string("a"));
    const std::string pak = dir.File("a.pak");
    ASSERT_EQ(Pak(dir, "create '" + pak + "' '" + dir.File("src") + "' --password one").status, 0);

    ToolRun r = Pak(dir, "list '" + pak + "' --password two");
    EXPECT_NE(r.status, 0);
    EXPECT_NE(r.out.find("Invalid File or Invalid Password."), std::string::npos) << r.out;
    r = Pak(dir, "extract '" + pak + "' '" + dir.File("x") + "'");
    EXPECT_NE(r.status, 0);
    EXPECT_FALSE(fs::exists(dir.Path() / "x"));

    EXPECT_NE(Pak(dir, "list '" + dir.File("missing.pak") + "'").status, 0);
    EXPECT_NE(Pak(dir, "create '" + pak + "' '" + dir.File("nofolder") + "'").status, 0);
    EXPECT_NE(Pak(dir, "frobnicate").status, 0);
    EXPECT_NE(Pak(dir, "list").status, 0);

    // Two names the reader could not tell apart are refused; the old archive stays.
    quortest::WriteFile(dir.File("src/A.TXT"), std::string("A"));
    r = Pak(dir, "create '" + pak + "' '" + dir.File("src") + "'");
    EXPECT_NE(r.status, 0);
    EXPECT_EQ(Pak(dir, "list '" + pak + "' --password one").status, 0);

    // Names that would land outside the target folder are not written.
    std::vector<uint8_t> bytes;
    std::string error;
    ASSERT_TRUE(paktool::BuildPak({{"..\\evil.txt", {'e'}, 0}, {"ok\\fine.txt", {'f'}, 0}},
                                  Quor::PakInterface::DEFAULT_PASSWORD, bytes, error));
    quortest::WriteFile(dir.File("evil.pak"), bytes);
    r = Pak(dir, "extract '" + dir.File("evil.pak") + "' '" + dir.File("out") + "'");
    EXPECT_NE(r.status, 0);
    EXPECT_NE(r.out.find("unsafe name"), std::string::npos) << r.out;
    EXPECT_FALSE(fs::exists(dir.Path() / "evil.txt"));
    EXPECT_EQ(quortest::ReadFile(dir.File("out/ok/fine.txt")), std::vector<uint8_t>{'f'});
}
