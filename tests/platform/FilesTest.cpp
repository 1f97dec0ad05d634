// Files on disk: separators, case-insensitive lookup, folder search, whole-file replacement.
#include "platform/Files.h"
#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <sys/stat.h>
#include <unistd.h>

namespace fs = std::filesystem;

TEST(Files, CaseInsensitiveLookup)
{
    quortest::TempDir tmp;
    std::string root = tmp.Path().string();
    fs::create_directories(tmp.Path() / "Data/Images");
    quortest::WriteFile(root + "/Data/Images/Logo.PNG", "png");

    EXPECT_EQ(plat::NativePath(root + "\\data\\images\\logo.png"), root + "/Data/Images/Logo.PNG");
    EXPECT_EQ(plat::NativePath(root + "/DATA//images/"), root + "/Data/Images/");
    // What does not exist keeps its written name below the folders that do.
    EXPECT_EQ(plat::NativePath(root + "/data/New/x.txt"), root + "/Data/New/x.txt");

    FILE* f = plat::OpenFile(root + "\\DATA\\IMAGES\\LOGO.png", "rb");
    ASSERT_NE(f, nullptr);
    std::fclose(f);
    EXPECT_TRUE(plat::FileExists(root + "/data/images/LOGO.png"));
    EXPECT_TRUE(plat::IsDirectory(root + "/data/images"));
    EXPECT_FALSE(plat::IsDirectory(root + "/data/images/logo.png"));
    int64_t size = 0;
    EXPECT_TRUE(plat::GetFileSize(root + "/data/images/logo.png", &size));
    EXPECT_EQ(size, 3);
    EXPECT_FALSE(plat::FileExists(root + "/data/images/logo.jpg"));
    EXPECT_FALSE(plat::DeleteFile(root + "/data/images"));
    EXPECT_TRUE(plat::DeleteFile(root + "/data/images/LOGO.png"));
    EXPECT_FALSE(plat::FileExists(root + "/Data/Images/Logo.PNG"));
}

TEST(Files, FindFiles)
{
    quortest::TempDir tmp;
    std::string root = tmp.Path().string();
    for (const char* name : {"a.txt", "B.TXT", "c.dat", "noext", "d.txt.bak"})
        quortest::WriteFile(root + "/" + name, "12345");
    fs::create_directory(tmp.Path() / "sub");

    auto names = [](const std::vector<plat::FindData>& found) {
        std::string all;
        for (const auto& d : found)
            all += d.name + (d.isDirectory ? "/ " : " ");
        return all;
    };
    EXPECT_EQ(names(plat::FindFiles(root + "\\*.*")), "B.TXT a.txt c.dat d.txt.bak noext sub/ ");
    EXPECT_EQ(names(plat::FindFiles(root + "/*.txt")), "B.TXT a.txt ");
    EXPECT_EQ(names(plat::FindFiles(root + "/?.DAT")), "c.dat ");
    EXPECT_EQ(names(plat::FindFiles(root + "/noext.*")), "noext ");
    EXPECT_EQ(names(plat::FindFiles(root + "/A.TXT")), "a.txt ");
    EXPECT_EQ(names(plat::FindFiles(root + "/missing/*.*")), "");
    EXPECT_EQ(names(plat::FindFiles(root + "/")), "");

    auto found = plat::FindFiles(root + "/c.dat");
    ASSERT_EQ(found.size(), 1u);
    EXPECT_EQ(found[0].size, 5);
    struct stat st;
    ASSERT_EQ(stat((root + "/c.dat").c_str(), &st), 0);
    EXPECT_EQ((found[0].writeTime - 116444736000000000LL) / 10000000LL, st.st_mtime);

    EXPECT_TRUE(plat::MatchPattern("abc", "a*c"));
    EXPECT_TRUE(plat::MatchPattern("abxbc", "a*bc"));
    EXPECT_FALSE(plat::MatchPattern("abcd", "a*c"));
    EXPECT_TRUE(plat::MatchPattern("x", "*"));
}

TEST(Files, WholeFileReplace)
{
    quortest::TempDir tmp;
    std::string path = tmp.File("save.dat");
    std::string error;
    ASSERT_TRUE(plat::WriteWholeFile(path, "first", 5, &error)) << error;
    chmod(path.c_str(), 0600);
    ASSERT_TRUE(plat::WriteWholeFile(path, "second!", 7, &error)) << error;
    std::vector<uint8_t> data;
    ASSERT_TRUE(plat::ReadWholeFile(path, &data));
    EXPECT_EQ(std::string(data.begin(), data.end()), "second!");
    struct stat st;
    ASSERT_EQ(stat(path.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0600u); // the old file's permissions stay
    EXPECT_EQ(std::distance(fs::directory_iterator(tmp.Path()), fs::directory_iterator()), 1);

    // A failed write reports why and leaves no temporary file behind.
    EXPECT_FALSE(plat::WriteWholeFile(tmp.File("missing/x.dat"), "x", 1, &error));
    EXPECT_NE(error.find("missing"), std::string::npos);
    if (geteuid() != 0) {
        chmod(tmp.Path().c_str(), 0555);
        EXPECT_FALSE(plat::WriteWholeFile(path, "third", 5, &error));
        chmod(tmp.Path().c_str(), 0755);
        ASSERT_TRUE(plat::ReadWholeFile(path, &data));
        EXPECT_EQ(std::string(data.begin(), data.end()), "second!");
    }
    EXPECT_FALSE(plat::ReadWholeFile(tmp.File("nothing"), &data));
    EXPECT_TRUE(data.empty());
}

TEST(Files, SeveralWholeFilesReplacedTogether)
{
    quortest::TempDir tmp;
    const std::string a = tmp.File("a.dat"), b = tmp.File("b.dat");
    ASSERT_TRUE(plat::WriteWholeFile(a, "old a", 5));
    chmod(a.c_str(), 0600);
    auto text = [](const std::string& path) {
        std::vector<uint8_t> data;
        EXPECT_TRUE(plat::ReadWholeFile(path, &data)) << path;
        return std::string(data.begin(), data.end());
    };
    auto entries = [&] { return std::distance(fs::directory_iterator(tmp.Path()), fs::directory_iterator()); };

    // Nothing changes before Finish, and a batch left unfinished leaves no temporary file.
    {
        plat::FileBatch batch;
        ASSERT_TRUE(batch.Add(a, "lost", 4));
        EXPECT_EQ(text(a), "old a");
    }
    EXPECT_EQ(entries(), 1);

    // A file that cannot be written fails alone, saying why; the others are replaced, and the
    // old file's permissions stay.
    plat::FileBatch batch;
    std::string error;
    ASSERT_TRUE(batch.Add(a, "new a", 5));
    EXPECT_FALSE(batch.Add(tmp.File("missing/c.dat"), "c", 1, &error));
    EXPECT_NE(error.find("missing/c.dat"), std::string::npos);
    ASSERT_TRUE(batch.Add(b, "new b!", 6));
    std::vector<std::string> errors;
    EXPECT_TRUE(batch.Finish(&errors));
    EXPECT_TRUE(errors.empty());
    EXPECT_EQ(text(a), "new a");
    EXPECT_EQ(text(b), "new b!");
    struct stat st;
    ASSERT_EQ(stat(a.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0600u);
    EXPECT_EQ(entries(), 2);
}
