// Making and writing the content.
#include "tools/mkcontent/Build.h"

#include <algorithm>
#include <atomic>
#include <mutex>
#include <filesystem>
#include <set>
#include <thread>

#include "platform/Files.h"
#include "tools/mkcontent/Content.h"
#include "tools/mkcontent/Fonts.h"
#include "tools/mkcontent/GameData.h"
#include "tools/mkcontent/Manifests.h"
#include "tools/mkcontent/Music.h"
#include "tools/mkcontent/Names.h"
#include "tools/mkcontent/Particles.h"
#include "tools/mkcontent/Placeholders.h"
#include "tools/mkcontent/Sounds.h"
#include "tools/mkcontent/Table.h"
#include "tools/pak/PakFormat.h"

namespace mkcontent {

namespace {

// The game-data files the data editor saves as plain files: with the developer option they
// stay out of the archive, so that what the editor saves is what the program reads back.
const std::set<std::string> kGameData = {"FXData.xml", "DataSource.xml", "DataBluePrint.xml",
                                         "DataQuest_0.xml", "DataQuest_1.xml", "DataNPC.xml",
                                         "DataCountryMap.xml", "DataAward.xml", "DataMG.xml"};

std::vector<uint8_t> Bytes(const std::string& text) {
    return std::vector<uint8_t>(text.begin(), text.end());
}

// Runs work(i) for i in [0, count) on a few threads; the first exception is rethrown.
template <typename Work>
void ForEachParallel(size_t count, int threads, Work work) {
    std::atomic<size_t> next{0};
    std::exception_ptr failure;
    std::mutex failureLock;
    auto run = [&]() {
        for (size_t i = next++; i < count; i = next++) {
            try {
                work(i);
            } catch (...) {
                std::lock_guard<std::mutex> guard(failureLock);
                if (!failure) failure = std::current_exception();
                next = count;
            }
        }
    };
    std::vector<std::thread> pool;
    for (int t = 1; t < threads; ++t) pool.emplace_back(run);
    run();
    for (std::thread& t : pool) t.join();
    if (failure) std::rethrow_exception(failure);
}

// The XML files of the content's properties folder, by name; the recipes of the series table
// join the hand-written ones.
std::vector<MadeFile> ReadProperties(const std::string& source) {
    std::vector<MadeFile> files;
    for (const plat::FindData& found : plat::FindFiles(source + "/properties/*.xml")) {
        if (found.isDirectory) continue;
        MadeFile file{"properties/" + found.name, {}};
        if (!plat::ReadWholeFile(source + "/properties/" + found.name, &file.data))
            throw ContentError(source + "/properties/" + found.name + ": cannot be read");
        if (found.name == "DataBluePrint.xml")
            file.data = Bytes(MergeRecipes(std::string(file.data.begin(), file.data.end()), SeriesRecipes(source)));
        files.push_back(std::move(file));
    }
    return files;
}

} // namespace

MadeContent MakeContent(const BuildOptions& options) {
    Content content = LoadContent(options.source);
    CheckAgainstNames(content, LoadResourceNames(options.names), options.names);
    int threads = options.threads > 0 ? options.threads
                                      : static_cast<int>(std::clamp(std::thread::hardware_concurrency(), 1u, 4u));

    MadeContent made;
    for (auto& [path, text] : WriteManifests(content)) made.packed.push_back({path, Bytes(text)});
    for (MadeFile& file : ReadProperties(options.source)) {
        const std::string name = file.path.substr(file.path.find('/') + 1);
        if (std::any_of(made.packed.begin(), made.packed.end(), [&](const MadeFile& m) { return m.path == file.path; }))
            throw ContentError(options.source + "/" + file.path + ": has the name of a manifest the tool writes");
        if (options.developer && kGameData.count(name)) made.loose.push_back(std::move(file));
        else made.packed.push_back(std::move(file));
    }

    // The slow part, pictures, fonts, sounds and music, is made in parallel into fixed slots.
    const size_t pictures = content.pictures.size(), fonts = content.fonts.size();
    const size_t sounds = content.sounds.size(), songs = content.music.size();
    std::vector<MadeFile> slots(pictures + 2 * fonts + sounds + songs);
    ForEachParallel(pictures + fonts + sounds + songs, threads, [&](size_t i) {
        if (i < pictures) {
            const Picture& p = content.pictures[i];
            slots[i] = {p.path, DrawPlaceholder(p).EncodePng()};
            return;
        }
        i -= pictures;
        if (i < fonts) {
            RenderedFont font = RenderFont(content.fonts[i]);
            slots[pictures + 2 * i] = {content.fonts[i].descriptor, Bytes(font.descriptor)};
            slots[pictures + 2 * i + 1] = {font.pngPath, std::move(font.png)};
            return;
        }
        i -= fonts;
        if (i < sounds) {
            slots[pictures + 2 * fonts + i] = {content.sounds[i].file, EncodeWav(SynthesiseSound(content.sounds[i]))};
            return;
        }
        i -= sounds;
        const MusicSpec& m = content.music[i];
        slots[pictures + 2 * fonts + sounds + i] = {m.file, EncodeVorbis(ComposeMusic(m), static_cast<int>(m.seed), m.file)};
    });
    for (size_t i = 0; i < slots.size(); ++i) {
        if (options.looseMusic && i >= pictures + 2 * fonts + sounds) made.loose.push_back(slots[i]);
        made.packed.push_back(std::move(slots[i]));
    }
    for (const ParticleSpec& p : content.particles) made.loose.push_back({"particle/" + p.file, EncodeParticleFile(p)});
    return made;
}

size_t WriteContent(const BuildOptions& options, const MadeContent& made) {
    std::vector<paktool::PakEntry> entries;
    for (const MadeFile& file : made.packed) {
        paktool::PakEntry entry;
        entry.name = file.path;
        std::replace(entry.name.begin(), entry.name.end(), '/', '\\');
        entry.data = file.data;
        entries.push_back(std::move(entry));
    }
    std::vector<uint8_t> pak;
    std::string error;
    if (!paktool::BuildPak(entries, options.password, pak, error)) throw ContentError("main.pak: " + error);

    std::error_code ec;
    std::filesystem::create_directories(options.out, ec);
    if (!plat::WriteWholeFile(options.out + "/main.pak", pak.data(), pak.size(), &error))
        throw ContentError(options.out + "/main.pak: " + error);
    for (const MadeFile& file : made.loose) {
        const std::string path = options.out + "/" + file.path;
        std::filesystem::create_directories(std::filesystem::path(path).parent_path(), ec);
        if (!plat::WriteWholeFile(path, file.data.data(), file.data.size(), &error))
            throw ContentError(path + ": " + error);
    }
    return pak.size();
}

} // namespace mkcontent
