// Reads the game-data XML files under "properties/" into a set of GameTables: the loading
// sequence with its failure path, and one reader per file.
#pragma once

#include "game/shell/GameTables.h"

#include <string>
#include <vector>

namespace Quor {

class QuorAppBase;
class XMLElement;
class XMLParser;

class GameDataLoader {
public:
    // One reader: reads the file open on the parser to its end into the tables.
    using Reader = bool (GameDataLoader::*)();

    // app receives the message box, the shutdown request and the error-log lines (which also go
    // to standard error); without one, messages and log lines are only kept in mLog.
    GameDataLoader(XMLParser& parser, GameTables& tables, QuorAppBase* app = nullptr);

    // Reads the nine files in their fixed order. A file that cannot be opened shows the error
    // box, requests the shutdown and stops the sequence: false. True when every file was read
    // (a file cut short by a syntax error counts as read; see GameTables::readIncomplete).
    bool LoadGameData();

    // Opens one file by name and reads it; on failure the same failure path as LoadGameData.
    bool LoadFile(const std::string& fileName, Reader reader);
    // Reads a file already open on the parser; fileName is the name its messages carry.
    void ReadOpenedFile(const std::string& fileName, Reader reader);

    // The readers, one per file; each returns true. The quest reader adds to questTable, every
    // other reader empties its own table first (the tuning block is only ever overwritten).
    bool LoadFXData();
    bool LoadSourceData();
    bool LoadBluePrintData();
    bool LoadQuestData();
    bool LoadNPCData();
    bool LoadCountryMapData();
    bool LoadAwardData();
    bool LoadMiniGameData();

    // Every message and log line this loader has written, in order.
    std::vector<std::string> mLog;

private:
    bool Next(XMLElement& element);
    void Skip(const std::string& what, const std::string& why);
    void WriteLog(const std::string& line);

    XMLParser& mParser;
    GameTables& mTables;
    QuorAppBase* mApp;
    std::string mFileName;  // the file being read, as its messages name it
};

} // namespace Quor
