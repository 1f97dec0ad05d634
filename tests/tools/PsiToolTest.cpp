// The psi tool: a particle effect file printed as its header settings and records, including
// the records the reader skips and a file that ends inside a record.
#include <gtest/gtest.h>

#include <string>

#include "tests/support/PsiBytes.h"
#include "tests/support/TestSupport.h"
#include "tests/tools/ToolRun.h"

namespace {

using quortest::PsiBytes;

TEST(PsiTool, PrintsHeaderAndRecordsInFileOrder)
{
    quortest::TempDir dir;
    PsiBytes b;
    b.Int(PsiBytes::RATE, 40).Float(PsiBytes::DURATION, -1.0f).Float(PsiBytes::LIFE_MIN, 0.5f);
    b.Float(PsiBytes::LIFE_MAX, 1.25f).Int(PsiBytes::RELATIVE, 1).Float(PsiBytes::SIZE_VAR, 0.75f);
    b.Color(PsiBytes::COLOR_END, 0.1f, 0.2f, 0.3f, 0.4f).Float(PsiBytes::ALPHA_VAR, 2.0f);
    b.Additive(true).Position(12.5f, -3.0f).Image("fx/spark.png").Byte(42);
    b.Byte(2).PutInt(-1);
    b.Points(3, {{0, 0}, {10, 0}, {5, 8}}).PathTime(1.5f, 2).Points(4, {{1, 2}, {3, 4}});
    b.bytes.resize(b.bytes.size() - 3); // the last path point is cut
    const std::string file = dir.File("spark.psi");
    quortest::WriteFile(file, b.bytes);

    quortest::ToolRun r = quortest::RunTool(PSI_TOOL, dir, "'" + file + "'");
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out,
              "header 128 of 128 bytes\n"
              "rate 40\n"
              "duration -1\n"
              "life 0.5 1.25\n"
              "direction 0\n"
              "spread 0\n"
              "relative 1\n"
              "speed 0 0\n"
              "gravity 0 0\n"
              "radial 0 0\n"
              "tangential 0 0\n"
              "size 0 0 0.75\n"
              "spin 0 0 0\n"
              "start-colour 0 0 0 0\n"
              "end-colour 0.100000001 0.200000003 0.300000012 0.400000006\n"
              "colour-variation 0\n"
              "alpha-variation 2\n"
              "additive 1\n"
              "position 12.5 -3\n"
              "image \"fx/spark.png\"\n"
              "tag 42 without payload\n"
              "image skipped, length -1\n"
              "clip 3 stored, 3 read 0,0 10,0 5,8\n"
              "path-time 1.5 mode 2\n"
              "path 2 stored, 1 read 1,2\n"
              "end: cut short\n");
}

TEST(PsiTool, ShortHeaderAndMissingFile)
{
    quortest::TempDir dir;
    const std::string file = dir.File("short.psi");
    quortest::WriteFile(file, std::vector<uint8_t>{0, 0, 0, 0, 7, 0, 0, 0});
    quortest::ToolRun r = quortest::RunTool(PSI_TOOL, dir, "'" + file + "'");
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out.rfind("header 8 of 128 bytes\nrate 7\nduration 0\n", 0), 0u) << r.out;
    EXPECT_NE(r.out.find("end: cut short\n"), std::string::npos);

    r = quortest::RunTool(PSI_TOOL, dir, "'" + dir.File("none.psi") + "'");
    EXPECT_NE(r.status, 0);
    EXPECT_NE(r.out.find("cannot open"), std::string::npos);
}

} // namespace
