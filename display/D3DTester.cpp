// The 3-D hardware test: identification, video memory, the cached verdict, the card lists, the
// device set-up and the five blend scenes.
#include "display/D3DTester.h"

#include "app/Common.h"
#include "app/DirectXErrorString.h"
#include "app/QuorAppBase.h"
#include "platform/Files.h"
#include "platform/Settings.h"
#include "platform/Window.h"

#include <algorithm>
#include <cctype>
#include <chrono>
#include <cstdio>
#include <cstring>

namespace Quor {

bool gD3DTestTextures32 = true;

namespace {

plat::WindowId WindowIdOf(void* theWindow)
{
    return static_cast<plat::WindowId>(reinterpret_cast<uintptr_t>(theWindow));
}

bool ColorsDiffer(uint32_t a, uint32_t b)
{
    const int dr = static_cast<int>((a >> 16) & 0xFF) - static_cast<int>((b >> 16) & 0xFF);
    const int dg = static_cast<int>((a >> 8) & 0xFF) - static_cast<int>((b >> 8) & 0xFF);
    const int db = static_cast<int>(a & 0xFF) - static_cast<int>(b & 0xFF);
    return dr * dr + dg * dg + db * db > 0x300;
}

std::string Trim(const std::string& s)
{
    size_t b = 0, e = s.size();
    while (b < e && std::isspace(static_cast<unsigned char>(s[b])))
        b++;
    while (e > b && std::isspace(static_cast<unsigned char>(s[e - 1])))
        e--;
    return s.substr(b, e - b);
}

// Whether a line of the card list (read whole, however long) occurs in the description; false
// when the file cannot be opened, which opened then tells.
bool CardListMatches(const char* theFileName, const std::string& theDescription, bool& opened)
{
    std::FILE* aFile = std::fopen(theFileName, "rb");
    opened = aFile != nullptr;
    if (aFile == nullptr)
        return false;
    bool aMatch = false;
    std::string aLine;
    char aBuffer[4000];
    for (;;) {
        const bool aGot = std::fgets(aBuffer, sizeof(aBuffer), aFile) != nullptr;
        if (aGot)
            aLine.append(aBuffer, std::strlen(aBuffer));
        const bool anEnd = !aGot || (!aLine.empty() && aLine.back() == '\n');
        if (!anEnd)
            continue; // the rest of a long line follows
        const std::string aTrimmed = Trim(aLine);
        aLine.clear();
        if (!aTrimmed.empty() && StrFindNoCase(theDescription.c_str(), aTrimmed.c_str()) >= 0) {
            aMatch = true;
            break;
        }
        if (!aGot)
            break;
    }
    std::fclose(aFile);
    return aMatch;
}

// Masked channel moved so that the mask's highest bit lands on bit theTop.
uint32_t Channel(uint32_t v, uint32_t theMask, int theTop)
{
    if (theMask == 0)
        return 0;
    const int aHigh = 31 - __builtin_clz(theMask);
    const uint32_t c = v & theMask;
    return aHigh > theTop ? c >> (aHigh - theTop) : c << (theTop - aHigh);
}

} // namespace

// ---------------------------------------------------------------------------------------------
// Test image

D3DTestImage::~D3DTestImage()
{
    delete[] mBits;
}

void D3DTestImage::Create(int theWidth, int theHeight)
{
    delete[] mBits;
    mBits = nullptr;
    mWidth = theWidth;
    mHeight = theHeight;
    if (theWidth > 0 && theHeight > 0)
        mBits = new uint32_t[static_cast<size_t>(theWidth) * theHeight]();
}

void D3DTestImage::FillRect(int theStart, int theRows, int theColumns, uint32_t theColor)
{
    if (mBits == nullptr)
        return;
    for (int r = 0; r < theRows; r++) {
        for (int c = 0; c < theColumns; c++) {
            const int64_t i = int64_t(theStart) + int64_t(r) * mWidth + c;
            if (i >= 0 && i < int64_t(mWidth) * mHeight)
                mBits[i] = theColor;
        }
    }
}

// ---------------------------------------------------------------------------------------------
// Tester

D3DTester::D3DTester(QuorAppBase* theApp) : mApp(theApp) {}

D3DTester::~D3DTester()
{
    Release();
}

void D3DTester::SetVidMemoryLimits(uint32_t theMinimum, uint32_t theRecommended)
{
    mMinVidMemory = theMinimum;
    mRecVidMemory = theRecommended;
}

bool D3DTester::Fail(const std::string& theText)
{
    mFailureReason = theText;
    return false;
}

bool D3DTester::Warn(const std::string& theText)
{
    mWarning = theText;
    return true;
}

void D3DTester::Check(plat::HResult theResult, const char* theLabel)
{
    if (plat::Failed(theResult))
        throw TestException(std::string("DXError - ") + theLabel + ": " + GetDirectXErrorString(theResult));
}

void D3DTester::Release()
{
    for (plat::Texture3D** t : {&mTextureSurface, &mTextureSurface2}) {
        if (*t != nullptr)
            (*t)->Release();
        *t = nullptr;
    }
    if (mD3DDevice != nullptr)
        mD3DDevice->Release();
    mD3DDevice = nullptr;
    if (mD3D != nullptr)
        mD3D->Release();
    mD3D = nullptr;
    if (mPrimarySurface != nullptr)
        mPrimarySurface->Release();
    mPrimarySurface = nullptr;
    if (mDD != nullptr)
        mDD->Release();
    mDD = nullptr;
    mRegKey = false;
}

void D3DTester::TestD3D(void* theWindow, plat::VideoDevice* theDD)
{
    const bool aPlaying = mApp != nullptr && mApp->mPlayingDemo;
    if (!aPlaying) {
        mSaveResults = false;
        const bool aRun = RunHardwareTest(theWindow, theDD);
        if (aRun)
            RunBlendTests();
        if (!aRun && mRegKey && !mSaveResults) {
            uint32_t aType = 0;
            uint8_t aByte[4096];
            uint32_t aLength = sizeof(aByte);
            mResultsChanged = !mApp->RegistryRead("Test3D\\FailureReason", &aType, aByte, &aLength);
            mSaveResults = true;
        }
        if (mSaveResults)
            WriteCache();
        Release();
    }
    if (mApp != nullptr) {
        mApp->DemoSyncString(mFailureReason);
        mApp->DemoSyncString(mWarning);
        mApp->DemoSyncBool(mResultsChanged);
    }
}

bool D3DTester::RunHardwareTest(void* theWindow, plat::VideoDevice* theDD)
{
    try {
        Release();
        mDriverYear = 0;
        if (mUseRegistry)
            mRegKey = mApp != nullptr && !mApp->mRegistryKey.empty();

        if (theDD == nullptr) {
            Check(plat::VideoDevice::Create(&mDD), "DirectDrawCreateEx");
        } else {
            mDD = theDD;
            mDD->AddRef();
        }

        plat::DeviceIdentifier anId;
        Check(mDD->GetDeviceIdentifier(anId), "GetDeviceIdentifier");
        std::memcpy(mDisplayGUID, anId.guid, sizeof(mDisplayGUID));
        mDriver.assign(anId.driver, strnlen(anId.driver, sizeof(anId.driver)));
        mDescription.assign(anId.description, strnlen(anId.description, sizeof(anId.description)));

        // Video memory: what the adapter has free plus what the desktop takes.
        std::string aMemoryWarning;
        const uint64_t aWidth = static_cast<uint64_t>(std::max(plat::GetSystemMetrics(plat::SM_CXSCREEN), 0));
        const uint64_t aHeight = static_cast<uint64_t>(std::max(plat::GetSystemMetrics(plat::SM_CYSCREEN), 0));
        const uint64_t aBits = mDD->DisplayFormat().bitCount;
        uint32_t aTotal = 0, aFree = 0;
        plat::HResult hr = mDD->GetAvailableVidMem(&aTotal, &aFree);
        if (plat::Failed(hr)) {
            Warn(StrFormat("GetAvailableVidMem failed: %s", GetDirectXErrorString(hr).c_str()));
            aMemoryWarning = mWarning;
        } else {
            const uint32_t aMegabytes = static_cast<uint32_t>((aTotal + (aBits / 8) * aHeight * aWidth) >> 20);
            if (aMegabytes < mMinVidMemory)
                return Fail("Not enough video memory.");
            if (aMegabytes < mRecVidMemory) {
                Warn("Low video memory.");
                aMemoryWarning = mWarning;
            }
        }

        if (mRegKey) {
            if (ReadCache())
                return false;
            mSaveResults = true;
        }
        // A fresh run starts from no verdict, except that what the memory check found stands.
        mFailureReason.clear();
        mWarning = aMemoryWarning;

        if (!mDriver.empty()) {
            int64_t aWriteTime = 0;
            if (plat::GetFileWriteTime(mDriver, &aWriteTime)) {
                // 100-ns units since 1601 to seconds since 1970, then the calendar year.
                const std::chrono::sys_seconds t{std::chrono::seconds(aWriteTime / 10000000 - 11644473600LL)};
                const std::chrono::year_month_day aDate{std::chrono::floor<std::chrono::days>(t)};
                mDriverYear = int(aDate.year());
            }
        }

        if (!IsSupportedCard(mDescription))
            Warn(StrFormat("Unsupported video card: %s", mDescription.c_str()));

        Check(mDD->QueryDirect3D(&mD3D), "QueryInterface IID_IDirect3D7");
        Check(mDD->SetCooperativeLevel(WindowIdOf(theWindow), plat::kCoopNormal), "SetCooperativeLevel");
        plat::SurfaceDesc aDesc;
        aDesc.flags = plat::kDescCaps | plat::kDescWidth | plat::kDescHeight | plat::kDescPixelFormat;
        aDesc.width = 100;
        aDesc.height = 100;
        aDesc.caps = plat::kCapsOffscreen | plat::kCaps3DDevice;
        aDesc.format = mDD->DisplayFormat();
        Check(mDD->CreateSurface(aDesc, &mPrimarySurface), "CreateSurface (Primary)");
        mTestImage.Create(100, 100);
        Check(mD3D->CreateDevice(mPrimarySurface, &mD3DDevice), "CreateDevice");

        std::vector<plat::TexturePixelFormat> aFormats;
        Check(mD3DDevice->EnumTextureFormats(aFormats), "EnumTextureFormats");
        uint32_t aSet = 0;
        for (const plat::TexturePixelFormat& f : aFormats)
            aSet |= plat::TextureFormatOf(f);
        if ((aSet & plat::kTexA8R8G8B8) == 0) {
            Warn("A8R8G8B8 texture format not supported.");
            if ((aSet & plat::kTexA4R4G4B4) == 0)
                return Fail("A4R4G4B4 and A8R8G8B8 texture formats not supported.");
        }
        gD3DTestTextures32 = (aSet & plat::kTexA8R8G8B8) != 0;
        const plat::TexturePixelFormat aTexFormat =
            plat::TextureFormatDesc(gD3DTestTextures32 ? plat::kTexA8R8G8B8 : plat::kTexA4R4G4B4);
        Check(mD3DDevice->CreateTexture(64, 64, aTexFormat, &mTextureSurface), "CreateSurface (TextureSurface1)");
        Check(mD3DDevice->CreateTexture(64, 64, aTexFormat, &mTextureSurface2), "CreateSurface (TextureSurfacd2)");
        return true;
    } catch (const TestException& e) {
        return Fail(e.what());
    }
}

bool D3DTester::ReadCache()
{
    mResultsChanged = true;
    if (!mRegKey || mApp == nullptr)
        return false;
    int aValue = 0;
    if (!mApp->RegistryReadInteger("Test3D\\Version", &aValue) || aValue != 2)
        return false;
    if (!mApp->RegistryReadInteger("Test3D\\MinVidMemory", &aValue) || static_cast<uint32_t>(aValue) != mMinVidMemory)
        return false;
    if (!mApp->RegistryReadInteger("Test3D\\RecVidMemory", &aValue) || static_cast<uint32_t>(aValue) != mRecVidMemory)
        return false;
    uint8_t aGuid[16];
    uint32_t aType = 0, aLength = sizeof(aGuid);
    if (!mApp->RegistryRead("Test3D\\DisplayGUID", &aType, aGuid, &aLength) || aType != plat::SETTING_BINARY ||
        aLength != 16 || std::memcmp(aGuid, mDisplayGUID, 16) != 0)
        return false;
    // Strings of up to 4096 bytes, cut at their first zero byte.
    auto readString = [&](const char* theName, std::string& theOut) {
        uint8_t aBytes[4096];
        uint32_t aStringType = 0, aStringLength = sizeof(aBytes);
        if (!mApp->RegistryRead(theName, &aStringType, aBytes, &aStringLength) || aStringType != plat::SETTING_STRING)
            return false;
        theOut.assign(reinterpret_cast<const char*>(aBytes), strnlen(reinterpret_cast<const char*>(aBytes), aStringLength));
        return true;
    };
    if (!readString("Test3D\\FailureReason", mFailureReason) || !readString("Test3D\\Warning", mWarning))
        return false;
    mResultsChanged = false;
    return mFailureReason.empty();
}

void D3DTester::WriteCache()
{
    if (!mRegKey || mApp == nullptr)
        return;
    mApp->RegistryWriteInteger("Test3D\\Version", 2);
    mApp->RegistryWriteInteger("Test3D\\MinVidMemory", static_cast<int>(mMinVidMemory));
    mApp->RegistryWriteInteger("Test3D\\RecVidMemory", static_cast<int>(mRecVidMemory));
    mApp->RegistryWrite("Test3D\\DisplayGUID", plat::SETTING_BINARY, mDisplayGUID, 16);
    mApp->RegistryWriteString("Test3D\\FailureReason", mFailureReason);
    mApp->RegistryWriteString("Test3D\\Warning", mWarning);
}

bool D3DTester::IsSupportedCard(const std::string& theDescription)
{
    bool anOpened = false;
    if (CardListMatches("vhwb.dat", theDescription, anOpened))
        return false;
    const bool aMatch = CardListMatches("vhw.dat", theDescription, anOpened);
    if (anOpened)
        return aMatch;
    if (mDriverYear >= 2002)
        return true;
    for (const char* aName : {"nvidia", "radeon", "ati "}) {
        if (StrFindNoCase(theDescription.c_str(), aName) >= 0)
            return true;
    }
    return false;
}

// ---------------------------------------------------------------------------------------------
// Drawing and reading back

void D3DTester::DrawImage(D3DTestImage& theImage, int theX, int theY, uint32_t theColor)
{
    for (int ty = 0; ty < theImage.mHeight; ty += 64) {
        for (int tx = 0; tx < theImage.mWidth; tx += 64) {
            const int w = std::min(64, theImage.mWidth - tx), h = std::min(64, theImage.mHeight - ty);
            plat::SurfaceDesc aDesc;
            Check(mTextureSurface->Lock(aDesc, plat::kLockWait | plat::kLockWriteOnly), "Lock Texture");
            auto* aPixels = static_cast<uint8_t*>(aDesc.pixels);
            if (w < 64 || h < 64)
                std::memset(aPixels, 0, static_cast<size_t>(aDesc.pitch) * 64);
            for (int r = 0; r < h; r++) {
                const uint32_t* aSrc = theImage.mBits + static_cast<size_t>(ty + r) * theImage.mWidth + tx;
                uint8_t* aRow = aPixels + static_cast<ptrdiff_t>(r) * aDesc.pitch;
                for (int c = 0; c < w; c++) {
                    const uint32_t p = aSrc[c];
                    if (gD3DTestTextures32) {
                        std::memcpy(aRow + c * 4, &p, 4);
                    } else {
                        const auto v = static_cast<uint16_t>(((p >> 16) & 0xF000) | ((p >> 12) & 0x0F00) |
                                                             ((p >> 8) & 0x00F0) | ((p >> 4) & 0x000F));
                        std::memcpy(aRow + c * 2, &v, 2);
                    }
                }
            }
            Check(mTextureSurface->Unlock(), "Texture Unlock");
            Check(mD3DDevice->SetTexture(0, mTextureSurface), "SetTexture theTexture");
            const float x = static_cast<float>(theX + tx) - 0.5f, y = static_cast<float>(theY + ty) - 0.5f;
            plat::TLVertex v[4];
            const float pos[4][4] = {{x, y, 0, 0}, {x + 64, y, 1, 0}, {x, y + 64, 0, 1}, {x + 64, y + 64, 1, 1}};
            for (int i = 0; i < 4; i++) {
                v[i].sx = pos[i][0];
                v[i].sy = pos[i][1];
                v[i].color = theColor;
                v[i].tu = pos[i][2];
                v[i].tv = pos[i][3];
            }
            Check(mD3DDevice->DrawPrimitive(plat::kPrimTriangleStrip, v, 4), "DrawPrimitive");
            Check(mD3DDevice->SetTexture(0, nullptr), "SetTexture NULL");
        }
    }
}

void D3DTester::CopyPrimaryToTestImage()
{
    plat::SurfaceDesc aDesc;
    Check(mPrimarySurface->Lock(aDesc), "CopyPrimary Lock");
    const uint32_t aBits = aDesc.format.bitCount;
    if (aBits == 24) {
        mPrimarySurface->Unlock();
        throw TestException("Can't test 24-bit mode.");
    }
    if (aBits != 16 && aBits != 32) {
        mPrimarySurface->Unlock();
        throw TestException("Invalid Color Depth");
    }
    const int w = std::min<int>(mTestImage.mWidth, static_cast<int>(aDesc.width));
    const int h = std::min<int>(mTestImage.mHeight, static_cast<int>(aDesc.height));
    for (int y = 0; y < h; y++) {
        const auto* aRow = static_cast<const uint8_t*>(aDesc.pixels) + static_cast<ptrdiff_t>(y) * aDesc.pitch;
        for (int x = 0; x < w; x++) {
            uint32_t v = 0;
            if (aBits == 32) {
                std::memcpy(&v, aRow + x * 4, 4);
            } else {
                uint16_t s;
                std::memcpy(&s, aRow + x * 2, 2);
                v = s;
            }
            mTestImage.mBits[static_cast<size_t>(y) * mTestImage.mWidth + x] =
                0xFF000000u | (Channel(v, aDesc.format.redMask, 23) & 0xFF0000) |
                (Channel(v, aDesc.format.greenMask, 15) & 0xFF00) | (Channel(v, aDesc.format.blueMask, 7) & 0xFF);
        }
    }
    mPrimarySurface->Unlock();
}

struct D3DTester::Scene {
    const char* srcLabel;
    uint32_t srcBlend;
    const char* destLabel;
    uint32_t destBlend;
    bool modulate;
    uint32_t fill1;
    uint32_t fill2;
    uint32_t color2;
    uint32_t expected;
    const char* warning;
    const char* failure;
    bool stripes;
};

bool D3DTester::RunScene(const Scene& s)
{
    try {
        Check(mD3DDevice->BeginScene(), "");
        Check(mD3DDevice->Clear(0xFF000000), "Clear");
        Check(mD3DDevice->SetRenderState(plat::kRsAlphaBlendEnable, 1), "D3DRENDERSTATE_ALPHABLENDENABLE, TRUE");
        Check(mD3DDevice->SetRenderState(plat::kRsSrcBlend, s.srcBlend), s.srcLabel);
        Check(mD3DDevice->SetRenderState(plat::kRsDestBlend, s.destBlend), s.destLabel);
        Check(mD3DDevice->SetRenderState(plat::kRsCullMode, plat::kCullNone), "D3DRENDERSTATE_CULLMODE, D3DCULL_NONE");
        if (s.modulate)
            Check(mD3DDevice->SetTextureStageState(0, plat::kTssAlphaOp, plat::kTopModulate),
                  "D3DTSS_ALPHAOP, D3DTOP_MODULATE");
        D3DTestImage anImage;
        anImage.Create(64, 64);
        if (s.stripes) {
            for (int x = 0; x < 64; x++)
                for (int y = 0; y < 64; y++)
                    anImage.mBits[y * 64 + x] = (x % 2) == 0 ? 0xFF000000 : 0xFFFFFFFF;
            DrawImage(anImage, -2, -2, 0xFFFFFFFF);
        } else {
            anImage.FillRect(0, 64, 64, s.fill1);
            DrawImage(anImage, 0, 0, 0xFFFFFFFF);
            anImage.FillRect(0, 64, 64, s.fill2);
            DrawImage(anImage, 0, 0, s.color2);
        }
        Check(mD3DDevice->EndScene(), "EndScene");
        CopyPrimaryToTestImage();
    } catch (const TestException& e) {
        mD3DDevice->EndScene();
        return Fail(e.what());
    }

    const uint32_t* p = mTestImage.mBits;
    const int W = mTestImage.mWidth;
    if (s.stripes) {
        for (int y = 0; y < 62; y++)
            for (int x = 0; x < 62; x++)
                if (ColorsDiffer(p[y * W + x], (x % 2) == 1 ? 0xFFFFFF : 0))
                    return Warn(s.warning);
        return true;
    }
    bool aUniform = true;
    for (int y = 0; y < 10; y++) {
        for (int x = 0; x < 10; x++) {
            if (ColorsDiffer(p[y * W + x], s.expected))
                return Fail(s.failure);
            aUniform = aUniform && p[y * W + x] == p[0];
        }
    }
    if (!aUniform)
        return Warn(s.warning);
    return true;
}

namespace {

constexpr const char* kSrcAlpha = "D3DRENDERSTATE_SRCBLEND, D3DBLEND_SRCALPHA";
constexpr const char* kSrcOne = "D3DRENDERSTATE_SRCBLEND, D3DBLEND_ONE";
constexpr const char* kDestInv = "D3DRENDERSTATE_DESTBLEND, D3DBLEND_INVSRCALPHA";
constexpr const char* kDestOne = "D3DRENDERSTATE_DESTBLEND, D3DBLEND_ONE";

} // namespace

bool D3DTester::TestAlphaBlend()
{
    return RunScene({kSrcAlpha, plat::kBlendSrcAlpha, kDestInv, plat::kBlendInvSrcAlpha, false, 0xFF0000FF, 0x80FF0000,
                     0xFFFFFFFF, 0x7F007F, "Alpha blend test not uniform.", "Alpha blend Not Supported", false});
}

bool D3DTester::TestAdditiveBlend()
{
    return RunScene({kSrcOne, plat::kBlendOne, kDestOne, plat::kBlendOne, false, 0xFF404040, 0xFF404040, 0xFFFFFFFF,
                     0x808080, "Additive blend test not uniform.", "Additive blend not supported.", false});
}

bool D3DTester::TestAlphaAddBlend()
{
    return RunScene({kSrcAlpha, plat::kBlendSrcAlpha, kDestOne, plat::kBlendOne, false, 0xFF404040, 0x80808080,
                     0xFFFFFFFF, 0x808080, "AlphaAdd blend test not uniform.", "AlphaAdd blend not supported.", false});
}

bool D3DTester::TestAlphaModulatedBlend()
{
    return RunScene({kSrcAlpha, plat::kBlendSrcAlpha, kDestInv, plat::kBlendInvSrcAlpha, true, 0xFF0000FF, 0xFFFF0000,
                     0x80FFFFFF, 0x7F007F, "AlphaModulated blend test not uniform.",
                     "AlphaModulated blend not supported.", false});
}

bool D3DTester::TestClipping()
{
    return RunScene({kSrcAlpha, plat::kBlendSrcAlpha, kDestInv, plat::kBlendInvSrcAlpha, false, 0, 0, 0, 0,
                     "Clip problem detected.", "", true});
}

bool D3DTester::RunBlendTests()
{
    return TestAlphaBlend() && TestAdditiveBlend() && TestAlphaAddBlend() && TestAlphaModulatedBlend() &&
           TestClipping();
}

} // namespace Quor
