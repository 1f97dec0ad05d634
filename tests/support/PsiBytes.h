// Particle effect files (".psi") built byte by byte for tests, benchmarks and seed corpora:
// the 128-byte header written at its documented offsets, then tagged records.
#pragma once

#include <cstdint>
#include <cstring>
#include <string>
#include <utility>
#include <vector>

namespace quortest {

class PsiBytes {
public:
    // Header offsets.
    enum : size_t {
        RATE = 4, DURATION = 8, LIFE_MIN = 12, LIFE_MAX = 16, DIRECTION = 20, SPREAD = 24,
        RELATIVE = 28, SPEED_MIN = 32, SPEED_MAX = 36, GRAVITY_MIN = 40, GRAVITY_MAX = 44,
        RADIAL_MIN = 48, RADIAL_MAX = 52, TANGENTIAL_MIN = 56, TANGENTIAL_MAX = 60,
        SIZE_START = 64, SIZE_END = 68, SIZE_VAR = 72, SPIN_START = 76, SPIN_END = 80,
        SPIN_VAR = 84, COLOR_START = 88, COLOR_END = 104, COLOR_VAR = 120, ALPHA_VAR = 124,
    };

    std::vector<uint8_t> bytes = std::vector<uint8_t>(128, 0);

    PsiBytes& Int(size_t offset, int32_t v)
    {
        uint32_t u;
        std::memcpy(&u, &v, 4);
        for (int i = 0; i < 4; ++i)
            bytes[offset + i] = static_cast<uint8_t>(u >> (8 * i));
        return *this;
    }
    PsiBytes& Float(size_t offset, float v)
    {
        int32_t i;
        std::memcpy(&i, &v, 4);
        return Int(offset, i);
    }
    // Four floats from offset (a colour).
    PsiBytes& Color(size_t offset, float r, float g, float b, float a)
    {
        return Float(offset, r).Float(offset + 4, g).Float(offset + 8, b).Float(offset + 12, a);
    }

    // Records.
    PsiBytes& Byte(uint8_t v)
    {
        bytes.push_back(v);
        return *this;
    }
    PsiBytes& PutInt(int32_t v)
    {
        bytes.resize(bytes.size() + 4);
        return Int(bytes.size() - 4, v);
    }
    PsiBytes& PutFloat(float v)
    {
        bytes.resize(bytes.size() + 4);
        return Float(bytes.size() - 4, v);
    }
    PsiBytes& Additive(bool on) { return Byte(0).Byte(on ? 1 : 0); }
    PsiBytes& Position(float x, float y) { return Byte(1).PutFloat(x).PutFloat(y); }
    PsiBytes& Image(const std::string& name)
    {
        Byte(2).PutInt(static_cast<int32_t>(name.size()));
        bytes.insert(bytes.end(), name.begin(), name.end());
        return *this;
    }
    PsiBytes& Points(uint8_t tag, const std::vector<std::pair<int32_t, int32_t>>& points)
    {
        Byte(tag).PutInt(static_cast<int32_t>(points.size()));
        for (const auto& p : points)
            PutInt(p.first).PutInt(p.second);
        return *this;
    }
    PsiBytes& PathTime(float seconds, int32_t mode) { return Byte(5).PutFloat(seconds).PutInt(mode); }
};

} // namespace quortest
