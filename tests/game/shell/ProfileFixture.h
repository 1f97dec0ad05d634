// Fixture of the profile tests: a game application (not started) that records its message boxes
// and error-log lines, with the user's data folder pointed at a fresh temporary folder, and a
// small set of game tables.
#pragma once

#include "game/shell/GameApp.h"
#include "game/shell/ProfileFile.h"
#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

namespace quortest {

class ProfileApp : public Quor::GameApp {
public:
    std::vector<std::string> mBoxes;
    std::vector<std::string> mErrorLog;

    int MsgBox(const std::string& text, const std::string& caption, uint32_t flags) override
    {
        (void)flags;
        mBoxes.push_back(caption + ": " + text);
        return 1;
    }
    void LogScreenError(const std::string& text) override { mErrorLog.push_back(text); }

    // Countries 0 (all five places), 2 (four) and 5 (all five); blueprints 1, 2 and 4;
    // materials 3 and 8; quest 1 with three targets.
    void FillTables()
    {
        for (int id : {0, 2, 5}) {
            Quor::CountryMapRecord& country = countryMapTable[id];
            country.Id = id;
            for (int place = 0; place < (id == 2 ? 4 : 5); ++place)
                country.placePos[place] = {place, place};
        }
        for (int id : {1, 2, 4})
            blueprintTable[id].Id = id;
        for (int id : {3, 8})
            sourceTable[id].Id = id;
        questTable[1].Id = 1;
        questTable[1].Target.resize(3);
    }
};

// Points the user's data folder at a temporary folder for the test's life.
class ProfileTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        const char* old = std::getenv("XDG_DATA_HOME");
        mOldData = old ? old : "";
        setenv("XDG_DATA_HOME", mDir.Path().c_str(), 1);
    }
    void TearDown() override { setenv("XDG_DATA_HOME", mOldData.c_str(), 1); }

    std::string SavePath(int slot) const { return Quor::PlayerProfilePath(slot); }

    TempDir mDir;
    std::string mOldData;
};

} // namespace quortest
