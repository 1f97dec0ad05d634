#include "game/shell/ProfileFile.h"

#include "app/Buffer.h"
#include "app/Common.h"
#include "platform/Sys.h"

#include <algorithm>
#include <charconv>
#include <cstdio>
#include <utility>

namespace Quor {

const char* const kHiddenAccountNames[2] = {"tobremquilz", "plawderfint"};
const char* const kHiddenAccountNewNames[2] = {"Corvantis", "Pf"};

namespace {

// Field writers that clamp a value to what the field can hold, so that a value too wide for
// its field is stored as the nearest one it can take instead of wrapping; the bits go into a
// Buffer sized once for the whole file.
class ProfileWriter {
public:
    Buffer mBuffer;

    explicit ProfileWriter(size_t bytes) { mBuffer.Reserve(bytes); }

    static uint32_t ClampUnsigned(int64_t value, int bits)
    {
        return uint32_t(std::clamp<int64_t>(value, 0, (int64_t(1) << bits) - 1));
    }
    static uint32_t ClampSigned(int64_t value, int bits)
    {
        const int64_t max = (int64_t(1) << (bits - 1)) - 1;
        return uint32_t(std::clamp<int64_t>(value, -max - 1, max));
    }
    void Bits(uint32_t value, int bits) { mBuffer.WriteBits(value, bits); }
    void Unsigned(int64_t value, int bits) { Bits(ClampUnsigned(value, bits), bits); }
    void Signed(int64_t value, int bits) { Bits(ClampSigned(value, bits), bits); }
    void Bool(bool value) { Bits(value ? 1 : 0, 8); }
    void Text(const std::string& text) { mBuffer.WriteString(text); }
    void Double(double value) { Text(FormatProfileDouble(value)); }

    // The count of a list and the first entry index to write: the newest entries when the list
    // is longer than a count can say.
    size_t Count(size_t size, size_t max = kMaxProfileListEntries, int bits = 16)
    {
        size_t count = std::min(size, max);
        Unsigned(int64_t(count), bits);
        return count;
    }

    template <typename List, typename Fn>
    void WriteList(const List& list, Fn&& writeEntry)
    {
        size_t count = Count(list.size());
        auto it = list.begin();
        std::advance(it, list.size() - count);
        for (; it != list.end(); ++it)
            writeEntry(*it);
    }

    void Stat(const ItemStatRecord& stat)
    {
        Signed(stat.id, 16);
        Signed(stat.value, 16);
        Signed(stat.smallValue, 4);
    }
    // A log entry's three signed fields of 16, 24 and 16 bits, written as one.
    void LogEntry(int32_t id, int32_t day, int32_t quantity)
    {
        mBuffer.WriteBits(uint64_t(ClampSigned(id, 16) & 0xFFFF) | uint64_t(ClampSigned(day, 24) & 0xFFFFFF) << 16 |
                              uint64_t(ClampSigned(quantity, 16) & 0xFFFF) << 40,
                          56);
    }
};

class ProfileReader {
public:
    Buffer mBuffer;

    int32_t Unsigned(int bits) { return mBuffer.ReadNumBits(bits, false); }
    int32_t Signed(int bits) { return mBuffer.ReadNumBits(bits, true); }
    bool Bool() { return mBuffer.ReadBoolean(); }
    std::string Text() { return mBuffer.ReadString(); }
    double Double()
    {
        double value = 0.0;
        StringToDouble(Text(), &value);
        return value;
    }
    ItemStatRecord Stat()
    {
        ItemStatRecord stat;
        stat.id = Signed(16);
        stat.value = Signed(16);
        stat.smallValue = Signed(4);
        return stat;
    }
};

// Bytes enough for the whole file, so that encoding never grows its buffer: the fixed fields,
// the texts with their lengths (each factor at most 400 characters), and at most 8 bytes a list entry (the widest, a log entry,
// takes 7) and 1 a quest target.
size_t EncodedSizeBound(const PlayerProfile& p)
{
    size_t bytes = 1100 + p.name.size() + p.logo.companyName.size() + p.logo.fontName.size();
    const size_t entries = p.stock.size() + p.blueprintStats.size() + p.materialStats.size() +
                           p.materials.size() + p.recipes.size() + p.awards.size() + p.countries.size() +
                           p.factories.size() + p.production.size() + p.quests.size() + p.purchaseLog.size() +
                           p.saleLog.size();
    bytes += 8 * entries;
    for (const auto& quest : p.quests)
        bytes += quest.second.targets.size();
    return bytes;
}

} // namespace

std::string FormatProfileDouble(double value)
{
    char text[400];
    auto result = std::to_chars(text, text + sizeof(text), value, std::chars_format::fixed, 6);
    if (result.ec != std::errc())
        return "0.000000";
    return std::string(text, result.ptr);
}

std::vector<uint8_t> EncodePlayerProfile(const PlayerProfile& p, bool current)
{
    ProfileWriter w(EncodedSizeBound(p));
    w.Unsigned(current ? 1 : 0, 1);
    w.Unsigned(p.slotIndex, 3);
    w.Unsigned(p.versionStamp, 24);
    w.Signed(p.tutorialStep, 24);
    w.Text(p.name);
    w.Bits(uint32_t(p.money), 32);
    w.Unsigned(p.day, 24);
    w.Unsigned(p.country, 3);
    w.Double(p.buyFactor);
    w.Double(p.sellFactor);
    w.Bool(p.DeveloperFlag);
    const CompanyLogo& logo = p.logo;
    for (int32_t v : {logo.logoIndex, logo.secondIndex, logo.fontIndex, logo.colorIndex})
        w.Unsigned(v, 4);
    for (int32_t v : {logo.red, logo.green, logo.blue, logo.layout1, logo.layout2, logo.layout3, logo.layout4})
        w.Unsigned(v, 16);
    w.Text(logo.companyName);
    w.Text(logo.fontName);
    w.Bool(p.miniGameOpen1);
    w.Bool(p.miniGameOpen2);

    w.WriteList(p.stock, [&](const StockItem& s) {
        w.Unsigned(s.productId, 8);
        w.Unsigned(s.rating1, 3);
        w.Unsigned(s.rating2, 3);
        w.Unsigned(s.quantity, 16);
    });
    w.WriteList(p.blueprintStats, [&](const auto& e) { w.Stat(e.second); });
    w.WriteList(p.materialStats, [&](const auto& e) { w.Stat(e.second); });
    w.WriteList(p.materials, [&](const auto& e) {
        w.Unsigned(e.first, 8);
        w.Unsigned(e.second, 16);
    });
    auto flagList = [&](const std::map<int32_t, bool>& map, int keyBits) {
        w.WriteList(map, [&](const auto& e) {
            w.Unsigned(e.first, keyBits);
            w.Bool(e.second);
        });
    };
    flagList(p.recipes, 8);
    flagList(p.awards, 6);
    flagList(p.countries, 3);
    w.WriteList(p.factories, [&](const auto& e) {
        w.Unsigned(e.second.countryId, 3);
        w.Signed(e.second.productId, 8);
        w.Bool(e.second.firstFlag);
        w.Bool(e.second.secondFlag);
    });
    w.WriteList(p.production, [&](const ProductionRecord& r) {
        w.Unsigned(r.factoryId, 3);
        w.Signed(r.productId, 8);
        w.Unsigned(r.rating1, 3);
        w.Unsigned(r.rating2, 3);
        w.Unsigned(r.rate, 8);
    });
    w.WriteList(p.purchaseLog, [&](const PurchaseLogEntry& e) { w.LogEntry(e.materialId, e.day, e.quantity); });
    w.WriteList(p.saleLog, [&](const SaleLogEntry& e) { w.LogEntry(e.productId, e.day, e.quantity); });
    w.WriteList(p.quests, [&](const auto& e) {
        const QuestState& q = e.second;
        w.Unsigned(q.questId, 16);
        w.Bool(q.finished);
        size_t count = w.Count(q.targets.size(), kMaxProfileQuestTargets, 5);
        auto it = q.targets.begin();
        for (size_t i = 0; i < count; ++i, ++it) {
            w.Unsigned(it->first, 5);
            w.Bool(it->second);
        }
    });

    return w.mBuffer.TakeData();
}

bool DecodePlayerProfile(const uint8_t* data, size_t size, PlayerProfile& p)
{
    ProfileReader r;
    r.mBuffer.SetData(data, int(std::min<size_t>(size, size_t(INT32_MAX / 8))));
    bool current = r.Unsigned(1) == 1;
    p.slotIndex = r.Unsigned(3);
    p.versionStamp = r.Unsigned(24);
    p.tutorialStep = r.Signed(24);
    p.name = r.Text();
    p.money = r.Unsigned(32);
    p.day = r.Unsigned(24);
    p.country = r.Unsigned(3);
    p.buyFactor = r.Double();
    p.sellFactor = r.Double();
    p.DeveloperFlag = r.Bool();
    CompanyLogo& logo = p.logo;
    for (int32_t* v : {&logo.logoIndex, &logo.secondIndex, &logo.fontIndex, &logo.colorIndex})
        *v = r.Unsigned(4);
    for (int32_t* v : {&logo.red, &logo.green, &logo.blue, &logo.layout1, &logo.layout2, &logo.layout3, &logo.layout4})
        *v = r.Unsigned(16);
    logo.companyName = r.Text();
    logo.fontName = r.Text();
    p.miniGameOpen1 = r.Bool();
    p.miniGameOpen2 = r.Bool();

    auto count = [&] { return r.Unsigned(16); };
    p.stock.clear();
    for (int32_t i = count(); i > 0; --i) {
        StockItem s;
        s.productId = r.Unsigned(8);
        s.rating1 = r.Unsigned(3);
        s.rating2 = r.Unsigned(3);
        s.quantity = r.Unsigned(16);
        p.stock.push_back(s);
    }
    for (auto* stats : {&p.blueprintStats, &p.materialStats}) {
        stats->clear();
        for (int32_t i = count(); i > 0; --i) {
            ItemStatRecord stat = r.Stat();
            stats->emplace(stat.id, stat);
        }
    }
    p.materials.clear();
    for (int32_t i = count(); i > 0; --i) {
        int32_t id = r.Unsigned(8);
        int32_t amount = r.Unsigned(16);
        p.materials.emplace(id, amount);
    }
    auto flagList = [&](std::map<int32_t, bool>& map, int keyBits) {
        map.clear();
        for (int32_t i = count(); i > 0; --i) {
            int32_t key = r.Unsigned(keyBits);
            bool flag = r.Bool();
            map.emplace(key, flag);
        }
    };
    flagList(p.recipes, 8);
    flagList(p.awards, 6);
    flagList(p.countries, 3);
    p.factories.clear();
    for (int32_t i = count(); i > 0; --i) {
        FactoryState f;
        f.countryId = r.Unsigned(3);
        f.productId = r.Signed(8);
        f.firstFlag = r.Bool();
        f.secondFlag = r.Bool();
        p.factories.emplace(f.countryId, f);
    }
    p.production.clear();
    for (int32_t i = count(); i > 0; --i) {
        ProductionRecord rec;
        rec.factoryId = r.Unsigned(3);
        rec.productId = r.Signed(8);
        rec.rating1 = r.Unsigned(3);
        rec.rating2 = r.Unsigned(3);
        rec.rate = r.Unsigned(8);
        p.production.push_back(rec);
    }
    p.purchaseLog.clear();
    for (int32_t i = count(); i > 0; --i) {
        PurchaseLogEntry e;
        e.materialId = r.Signed(16);
        e.day = r.Signed(24);
        e.quantity = r.Signed(16);
        p.purchaseLog.push_back(e);
    }
    p.saleLog.clear();
    for (int32_t i = count(); i > 0; --i) {
        SaleLogEntry e;
        e.productId = r.Signed(16);
        e.day = r.Signed(24);
        e.quantity = r.Signed(16);
        p.saleLog.push_back(e);
    }
    p.quests.clear();
    for (int32_t i = count(); i > 0; --i) {
        int32_t id = r.Unsigned(16);
        bool finished = r.Bool();
        std::map<int32_t, bool> targets;
        for (int32_t t = r.Unsigned(5); t > 0; --t) {
            int32_t index = r.Unsigned(5);
            bool done = r.Bool();
            targets.emplace(index, done);
        }
        p.quests.emplace(id, QuestState(id, id, finished, targets));
    }
    return current;
}

bool ApplyHiddenAccount(PlayerProfile& p)
{
    int account = -1;
    for (int i = 0; i < 2; ++i)
        if (p.name == kHiddenAccountNames[i])
            account = i;
    if (account < 0)
        return false;

    p.name = kHiddenAccountNewNames[account];
    p.DeveloperFlag = p.miniGameOpen1 = p.miniGameOpen2 = true;
    p.day = 1;
    p.money = 9999999;
    auto setExisting = [](std::map<int32_t, bool>& map, int32_t from, int32_t to) {
        for (int32_t key = from; key <= to; ++key)
            if (auto it = map.find(key); it != map.end())
                it->second = true;
    };
    setExisting(p.countries, 1, 7);
    for (int32_t key : {2, 5, 7})
        if (auto it = p.factories.find(key); it != p.factories.end())
            it->second.secondFlag = true;
    setExisting(p.recipes, 2, 80);
    setExisting(p.awards, 1, 16);
    p.tutorialStep = TutorialFinished;
    // Merged into the stock, so that it keeps one entry per product and pair of ratings.
    for (int32_t product = 1; product <= (account == 0 ? 20 : 40); ++product)
        AddToStock(p, product, 3, 3, 500);
    if (account == 0) {
        for (ProductionRecord& record : p.production) {
            record.rating1 = 3;
            record.rating2 = 3;
            record.rate = 25;
        }
    }
    return true;
}

std::string PlayerProfileFolder()
{
    return plat::GetUserDataFolder() + "/Harrowdale/Tallowmere";
}

std::string PlayerProfilePath(int slot)
{
    return PlayerProfileFolder() + StrFormat("/P%d.dat", slot);
}

} // namespace Quor
