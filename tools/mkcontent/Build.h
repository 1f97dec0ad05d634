// Making the whole content: manifests, pictures, fonts, sounds, music and particle files from
// the tables, packed into the archive beside the program with the loose files next to it.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace mkcontent {

struct BuildOptions {
    std::string source;         // the content folder (tables, properties/)
    std::string names;          // the resource-name list
    std::string out;            // the folder that receives main.pak and the loose files
    std::string password;
    bool developer = false;     // the nine game-data files stay loose in properties/
    bool looseMusic = false;    // music/*.ogg also written loose
    int threads = 0;            // 0: as many as the machine has, at most 4
};

// One file of the made content: its archive path (with '/') and its bytes.
struct MadeFile {
    std::string path;
    std::vector<uint8_t> data;
};

struct MadeContent {
    std::vector<MadeFile> packed;  // in archive order
    std::vector<MadeFile> loose;   // relative to the output folder
};

// Makes every file; throws ContentError on a fault of the tables or of the making.
MadeContent MakeContent(const BuildOptions& options);

// Writes main.pak and the loose files into options.out (each written whole and renamed into
// place). Returns the archive's size.
size_t WriteContent(const BuildOptions& options, const MadeContent& made);

} // namespace mkcontent
