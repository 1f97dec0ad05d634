// psi: prints a particle effect file (".psi") as text: the header's settings, then every
// record in file order, then how the file ended. The file is read by the game's own reader,
// so what psi shows is what the game reads.
//   psi FILE.psi
#include <cstdio>
#include <string>

#include "game/shell/PsiFile.h"

namespace {

void PrintPair(const char* name, float a, float b)
{
    std::printf("%s %.9g %.9g\n", name, a, b);
}

void PrintTriple(const char* name, float a, float b, float c)
{
    std::printf("%s %.9g %.9g %.9g\n", name, a, b, c);
}

void PrintHeader(const Quor::PsiHeader& h, size_t bytes)
{
    std::printf("header %zu of %zu bytes\n", bytes, Quor::PsiHeader::kSize);
    std::printf("rate %d\n", static_cast<int>(h.mRate));
    std::printf("duration %.9g\n", h.mDuration);
    PrintPair("life", h.mLifeMin, h.mLifeMax);
    std::printf("direction %.9g\n", h.mDirection);
    std::printf("spread %.9g\n", h.mSpread);
    std::printf("relative %d\n", h.mRelative ? 1 : 0);
    PrintPair("speed", h.mSpeedMin, h.mSpeedMax);
    PrintPair("gravity", h.mGravityMin, h.mGravityMax);
    PrintPair("radial", h.mRadialMin, h.mRadialMax);
    PrintPair("tangential", h.mTangentialMin, h.mTangentialMax);
    PrintTriple("size", h.mSizeStart, h.mSizeEnd, h.mSizeVar);
    PrintTriple("spin", h.mSpinStart, h.mSpinEnd, h.mSpinVar);
    std::printf("start-colour %.9g %.9g %.9g %.9g\n", h.mColorStart[0], h.mColorStart[1],
                h.mColorStart[2], h.mColorStart[3]);
    std::printf("end-colour %.9g %.9g %.9g %.9g\n", h.mColorEnd[0], h.mColorEnd[1], h.mColorEnd[2],
                h.mColorEnd[3]);
    std::printf("colour-variation %.9g\n", h.mColorVar);
    std::printf("alpha-variation %.9g\n", h.mAlphaVar);
}

void PrintPoints(const char* name, const Quor::PsiRecord& r)
{
    std::printf("%s %d stored, %zu read", name, static_cast<int>(r.mLength), r.mPoints.size());
    for (const Quor::Point& p : r.mPoints)
        std::printf(" %d,%d", p.mX, p.mY);
    std::printf("\n");
}

void PrintRecord(const Quor::PsiRecord& r)
{
    using Quor::PsiRecord;
    switch (r.mTag) {
    case PsiRecord::ADDITIVE:
        std::printf("additive %d\n", r.mAdditive ? 1 : 0);
        break;
    case PsiRecord::POSITION:
        PrintPair("position", r.mX, r.mY);
        break;
    case PsiRecord::IMAGE:
        if (r.mNameSkipped)
            std::printf("image skipped, length %d\n", static_cast<int>(r.mLength));
        else
            std::printf("image \"%s\"\n", r.mName.c_str());
        break;
    case PsiRecord::CLIP:
        PrintPoints("clip", r);
        break;
    case PsiRecord::PATH:
        PrintPoints("path", r);
        break;
    case PsiRecord::PATH_TIME:
        std::printf("path-time %.9g mode %d\n", r.mPathTime, static_cast<int>(r.mPathMode));
        break;
    default:
        std::printf("tag %d without payload\n", r.mTag);
        break;
    }
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: psi FILE.psi\n");
        return 2;
    }
    Quor::PsiReader reader(argv[1]);
    if (!reader.IsOpen()) {
        std::fprintf(stderr, "psi: cannot open %s\n", argv[1]);
        return 1;
    }
    Quor::PsiHeader header;
    PrintHeader(header, reader.ReadHeader(header));
    Quor::PsiRecord record;
    while (reader.NextRecord(record))
        PrintRecord(record);
    std::printf(reader.ShortRead() ? "end: cut short\n" : "end\n");
    return 0;
}
