// The game-data linter with one of its ten files replaced by any bytes (the first byte picks
// the file, the rest is its text), the others those of the sample content: a list of
// messages, never a crash.
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <string>

#include "FuzzScratch.h"
#include "tools/mkcontent/GameData.h"
#include "tools/mkcontent/Table.h"

namespace fs = std::filesystem;

namespace {

const char* const kFiles[] = {"FXData.xml",      "DataSource.xml",     "DataBluePrint.xml", "DataQuest_0.xml",
                              "DataQuest_1.xml", "DataNPC.xml",        "DataCountryMap.xml", "DataAward.xml",
                              "DataMG.xml",      "DataTutor.xml",      "../series.tsv"};

// A copy of the sample content's game data, made once per fuzzing process.
struct Folder {
    quorfuzz::Scratch scratch{"quor-lint-", ""};
    Folder()
    {
        fs::create_directories(scratch.path);
        fs::copy(fs::path(CONTENT_SOURCE_DIR) / "properties", fs::path(scratch.path) / "properties");
        fs::copy_file(fs::path(CONTENT_SOURCE_DIR) / "series.tsv", fs::path(scratch.path) / "series.tsv");
    }
    ~Folder()
    {
        std::error_code ec;
        fs::remove_all(scratch.path, ec);
    }
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static Folder folder;
    if (size == 0) return 0;
    const std::string name = kFiles[data[0] % std::size(kFiles)];
    const fs::path path = fs::path(folder.scratch.path) / "properties" / name;
    const fs::path original = fs::path(CONTENT_SOURCE_DIR) / "properties" / name;
    quorfuzz::WriteBytes(path.string(), data + 1, size - 1);
    try {
        (void)mkcontent::LintGameData(folder.scratch.path, std::string(CONTENT_SOURCE_DIR) + "/../game/shell/ResourceNames.txt");
    } catch (const mkcontent::ContentError&) {
    }
    fs::copy_file(original, path, fs::copy_options::overwrite_existing);
    return 0;
}
