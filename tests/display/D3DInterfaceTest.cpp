// The 3-D renderer and its texture pieces, checked call by call and vertex by vertex on a
// recording device: piece sizes and layout, format choice, uploads and read back, the scene
// states, blends and filters, the blits through pieces, transforms with clipping, triangles,
// lines, fills and polygons, and the labelled failures.
#include "app/QuorAppBase.h"
#include "display/D3DInterface.h"
#include "display/DDInterface.h"
#include "display/ImageTextureSet.h"
#include "graphics/MemoryImage.h"
#include "platform/Settings.h"
#include "tests/display/RecordingDevice3D.h"

#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <cstring>
#include <functional>
#include <memory>
#include <vector>

using namespace Quor;
using quortest::RecordingDevice;

namespace {

class Renderer : public ::testing::Test {
protected:
    void SetUp() override { Make(); }
    void TearDown() override
    {
        mRenderer.reset();
        mImages.clear();
        if (mDevice != nullptr)
            mDevice->Release();
        plat::ClearFaults3D();
    }
    void Make(std::unique_ptr<RecordingDevice> theDevice = std::make_unique<RecordingDevice>(), DDInterface* theDisplay = nullptr)
    {
        mRenderer.reset();
        if (mDevice != nullptr)
            mDevice->Release();
        mDevice = theDevice.release();
        mDevice->AddRef();
        mRenderer = std::make_unique<D3DInterface>();
        ASSERT_TRUE(mRenderer->InitWithDevice(theDisplay, mDevice, 640, 480));
        mDevice->mCalls.clear();
    }
    MemoryImage* Image(int w, int h, uint32_t fill)
    {
        std::vector<uint32_t> bits(static_cast<size_t>(w) * h, fill);
        mImages.push_back(std::make_unique<MemoryImage>(nullptr));
        mImages.back()->SetBits(bits.data(), w, h);
        return mImages.back().get();
    }
    std::vector<const RecordingDevice::Call*> Draws() const { return mDevice->Draws(); }

    std::vector<std::unique_ptr<MemoryImage>> mImages;
    RecordingDevice* mDevice = nullptr;
    std::unique_ptr<D3DInterface> mRenderer;
};

void ExpectCorners(const RecordingDevice::Call& c, std::vector<std::pair<float, float>> theCorners)
{
    ASSERT_EQ(c.vertices.size(), theCorners.size());
    for (size_t i = 0; i < theCorners.size(); i++) {
        EXPECT_FLOAT_EQ(c.vertices[i].sx, theCorners[i].first) << "vertex " << i;
        EXPECT_FLOAT_EQ(c.vertices[i].sy, theCorners[i].second) << "vertex " << i;
    }
}

// ------------------------------------------------------------------------------------ pieces

TEST(TexturePieces, SizeTableGivesOnePieceWhenTheNextPowerIsNearElseASmallerPower)
{
    const std::pair<int, int> cases[] = {{0, 1}, {1, 1}, {64, 64}, {65, 128}, {100, 128}, {200, 256}, {300, 256}, {900, 128}, {1000, 1024}};
    for (auto [n, size] : cases)
        EXPECT_EQ(ImageTextureSet::SizeTableEntry(n), size) << n;
}

TEST_F(Renderer, LayoutSplitsA100By300ImageIntoA128By256AndA128By64Piece)
{
    ImageTextureSet set;
    set.Layout(100, 300, 0);
    EXPECT_EQ(set.mTexVecWidth, 1);
    ASSERT_EQ(set.mTexVecHeight, 2);
    EXPECT_EQ(set.mTextures[0].mWidth, 128);
    EXPECT_EQ(set.mTextures[0].mHeight, 256);
    EXPECT_EQ(set.mTextures[1].mWidth, 128);
    EXPECT_EQ(set.mTextures[1].mHeight, 64);
    EXPECT_FLOAT_EQ(set.mMaxTotalU, 100.0f / 128);
    EXPECT_FLOAT_EQ(set.mMaxTotalV, 300.0f / 256);

    // Pieces of 64 x 64 on request; a device without a maximum uses 64 x 64 with aspect 1.
    set.Layout(100, 100, TextureFlag_Use64By64Subdivisions);
    EXPECT_EQ(set.mTextures.size(), 4u);
    EXPECT_EQ(set.mTextures[3].mWidth, 64);
    auto device = std::make_unique<RecordingDevice>();
    device->mCaps.maxTextureWidth = 0;
    Make(std::move(device));
    EXPECT_EQ(gTextureLimits.mMaxWidth, 64);
    EXPECT_EQ(gTextureLimits.mMaxAspectRatio, 1);
    set.Layout(100, 20, 0);
    EXPECT_EQ(set.mTexPieceWidth, 64);
    EXPECT_EQ(set.mTexPieceHeight, 64);
}

TEST_F(Renderer, FormatFollowsAlphaFlagsAndTheImagesThreeDFlags)
{
    struct Case {
        uint32_t fill;
        int flags;
        uint32_t supported;
        int format;
    } cases[] = {
        {0xFF102030, 0, 7, plat::kTexR5G6B5},
        {0xFF102030, TextureFlag_UseA8R8G8B8, 7, plat::kTexA8R8G8B8},
        {0x80102030, 0, 7, plat::kTexA8R8G8B8},
        {0x80102030, TextureFlag_UseA4R4G4B4, 7, plat::kTexA4R4G4B4},
        {0x80102030, 0, plat::kTexA4R4G4B4 | plat::kTexR5G6B5, plat::kTexA4R4G4B4},
        {0x80102030, TextureFlag_UseA4R4G4B4, plat::kTexA8R8G8B8, plat::kTexA8R8G8B8},
    };
    for (const Case& c : cases) {
        MemoryImage* image = Image(8, 8, c.fill);
        image->mTextureFlags = c.flags;
        gSupportedPixelFormats = c.supported;
        ASSERT_TRUE(mRenderer->CreateImageTexture(image));
        EXPECT_EQ(image->mTextureData->mPixelFormat, c.format) << std::hex << c.fill << " flags " << c.flags;
    }
}

TEST_F(Renderer, AFailedPaletteTurnsPalette8OffForTheRun)
{
    gSupportedPixelFormats = plat::kTexA8R8G8B8 | plat::kTexPalette8;
    MemoryImage* image = Image(4, 4, 0x80FF0000);
    ASSERT_TRUE(image->Palletize());
    ASSERT_TRUE(mRenderer->CreateImageTexture(image));
    EXPECT_EQ(image->mTextureData->mPixelFormat, plat::kTexA8R8G8B8);
    EXPECT_EQ(gSupportedPixelFormats & plat::kTexPalette8, 0u);

    // Where palettes work, the palette form is uploaded as indices and read back through it.
    auto device = std::make_unique<RecordingDevice>();
    device->mPalettes = true;
    device->mCaps.textureCaps = plat::kTexCapsAlphaPalette;
    device->mFormats.push_back(plat::TextureFormatDesc(plat::kTexPalette8));
    Make(std::move(device));
    MemoryImage* paletted = Image(3, 1, 0x80FF0000);
    paletted->mBits[1] = 0xFF00FF00;
    paletted->BitsChanged();
    ASSERT_TRUE(paletted->Palletize());
    ASSERT_TRUE(mRenderer->CreateImageTexture(paletted));
    EXPECT_EQ(paletted->mTextureData->mPixelFormat, plat::kTexPalette8);
    EXPECT_EQ(paletted->mTextureData->mTexMemSize, 4 * 1 + 1024);
    paletted->GetBits(); // the palette form becomes bits
    ASSERT_TRUE(mRenderer->ReadBackTexture(paletted));
    EXPECT_EQ(paletted->mBits[0], 0x80FF0000u);
    EXPECT_EQ(paletted->mBits[1], 0xFF00FF00u);
}

TEST_F(Renderer, UploadConvertsExactlyAndRepeatsTheLastColumnAndRow)
{
    gSupportedPixelFormats = 7;
    MemoryImage* image = Image(3, 3, 0xFF123456);
    image->mBits[8] = 0x80FFEEDD; // bottom-right: translucent, so A4R4G4B4 with flag 4
    image->BitsChanged();
    image->mTextureFlags = TextureFlag_UseA4R4G4B4;
    ASSERT_TRUE(mRenderer->CreateImageTexture(image));
    const ImageTextureSet& set = *image->mTextureData;
    ASSERT_EQ(set.mTextures.size(), 1u);
    const plat::Texture3D* t = set.mTextures[0].mTexture;
    ASSERT_EQ(t->Width(), 4u);
    ASSERT_EQ(t->Height(), 4u);
    auto at = [&](int x, int y) {
        uint16_t v;
        std::memcpy(&v, t->Pixels().data() + y * t->Pitch() + x * 2, 2);
        return v;
    };
    EXPECT_EQ(at(0, 0), 0xF135);
    EXPECT_EQ(at(2, 2), 0x8FED);
    EXPECT_EQ(at(3, 2), 0x8FED); // repeated column
    EXPECT_EQ(at(2, 3), 0x8FED); // repeated row
    EXPECT_EQ(at(3, 3), 0x8FED);

    // R5G6B5 of an opaque image; read back gives the channels' top bits and alpha 0xFF.
    MemoryImage* opaque = Image(2, 1, 0xFFFFFFFF);
    opaque->mBits[1] = 0xFF8040C0;
    opaque->BitsChanged();
    ASSERT_TRUE(mRenderer->CreateImageTexture(opaque));
    ASSERT_EQ(opaque->mTextureData->mPixelFormat, plat::kTexR5G6B5);
    ASSERT_TRUE(mRenderer->ReadBackTexture(opaque));
    EXPECT_EQ(opaque->mBits[0], 0xFFF8FCF8u);
    EXPECT_EQ(opaque->mBits[1], 0xFF8040C0u);
    ASSERT_TRUE(mRenderer->ReadBackTexture(image));
    EXPECT_EQ(image->mBits[8], 0xFFF0E0D0u);
}

// A row long enough for the several-pixels-a-step conversion and its tail: every pixel keeps
// the top bits of each channel.
TEST_F(Renderer, WideRowsConvertEveryPixelToTheChannelsTopBits)
{
    gSupportedPixelFormats = 7;
    for (const bool translucent : {true, false}) {
        MemoryImage* image = Image(21, 1, 0);
        for (int i = 0; i < 21; i++)
            image->mBits[i] = (translucent ? 0x10000000u * static_cast<uint32_t>(i % 15 + 1) : 0xFF000000u) |
                              ((static_cast<uint32_t>(i) * 2654435761u) & 0xFFFFFF);
        image->BitsChanged();
        image->mTextureFlags = translucent ? TextureFlag_UseA4R4G4B4 : 0;
        ASSERT_TRUE(mRenderer->CreateImageTexture(image));
        ASSERT_EQ(image->mTextureData->mPixelFormat, translucent ? plat::kTexA4R4G4B4 : plat::kTexR5G6B5);
        const plat::Texture3D* t = image->mTextureData->mTextures[0].mTexture;
        for (int i = 0; i < 21; i++) {
            const uint32_t p = image->mBits[i];
            const uint32_t a = p >> 24, r = (p >> 16) & 0xFF, g = (p >> 8) & 0xFF, b = p & 0xFF;
            const uint32_t want = translucent ? (a >> 4) << 12 | (r >> 4) << 8 | (g >> 4) << 4 | b >> 4
                                              : (r >> 3) << 11 | (g >> 2) << 5 | b >> 3;
            uint16_t got;
            std::memcpy(&got, t->Pixels().data() + i * 2, 2);
            EXPECT_EQ(got, want) << translucent << " " << i;
        }
    }
}

TEST_F(Renderer, EnsureUploadsAgainOnlyAfterTheBitsChanged)
{
    MemoryImage* image = Image(2, 2, 0xFF000000);
    ASSERT_TRUE(mRenderer->CreateImageTexture(image));
    plat::Texture3D* t = image->mTextureData->mTextures[0].mTexture;
    plat::SurfaceDesc d;
    ASSERT_EQ(t->Lock(d, 0), plat::DD_OK);
    std::memset(d.pixels, 0xAB, 2);
    t->Unlock();
    mRenderer->CreateImageTexture(image); // unchanged: not uploaded
    EXPECT_EQ(t->Pixels()[0], 0xAB);
    image->mBits[0] = 0xFFFFFFFF;
    image->BitsChanged();
    mRenderer->CreateImageTexture(image); // changed: uploaded into the same texture
    EXPECT_EQ(image->mTextureData->mTextures[0].mTexture, t);
    EXPECT_EQ(t->Pixels()[0], 0xFF);
    EXPECT_EQ(t->Pixels()[4], 0x00);
    // A read back of texture data made from an older change count is refused.
    image->mChangeCount++;
    EXPECT_FALSE(mRenderer->ReadBackTexture(image));
}

TEST_F(Renderer, GetPieceCoversThePartOfOnePieceWithItsTextureCoordinates)
{
    MemoryImage* image = Image(100, 300, 0xFF000000);
    ASSERT_TRUE(mRenderer->CreateImageTexture(image));
    int w = 50, h = 40;
    float u1, v1, u2, v2;
    plat::Texture3D* t = image->mTextureData->GetPiece(10, 260, w, h, u1, v1, u2, v2);
    EXPECT_EQ(t, image->mTextureData->mTextures[1].mTexture);
    EXPECT_EQ(w, 50);
    EXPECT_EQ(h, 40);
    EXPECT_FLOAT_EQ(u1, 10.0f / 128);
    EXPECT_FLOAT_EQ(v1, 4.0f / 64);
    EXPECT_FLOAT_EQ(u2, 60.0f / 128);
    EXPECT_FLOAT_EQ(v2, 44.0f / 64);
    w = 100, h = 100;
    image->mTextureData->GetPiece(0, 200, w, h, u1, v1, u2, v2);
    EXPECT_EQ(h, 56); // cut at the piece's bottom
    EXPECT_EQ(image->mTextureData->mTexMemSize, 128 * 256 * 2 + 128 * 64 * 2);
}

TEST_F(Renderer, TexturesAreDroppedPerImageAndAllAtOnce)
{
    MemoryImage* a = Image(4, 4, 0xFF000000);
    MemoryImage* b = Image(4, 4, 0xFF000000);
    ASSERT_TRUE(mRenderer->CreateImageTexture(a));
    ASSERT_TRUE(mRenderer->CreateImageTexture(b));
    EXPECT_EQ(mRenderer->mImageSet.size(), 2u);
    mRenderer->RemoveImageTexture(a);
    EXPECT_EQ(a->mTextureData, nullptr);
    EXPECT_EQ(mRenderer->mImageSet.size(), 1u);
    mRenderer->RemoveAllTextures();
    EXPECT_EQ(b->mTextureData, nullptr);
    EXPECT_TRUE(mRenderer->mImageSet.empty());
    EXPECT_EQ(mRenderer->mD3DDevice, nullptr);
}

TEST_F(Renderer, AFailedTextureDrawsNothingKeepsThePixelsAndIsNotAnError)
{
    MemoryImage* image = Image(4, 4, 0xFF112233);
    image->mPurgeBits = true;
    plat::InjectFault3D(plat::Call3D::CreateTexture, 1);
    mRenderer->Blt(image, 0, 0, Rect(0, 0, 4, 4), Color::White, 0, false);
    EXPECT_TRUE(Draws().empty());
    EXPECT_EQ(GetD3DLastError(), "");
    ASSERT_NE(image->mBits, nullptr);
    EXPECT_EQ(image->mBits[0], 0xFF112233u);
    mRenderer->Blt(image, 0, 0, Rect(0, 0, 4, 4), Color::White, 0, false); // tried again
    EXPECT_EQ(Draws().size(), 1u);
}

// ------------------------------------------------------------------------------------ renderer

TEST_F(Renderer, AFrameOpensOneSceneWithItsStatesAndFlushClosesIt)
{
    mRenderer->FillRect(Rect(0, 0, 1, 1), Color::White, 0);
    mRenderer->FillRect(Rect(0, 0, 1, 1), Color::White, 0);
    EXPECT_EQ(mDevice->Count("target"), 1);
    ASSERT_GE(mDevice->mCalls.size(), 17u);
    const std::pair<std::string, std::pair<uint32_t, uint32_t>> states[] = {
        {"target", {0, 0}},
        {"scene", {1, 0}},
        {"rs", {plat::kRsAlphaBlendEnable, 1}},
        {"rs", {plat::kRsSrcBlend, plat::kBlendSrcAlpha}},
        {"rs", {plat::kRsDestBlend, plat::kBlendInvSrcAlpha}},
        {"rs", {plat::kRsLighting, 0}},
        {"tss", {plat::kTssMinFilter, plat::kFilterPoint}},
        {"tss", {plat::kTssMagFilter, plat::kFilterPoint}},
        {"tss", {plat::kTssMipFilter, plat::kFilterNone}},
        {"tss", {plat::kTssAlphaOp, plat::kTopModulate}},
        {"tss", {plat::kTssAddressU, plat::kAddressClamp}},
        {"tss", {plat::kTssAddressV, plat::kAddressClamp}},
        {"rs", {plat::kRsDitherEnable, 0}},
        {"rs", {plat::kRsSpecularEnable, 0}},
        {"rs", {plat::kRsZWriteEnable, 0}},
        {"rs", {plat::kRsZEnable, 0}},
        {"rs", {plat::kRsCullMode, plat::kCullNone}},
    };
    for (size_t i = 0; i < std::size(states); i++) {
        EXPECT_EQ(mDevice->mCalls[i].what, states[i].first) << i;
        EXPECT_EQ(mDevice->mCalls[i].a, states[i].second.first) << i;
        EXPECT_EQ(mDevice->mCalls[i].b, states[i].second.second) << i;
    }
    mRenderer->Flush();
    EXPECT_EQ(mDevice->mCalls.back().what, "scene");
    EXPECT_EQ(mDevice->mCalls.back().a, 0u);
    EXPECT_FALSE(mRenderer->mSceneBegun);
}

TEST_F(Renderer, NothingIsDrawnWhileMinimisedOrWithoutARenderTarget)
{
    QuorAppBase app;
    DDInterface display(&app);
    Make(std::make_unique<RecordingDevice>(), &display);
    app.mMinimized = true;
    mRenderer->FillRect(Rect(0, 0, 1, 1), Color::White, 0);
    EXPECT_TRUE(mDevice->mCalls.empty());
    app.mMinimized = false;
    plat::InjectFault3D(plat::Call3D::SetRenderTarget, 1);
    mRenderer->FillRect(Rect(0, 0, 1, 1), Color::White, 0);
    EXPECT_TRUE(gRenderTargetLost);
    EXPECT_TRUE(Draws().empty());
    mRenderer->FillRect(Rect(0, 0, 1, 1), Color::White, 0);
    EXPECT_FALSE(gRenderTargetLost);
    EXPECT_EQ(Draws().size(), 1u);
    mRenderer.reset();
}

TEST_F(Renderer, DrawModeZeroBlendsAndAnyOtherAdds)
{
    for (auto [mode, dest] : {std::pair{0, plat::kBlendInvSrcAlpha}, {1, plat::kBlendOne}, {2, plat::kBlendOne}}) {
        mDevice->mCalls.clear();
        mRenderer->FillRect(Rect(0, 0, 1, 1), Color::White, mode);
        const auto& c = mDevice->mCalls;
        auto draw = std::find_if(c.begin(), c.end(), [](const auto& x) { return x.what == "draw"; });
        ASSERT_NE(draw, c.end());
        // The last blend states before the draw.
        uint32_t src = 0, dst = 0;
        for (auto it = c.begin(); it != draw; ++it) {
            if (it->what == "rs" && it->a == plat::kRsSrcBlend)
                src = it->b;
            if (it->what == "rs" && it->a == plat::kRsDestBlend)
                dst = it->b;
        }
        EXPECT_EQ(src, plat::kBlendSrcAlpha) << mode;
        EXPECT_EQ(dst, dest) << mode;
    }
}

TEST_F(Renderer, TheFilterIsSetOnlyWhenItChanges)
{
    mRenderer->FillRect(Rect(0, 0, 1, 1), Color::White, 0); // opens the scene with point filtering
    mDevice->mCalls.clear();
    mRenderer->SetLinearFilter(false);
    EXPECT_EQ(mDevice->Count("tss"), 0);
    mRenderer->SetLinearFilter(true);
    EXPECT_EQ(mDevice->Count("tss"), 3);
    EXPECT_EQ(mDevice->mCalls[0].b, plat::kFilterLinear);
    mRenderer->SetLinearFilter(true);
    EXPECT_EQ(mDevice->Count("tss"), 3);
}

TEST_F(Renderer, BltDrawsEachPieceAsAStripWithCornersHalfAPixelUpLeft)
{
    MemoryImage* image = Image(100, 300, 0xFF000000);
    mRenderer->Blt(image, 5, 7, Rect(0, 0, 100, 300), Color(255, 255, 255, 128), 0, false);
    auto d = Draws();
    ASSERT_EQ(d.size(), 2u);
    EXPECT_EQ(d[0]->a, plat::kPrimTriangleStrip);
    ExpectCorners(*d[0], {{4.5f, 6.5f}, {104.5f, 6.5f}, {4.5f, 262.5f}, {104.5f, 262.5f}});
    ExpectCorners(*d[1], {{4.5f, 262.5f}, {104.5f, 262.5f}, {4.5f, 306.5f}, {104.5f, 306.5f}});
    EXPECT_FLOAT_EQ(d[0]->vertices[3].tu, 100.0f / 128);
    EXPECT_FLOAT_EQ(d[0]->vertices[3].tv, 1.0f);
    EXPECT_FLOAT_EQ(d[1]->vertices[3].tv, 44.0f / 64);
    EXPECT_EQ(d[0]->vertices[0].color, 0x80FFFFFFu);
    // A source rectangle reaching past the image draws only the part on it.
    mDevice->mCalls.clear();
    mRenderer->Blt(image, 0, 0, Rect(90, -10, 20, 20), Color::White, 0, false);
    d = Draws();
    ASSERT_EQ(d.size(), 1u);
    ExpectCorners(*d[0], {{-0.5f, 9.5f}, {9.5f, 9.5f}, {-0.5f, 19.5f}, {9.5f, 19.5f}});
}

TEST_F(Renderer, TransformedBlitsMapTheCornersAndClipIntoFans)
{
    MemoryImage* image = Image(10, 20, 0xFF000000);
    mRenderer->BltMirror(image, 30, 40, Rect(0, 0, 10, 20), Color::White, 0);
    auto d = Draws();
    ASSERT_EQ(d.size(), 1u);
    EXPECT_EQ(d[0]->a, plat::kPrimTriangleStrip);
    ExpectCorners(*d[0], {{39.5f, 39.5f}, {29.5f, 39.5f}, {39.5f, 59.5f}, {29.5f, 59.5f}});

    mDevice->mCalls.clear();
    mRenderer->StretchBlt(image, Rect(0, 0, 20, 60), Rect(0, 0, 10, 20), Rect(-10, -10, 640, 480), Color::White, 0, true, false);
    d = Draws();
    ASSERT_EQ(d.size(), 1u);
    EXPECT_EQ(d[0]->a, plat::kPrimTriangleStrip);
    ExpectCorners(*d[0], {{-0.5f, -0.5f}, {19.5f, -0.5f}, {-0.5f, 59.5f}, {19.5f, 59.5f}});

    // A corner outside the clip rectangle: the quad is clipped and drawn as a fan.
    mDevice->mCalls.clear();
    mRenderer->BltF(image, 5.5f, 0.5f, Rect(0, 0, 10, 20), Rect(0, 0, 10, 480), Color::White, 0);
    d = Draws();
    ASSERT_EQ(d.size(), 1u);
    EXPECT_EQ(d[0]->a, plat::kPrimTriangleFan);
    float maxX = -1;
    for (const auto& v : d[0]->vertices) {
        EXPECT_LE(v.sx, 10.0f);
        EXPECT_GE(v.sx, 0.0f);
        maxX = std::max(maxX, v.sx);
    }
    EXPECT_FLOAT_EQ(maxX, 10.0f);
    // The texture is cut where the quad is: u at x = 10 is (10 - 5) / 10 of the image, over
    // the 16-wide texture.
    for (const auto& v : d[0]->vertices) {
        if (v.sx == 10.0f) {
            EXPECT_NEAR(v.tu, 5.0f / 16, 1e-5);
        }
    }

    // A rotation by a quarter turn about the image's centre.
    mDevice->mCalls.clear();
    mRenderer->BltRotated(image, 0, 0, Rect(0, 0, 10, 20), Rect(-100, -100, 1000, 1000), Color::White, 0, M_PI / 2, 5, 10);
    d = Draws();
    ASSERT_EQ(d.size(), 1u);
    EXPECT_NEAR(d[0]->vertices[0].sx, 5 - 10 - 0.5f, 1e-4); // (0,0) about (5,10) goes to (-5, 15)
    EXPECT_NEAR(d[0]->vertices[0].sy, 10 + 5 - 0.5f, 1e-4);
}

TEST_F(Renderer, TrianglesOfAOnePieceImageGoInBatchesOfAHundred)
{
    MemoryImage* image = Image(100, 50, 0xFF000000);
    std::vector<std::array<TriVertex, 3>> tris(250);
    for (auto& t : tris)
        t = {TriVertex{0, 0, 0, 0, 0}, TriVertex{10, 0, 1, 0, 0x80102030}, TriVertex{0, 10, 0, 1, 0}};
    mRenderer->BltTriangles(image, reinterpret_cast<const TriVertex(*)[3]>(tris.data()), 250, Color::White, 0, 2, 3, false);
    auto d = Draws();
    ASSERT_EQ(d.size(), 3u);
    EXPECT_EQ(d[0]->vertices.size(), 300u);
    EXPECT_EQ(d[2]->vertices.size(), 150u);
    EXPECT_EQ(d[0]->a, plat::kPrimTriangleList);
    EXPECT_FLOAT_EQ(d[0]->vertices[1].sx, 12.0f);
    EXPECT_FLOAT_EQ(d[0]->vertices[1].tu, 100.0f / 128); // scaled by the width in pieces
    EXPECT_EQ(d[0]->vertices[0].color, 0xFFFFFFFFu);     // colour 0: the given colour
    EXPECT_EQ(d[0]->vertices[1].color, 0x80102030u);
}

TEST_F(Renderer, TrianglesOverSeveralPiecesAreDrawnPerPieceClippedInTextureSpace)
{
    auto device = std::make_unique<RecordingDevice>();
    device->mCaps.maxTextureWidth = device->mCaps.maxTextureHeight = 64;
    Make(std::move(device));
    MemoryImage* image = Image(128, 64, 0xFF000000);
    TriVertex tri[1][3] = {{{0, 0, 0, 0, 0}, {128, 0, 1, 0, 0}, {0, 64, 0, 1, 0}}};
    mRenderer->BltTriangles(image, tri, 1, Color::White, 0, 0, 0, false);
    auto d = Draws();
    ASSERT_EQ(d.size(), 2u);
    for (const auto* c : d) {
        EXPECT_EQ(c->a, plat::kPrimTriangleFan);
        for (const auto& v : c->vertices) {
            EXPECT_GE(v.tu, -1e-6f);
            EXPECT_LE(v.tu, 1.0f + 1e-6f);
        }
    }
    // The second piece starts where the first ends: x = 64 on screen, u = 0 in its texture.
    float minX = 1e9f;
    for (const auto& v : d[1]->vertices)
        minX = std::min(minX, v.sx);
    EXPECT_FLOAT_EQ(minX, 64.0f);
}

TEST_F(Renderer, LinesRectanglesAndPolygons)
{
    mRenderer->DrawLine(1, 2, 7, 9, Color(1, 2, 3, 4), 0);
    auto d = Draws();
    ASSERT_EQ(d.size(), 1u);
    EXPECT_EQ(d[0]->a, plat::kPrimLineStrip);
    ExpectCorners(*d[0], {{1, 2}, {7, 9}, {7.5f, 9.5f}});
    EXPECT_EQ(d[0]->vertices[0].color, 0x04010203u);

    mDevice->mCalls.clear();
    mRenderer->FillRect(Rect(10, 20, 5, 5), Color::White, 0);
    d = Draws();
    ASSERT_EQ(d.size(), 1u);
    ExpectCorners(*d[0], {{9.5f, 19.5f}, {9.5f, 24.5f}, {14.5f, 19.5f}, {14.5f, 24.5f}});
    // Untextured draws unbind the texture first.
    const auto& c = mDevice->mCalls;
    auto draw = std::find_if(c.begin(), c.end(), [](const auto& x) { return x.what == "draw"; });
    ASSERT_NE(draw, c.begin());
    EXPECT_EQ((draw - 1)->what, "texture");
    EXPECT_EQ((draw - 1)->texture, nullptr);

    mDevice->mCalls.clear();
    Point two[2] = {{0, 0}, {5, 5}};
    mRenderer->FillPoly(two, 2, nullptr, Color::White, 0, 0, 0);
    EXPECT_TRUE(mDevice->mCalls.empty());
    Point tri[3] = {{0, 0}, {20, 0}, {0, 20}};
    mRenderer->FillPoly(tri, 3, nullptr, Color::White, 0, 1, 2);
    d = Draws();
    ASSERT_EQ(d.size(), 1u);
    EXPECT_EQ(d[0]->a, plat::kPrimTriangleFan);
    ExpectCorners(*d[0], {{1, 2}, {21, 2}, {1, 22}});
    mDevice->mCalls.clear();
    Rect clip(0, 0, 10, 10);
    mRenderer->FillPoly(tri, 3, &clip, Color::White, 0, 0, 0);
    d = Draws();
    ASSERT_EQ(d.size(), 1u);
    for (const auto& v : d[0]->vertices) {
        EXPECT_LE(v.sx, 10.0f);
        EXPECT_LE(v.sy, 10.0f);
    }
}

TEST(PolygonClip, CrossingsInterpolateAndRoundEachColourByte)
{
    VertexList in;
    plat::TLVertex a, b;
    a.sx = 0, a.tu = 0, a.color = 0x00000010;
    b.sx = 2, b.tu = 1, b.color = 0xFF00FF0F;
    in.push_back(a);
    in.push_back(b);
    in.push_back(a);
    VertexList out;
    ClipPolygonToBound(in, out, 0, 1.0f, true);
    ASSERT_GE(out.size(), 1);
    const plat::TLVertex& c = out[0];
    EXPECT_FLOAT_EQ(c.sx, 1.0f);
    EXPECT_FLOAT_EQ(c.tu, 0.5f);
    EXPECT_EQ(c.color, 0x80008010u); // 127.5 -> 128, 16 and 15 half-way -> 15.5 -> 16
    // Fewer than two vertices give nothing; the list moves to the heap past 100 vertices.
    VertexList one;
    one.push_back(a);
    ClipPolygonToBound(one, out, 0, 1.0f, true);
    EXPECT_EQ(out.size(), 0);
    VertexList many;
    for (int i = 0; i < 101; i++)
        many.push_back(a);
    EXPECT_TRUE(many.OnHeap());
    EXPECT_EQ(many.size(), 101);
}

// A failing call during a draw: recorded with its label, written to the settings store, and
// the draw goes on.
TEST_F(Renderer, EachLabelledCallRecordsItsFailure)
{
    QuorAppBase app;
    app.mRegistryKey = "QuorTest\\Renderer";
    DDInterface display(&app);
    Make(std::make_unique<RecordingDevice>(), &display);
    MemoryImage* image = Image(100, 50, 0xFF000000);
    MemoryImage* big = Image(128, 64, 0xFF000000);
    TriVertex tri[1][3] = {{{0, 0, 0, 0, 0}, {128, 0, 1, 0, 0}, {0, 64, 0, 1, 0}}};
    struct Case {
        plat::Call3D kind;
        std::function<void()> draw;
        const char* label;
        int n = 1;
    } cases[] = {
        {plat::Call3D::DrawPrimitive, [&] { mRenderer->FillRect(Rect(1, 1, 2, 2), Color::White, 0); }, "DrawPrimitive (Rect)"},
        {plat::Call3D::DrawPrimitive, [&] { mRenderer->DrawLine(0, 0, 3, 3, Color::White, 0); }, "DrawPrimitive (Line)"},
        {plat::Call3D::DrawPrimitive, [&] { mRenderer->Blt(image, 0, 0, Rect(0, 0, 10, 10), Color::White, 0, false); }, "DrawPrimitive (Tri) 1"},
        {plat::Call3D::DrawPrimitive, [&] { mRenderer->BltF(image, 0.5f, 0, Rect(0, 0, 10, 10), Rect(0, 0, 5, 5), Color::White, 0); }, "DrawPrimitive (Tri) 2"},
        {plat::Call3D::DrawPrimitive, [&] { mRenderer->BltMirror(image, 0, 0, Rect(0, 0, 10, 10), Color::White, 0); }, "DrawPrimitive (Tri) 3"},
        {plat::Call3D::DrawPrimitive, [&] { mRenderer->BltTriangles(image, tri, 1, Color::White, 0, 0, 0, false); }, "DrawPrimitive (TriList)"},
        {plat::Call3D::DrawPrimitive, [&] {
             Point p[3] = {{0, 0}, {4, 0}, {0, 4}};
             mRenderer->FillPoly(p, 3, nullptr, Color::White, 0, 0, 0);
         }, "DrawPrimitive (FillPoly)"},
        {plat::Call3D::SetTexture, [&] { mRenderer->FillRect(Rect(1, 1, 2, 2), Color::White, 0); }, "SetTexture NULL"},
        {plat::Call3D::SetTexture, [&] { mRenderer->Blt(image, 0, 0, Rect(0, 0, 10, 10), Color::White, 0, false); }, "SetTexture gTexture"},
        {plat::Call3D::SetTextureStageState, [&] {
             mRenderer->Blt(image, 0, 0, Rect(0, 0, 10, 10), Color::White, 0, true);
             mRenderer->Blt(image, 0, 0, Rect(0, 0, 10, 10), Color::White, 0, false);
         }, "SetTextureStageState LINEAR"},
        {plat::Call3D::SetTextureStageState, [&] {
             mRenderer->Blt(image, 0, 0, Rect(0, 0, 10, 10), Color::White, 0, true);
             mRenderer->Blt(image, 0, 0, Rect(0, 0, 10, 10), Color::White, 0, false);
         }, "SetTextureStageState Point", 4},
        {plat::Call3D::LockTexture, [&] { big->BitsChanged(); mRenderer->Blt(big, 0, 0, Rect(0, 0, 10, 10), Color::White, 0, false); }, "Lock Texture"},
        {plat::Call3D::UnlockTexture, [&] { big->BitsChanged(); mRenderer->Blt(big, 0, 0, Rect(0, 0, 10, 10), Color::White, 0, false); }, "Texture Unlock"},
    };
    for (const Case& c : cases) {
        mRenderer->Flush();
        c.draw(); // the scene is open, the image uploaded, the filter as the draw left it
        mDevice->mCalls.clear();
        plat::InjectFault3D(c.kind, c.n);
        c.draw();
        const std::string expected = std::string(c.label) + ": DDERR_SURFACELOST";
        EXPECT_EQ(GetD3DLastError(), expected);
        std::string stored;
        EXPECT_TRUE(app.RegistryReadString("Test3D\\RuntimeError", &stored));
        EXPECT_EQ(stored, expected);
        plat::ClearFaults3D();
        // The draw was not cut short at the failed call (only a failed draw itself has
        // nothing after it).
        EXPECT_FALSE(Draws().empty()) << c.label;
        mRenderer->Flush();
        EXPECT_EQ(GetD3DLastError(), "");
    }
    mRenderer.reset();
}

} // namespace
