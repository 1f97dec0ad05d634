// Resource manifests: the records and attributes they give, the defaults that carry over from
// one manifest to the next, and the failure texts with their place.
#include <gtest/gtest.h>

#include "resources/ImageLib.h"
#include "resources/ResourceManager.h"
#include "tests/support/TestSupport.h"

#include <string>

using namespace Quor;

namespace {

using ImageRes = ResourceManager::ImageRes;
using SoundRes = ResourceManager::SoundRes;
using FontRes = ResourceManager::FontRes;

class ManifestTest : public ::testing::Test {
protected:
    quortest::TempDir mDir;
    ResourceManager mManager{nullptr};
    int mFileCount = 0;

    // Writes the text to a new file and reads it as a manifest.
    bool Parse(const std::string& theText)
    {
        std::string aPath = mDir.File("m" + std::to_string(mFileCount++) + ".xml");
        quortest::WriteFile(aPath, theText);
        return mManager.ParseResourcesFile(aPath);
    }
    std::string LastFile() const { return mDir.File("m" + std::to_string(mFileCount - 1) + ".xml"); }

    template <typename T>
    T* Record(ResourceManager::ResMap& theMap, const std::string& theId)
    {
        auto it = theMap.find(theId);
        return it == theMap.end() ? nullptr : static_cast<T*>(it->second);
    }
};

TEST_F(ManifestTest, ImageAttributes)
{
    ASSERT_TRUE(Parse(R"(<?xml version="1.0"?>
<ResourceManifest>
  <Resources id="Game">
    <SetDefaults path="images\" idprefix="IMG_"/>
    <Image path="hero.png"/>
    <Image id="STRIP" path="anim\walk.png" rows="0" cols="4" anim="LoOp" framedelay="50"
           begindelay="200" enddelay="300" nopal="" a4r4g4b4="" ddsurface="" nobits=""
           a8r8g8b8="" minsubdivide="" noalpha="" alphaimage="walk_a.png" alphacolor="ff8000"
           variant="Big" alphagrid="cel_a.png"/>
    <Image id="MAPPED" path="m.png" cols="3" anim="once" perframedelay="10,,30" framemap="2,0,1,0"/>
    <Image id="PROG" path="!program"/>
    <Image id="HUGE" path="h.png" rows="2000000000" cols="3" anim="pingpong"/>
  </Resources>
</ResourceManifest>)")) << mManager.GetErrorText();

    ImageRes* hero = Record<ImageRes>(mManager.mImageMap, "IMG_hero");
    ASSERT_NE(hero, nullptr);
    EXPECT_EQ(hero->mPath, "images/hero.png");
    EXPECT_EQ(hero->mResGroup, "Game");
    EXPECT_TRUE(hero->mPalletize);
    EXPECT_TRUE(hero->mAutoFindAlpha);
    EXPECT_FALSE(hero->mPurgeBits || hero->mDDSurface || hero->mA4R4G4B4 || hero->mA8R8G8B8);
    EXPECT_EQ(hero->mAlphaColor, 0xFFFFFFu);
    EXPECT_EQ(hero->mRows, 1);
    EXPECT_EQ(hero->mCols, 1);
    EXPECT_EQ(hero->mAnimInfo.mAnimType, ImageAnimation::AnimType_None);

    ImageRes* strip = Record<ImageRes>(mManager.mImageMap, "IMG_STRIP");
    ASSERT_NE(strip, nullptr);
    EXPECT_EQ(strip->mPath, "images/anim\\walk.png");
    EXPECT_FALSE(strip->mPalletize);
    EXPECT_FALSE(strip->mAutoFindAlpha);
    EXPECT_TRUE(strip->mA4R4G4B4 && strip->mA8R8G8B8 && strip->mDDSurface && strip->mPurgeBits &&
                strip->mMinimizeSubdivisions);
    EXPECT_EQ(strip->mAlphaImage, "images/walk_a.png");
    EXPECT_EQ(strip->mAlphaGridImage, "images/cel_a.png");
    EXPECT_EQ(strip->mAlphaColor, 0xFF8000u);
    EXPECT_EQ(strip->mVariant, "Big");
    EXPECT_EQ(strip->mRows, 1);  // rows="0" is one row
    EXPECT_EQ(strip->mCols, 4);
    EXPECT_EQ(strip->mAnimInfo.mAnimType, ImageAnimation::AnimType_Loop);
    EXPECT_EQ(strip->mAnimInfo.mNumCels, 4);
    EXPECT_EQ(strip->mAnimInfo.mFrameDelay, 50);
    EXPECT_EQ(strip->mAnimInfo.mPerFrameDelay, (std::vector<int>{200, 50, 50, 300}));
    EXPECT_EQ(strip->mXMLAttributes.at("variant"), "Big");

    ImageRes* mapped = Record<ImageRes>(mManager.mImageMap, "IMG_MAPPED");
    ASSERT_NE(mapped, nullptr);
    EXPECT_EQ(mapped->mAnimInfo.mAnimType, ImageAnimation::AnimType_Once);
    EXPECT_EQ(mapped->mAnimInfo.mFrameMap, (std::vector<int>{2, 0, 1, 0}));
    EXPECT_EQ(mapped->mAnimInfo.mNumCels, 4);
    // An empty item reads as 0, which takes the frame delay.
    EXPECT_EQ(mapped->mAnimInfo.mPerFrameDelay, (std::vector<int>{10, 1, 30, 1}));

    ImageRes* prog = Record<ImageRes>(mManager.mImageMap, "IMG_PROG");
    ASSERT_NE(prog, nullptr);
    EXPECT_EQ(prog->mPath, "!program");
    EXPECT_TRUE(prog->mFromProgram);

    // No image is more cels across than the largest image has pixels.
    ImageRes* huge = Record<ImageRes>(mManager.mImageMap, "IMG_HUGE");
    ASSERT_NE(huge, nullptr);
    EXPECT_EQ(huge->mRows, ImageLib::MAX_IMAGE_DIMENSION);
    EXPECT_EQ(huge->mAnimInfo.mNumCels, 2 * ImageLib::MAX_IMAGE_DIMENSION - 2);

    EXPECT_EQ(mManager.GetNumImages(""), 5);
    EXPECT_EQ(mManager.GetNumImages("Game"), 4);  // not the program's own
    EXPECT_EQ(mManager.mResGroupMap["Game"].size(), 5u);
    EXPECT_EQ(mManager.mResGroupMap["Game"].front(), hero);
}

TEST_F(ManifestTest, SoundsFontsAndSharedIds)
{
    ASSERT_TRUE(Parse(R"(<ResourceManifest>
  <Resources id="A">
    <Sound id="CLICK" path="sounds\click" volume="0.5" pan="-200"/>
    <Sound id="PLAIN" path="sounds\plain"/>
    <Image id="CLICK" path="click.png"/>
    <Font id="SYS" path="!sys:Arial" size="12" bold="" italic="" shadow="" underline=""
          tags="one"/>
    <Font id="DESC" path="fonts\desc.txt" tags="Shadow, Main x"/>
    <Font id="OLD" path="fonts\widths.txt" image="fonts\img.png"/>
    <Font id="REF" path="!ref:DESC"/>
  </Resources>
</ResourceManifest>)")) << mManager.GetErrorText();

    SoundRes* click = Record<SoundRes>(mManager.mSoundMap, "CLICK");
    ASSERT_NE(click, nullptr);
    EXPECT_EQ(click->mVolume, 0.5);
    EXPECT_EQ(click->mPan, -200);
    EXPECT_EQ(click->mSoundId, -1);
    SoundRes* plain = Record<SoundRes>(mManager.mSoundMap, "PLAIN");
    ASSERT_NE(plain, nullptr);
    EXPECT_EQ(plain->mVolume, -1.0);
    EXPECT_EQ(plain->mPan, 0);
    EXPECT_NE(Record<ImageRes>(mManager.mImageMap, "CLICK"), nullptr);  // kinds have own ids

    FontRes* sys = Record<FontRes>(mManager.mFontMap, "SYS");
    ASSERT_NE(sys, nullptr);
    EXPECT_TRUE(sys->mSysFont);
    EXPECT_EQ(sys->mPath, "Arial");
    EXPECT_EQ(sys->mSize, 12);
    EXPECT_TRUE(sys->mBold && sys->mItalic && sys->mShadow && sys->mUnderline);
    FontRes* desc = Record<FontRes>(mManager.mFontMap, "DESC");
    ASSERT_NE(desc, nullptr);
    EXPECT_FALSE(desc->mSysFont);
    EXPECT_EQ(desc->mTags, "Shadow, Main x");
    FontRes* old = Record<FontRes>(mManager.mFontMap, "OLD");
    ASSERT_NE(old, nullptr);
    EXPECT_EQ(old->mImagePath, "fonts\\img.png");
    FontRes* ref = Record<FontRes>(mManager.mFontMap, "REF");
    ASSERT_NE(ref, nullptr);
    EXPECT_EQ(ref->mPath, "!ref:DESC");

    EXPECT_EQ(mManager.GetNumResources("A"), 7);
    EXPECT_EQ(mManager.GetNumSounds("B"), 0);
}

TEST_F(ManifestTest, DefaultsCarryOverBetweenManifests)
{
    ASSERT_TRUE(Parse(R"(<ResourceManifest><Resources id="One">
  <SetDefaults path="gfx/" idprefix="G_/"/>
  <Image path="a.png"/>
</Resources></ResourceManifest>)"));
    ASSERT_TRUE(Parse(R"(<ResourceManifest><Resources id="Two">
  <Image path="b.jpg"/>
  <SetDefaults idprefix="H_"/>
  <Image path="c.png"/>
  <SetDefaults path=""/>
  <Image path="d.png"/>
</Resources></ResourceManifest>)"));
    EXPECT_EQ(Record<ImageRes>(mManager.mImageMap, "G_a")->mPath, "gfx/a.png");
    EXPECT_EQ(Record<ImageRes>(mManager.mImageMap, "G_b")->mPath, "gfx/b.jpg");
    EXPECT_EQ(Record<ImageRes>(mManager.mImageMap, "H_c")->mPath, "gfx/c.png");
    // An empty default path means no prefix at all, not the root folder.
    ASSERT_NE(Record<ImageRes>(mManager.mImageMap, "H_d"), nullptr);
    EXPECT_EQ(Record<ImageRes>(mManager.mImageMap, "H_d")->mPath, "d.png");
}

struct FailCase {
    const char* name;
    std::string text;
    std::string error;  // "@" stands for " in File '<the manifest>'"
};

TEST_F(ManifestTest, FailureTexts)
{
    const std::vector<FailCase> cases = {
        {"no path", "<ResourceManifest>\n<Resources id=\"A\">\n<Image id=\"X\"/>\n</Resources>\n</ResourceManifest>",
         "No path specified. on Line 3@"},
        {"text in a section", "<ResourceManifest>\n<Resources id=\"A\">\nhello\n<Image path=\"x\"/></Resources></ResourceManifest>",
         "Element Not Expected 'hello' on Line 4@"},
        {"text in the root", "<ResourceManifest>stray<Resources id=\"A\"/></ResourceManifest>",
         "Element Not Expected 'stray' on Line 1@"},
        {"repeated id", "<ResourceManifest><Resources id=\"A\">\n<Sound id=\"S\" path=\"a\"/>\n<Sound id=\"S\" path=\"b\"/></Resources></ResourceManifest>",
         "Resource already defined. on Line 3@"},
        {"bad animation", "<ResourceManifest><Resources id=\"A\"><Image path=\"a.png\" anim=\"bounce\"/></Resources></ResourceManifest>",
         "Invalid animation type. on Line 1@"},
        {"system font without size", "<ResourceManifest><Resources id=\"A\"><Font path=\"!sys:Arial\"/></Resources></ResourceManifest>",
         "SysFont needs point size on Line 1@"},
        {"system font of size 0", "<ResourceManifest><Resources id=\"A\"><Font path=\"!sys:Arial\" size=\"0\"/></Resources></ResourceManifest>",
         "SysFont needs point size on Line 1@"},
        {"section without id", "<ResourceManifest><Resources><Image path=\"a\"/></Resources></ResourceManifest>",
         "No id specified. on Line 1@"},
        {"unknown root", "<Manifest><Resources id=\"A\"/></Manifest>", "Expecting ResourceManifest tag on Line 1@"},
        {"unknown section", "<ResourceManifest><Stuff/></ResourceManifest>", "Invalid Section 'Stuff' on Line 1@"},
        {"unknown element", "<ResourceManifest><Resources id=\"A\"><Music path=\"a\"/></Resources></ResourceManifest>",
         "Invalid Section 'Music' on Line 1@"},
        {"element with content", "<ResourceManifest><Resources id=\"A\"><Image path=\"a\"><Image path=\"b\"/></Image></Resources></ResourceManifest>",
         "Unexpected element found. on Line 1@"},
        {"nothing but a comment", "<!-- empty -->", "Expecting ResourceManifest tag on Line 1@"},
        {"cut short", "<ResourceManifest><Resources id=\"A\"><Image path=\"a.png\"/>",
         "Unexpected end of file. on Line 1@"},
        {"broken XML", "<ResourceManifest><Resources id=\"A\"></Other></ResourceManifest>",
         "End 'Other' Doesn't Match Start 'Resources' on Line 1@"},
    };
    for (const FailCase& c : cases) {
        SCOPED_TRACE(c.name);
        ResourceManager aManager(nullptr);
        std::string aPath = mDir.File("fail.xml");
        quortest::WriteFile(aPath, c.text);
        EXPECT_FALSE(aManager.ParseResourcesFile(aPath));
        EXPECT_TRUE(aManager.HadError());
        std::string anExpected = c.error;
        size_t anAt = anExpected.find('@');
        if (anAt != std::string::npos)
            anExpected.replace(anAt, 1, " in File '" + aPath + "'");
        EXPECT_EQ(aManager.GetErrorText(), anExpected);
    }
}

TEST_F(ManifestTest, FirstFailureWins)
{
    EXPECT_FALSE(mManager.ParseResourcesFile(mDir.File("none.xml")));
    EXPECT_EQ(mManager.GetErrorText(), "Resource file not found: " + mDir.File("none.xml"));
    // A later manifest with its own fault leaves the first text, and reports failure too.
    EXPECT_FALSE(Parse("<ResourceManifest><Resources id=\"A\"><Image/></Resources></ResourceManifest>"));
    EXPECT_EQ(mManager.GetErrorText(), "Resource file not found: " + mDir.File("none.xml"));
}

TEST_F(ManifestTest, RedefinitionWhenAllowed)
{
    mManager.mAllowAlreadyDefinedResources = true;
    ASSERT_TRUE(Parse(R"(<ResourceManifest><Resources id="A">
  <Image id="X" path="first.png" rows="2"/>
  <Image id="X" path="second.png" cols="3"/>
</Resources></ResourceManifest>)")) << mManager.GetErrorText();
    ImageRes* x = Record<ImageRes>(mManager.mImageMap, "X");
    ASSERT_NE(x, nullptr);
    EXPECT_EQ(x->mPath, "second.png");
    EXPECT_EQ(x->mRows, 1);
    EXPECT_EQ(x->mCols, 3);
    EXPECT_EQ(mManager.mResGroupMap["A"].size(), 1u);
    EXPECT_FALSE(mManager.HadError());
}

} // namespace
