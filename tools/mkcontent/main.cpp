// mkcontent: makes the game's sample content from the tables of the content folder.
//   mkcontent build CONTENT_DIR NAMES_FILE OUT_DIR [--developer] [--loose-music] [--threads N]
// writes OUT_DIR/main.pak (manifests, pictures, fonts, sounds, music, the XML of
// CONTENT_DIR/properties with the series recipes added) and the loose particle files
// OUT_DIR/particle/*.psi.
//   mkcontent lint CONTENT_DIR NAMES_FILE
// checks the game data's cross-references and prints one line per fault (exit status 1).
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "tools/mkcontent/Build.h"
#include "tools/mkcontent/GameData.h"
#include "tools/mkcontent/Table.h"

namespace {

int Usage() {
    std::fprintf(stderr,
                 "usage: mkcontent build CONTENT_DIR NAMES_FILE OUT_DIR [--developer] [--loose-music] [--threads N]\n"
                 "       mkcontent lint CONTENT_DIR NAMES_FILE\n"
                 "  --developer    leave the nine game-data files loose in OUT_DIR/properties\n"
                 "  --loose-music  also write the music loose into OUT_DIR/music\n");
    return 2;
}

} // namespace

int main(int argc, char** argv) {
    std::vector<std::string> args;
    mkcontent::BuildOptions options;
    options.password = "lorvtekmiqazund";
    for (int i = 1; i < argc; ++i) {
        std::string arg = argv[i];
        if (arg == "--developer") options.developer = true;
        else if (arg == "--loose-music") options.looseMusic = true;
        else if (arg == "--threads" && i + 1 < argc) options.threads = std::atoi(argv[++i]);
        else if (arg.compare(0, 2, "--") == 0) return Usage();
        else args.push_back(arg);
    }
    if (args.size() == 3 && args[0] == "lint") {
        try {
            std::vector<std::string> faults = mkcontent::LintGameData(args[1], args[2]);
            for (const std::string& fault : faults) std::printf("%s\n", fault.c_str());
            return faults.empty() ? 0 : 1;
        } catch (const mkcontent::ContentError& e) {
            std::fprintf(stderr, "mkcontent: %s\n", e.what());
            return 1;
        }
    }
    if (args.size() != 4 || args[0] != "build") return Usage();
    options.source = args[1];
    options.names = args[2];
    options.out = args[3];

    auto start = std::chrono::steady_clock::now();
    try {
        mkcontent::MadeContent made = mkcontent::MakeContent(options);
        size_t bytes = mkcontent::WriteContent(options, made);
        double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        std::printf("mkcontent: %zu files, %zu bytes in %s/main.pak, %zu loose files, %.1f s\n", made.packed.size(),
                    bytes, options.out.c_str(), made.loose.size(), seconds);
    } catch (const mkcontent::ContentError& e) {
        std::fprintf(stderr, "mkcontent: %s\n", e.what());
        return 1;
    }
    return 0;
}
