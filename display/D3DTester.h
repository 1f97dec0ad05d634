// The 3-D hardware test: identifies the adapter, checks its video memory and the lists of known
// cards, makes a small 3-D device and draws five blend scenes whose pixels it reads back. Its
// verdict (a failure reason and a warning) is cached in the settings store under "Test3D", so
// the test runs again only when the adapter, the thresholds or the cache version change, or
// when the cached verdict is a failure.
#pragma once

#include "platform/Render3D.h"

#include <cstdint>
#include <exception>
#include <string>

namespace Quor {

class QuorAppBase;

// Where the render surface is read back.
class D3DTestImage {
public:
    D3DTestImage() = default;
    virtual ~D3DTestImage();
    D3DTestImage(const D3DTestImage&) = delete;
    D3DTestImage& operator=(const D3DTestImage&) = delete;
    void Create(int theWidth, int theHeight);
    // Fills rows x columns words from theStart (rows stepped by the image width).
    void FillRect(int theStart, int theRows, int theColumns, uint32_t theColor);

    uint32_t* mBits = nullptr;
    int mWidth = 0;
    int mHeight = 0;
};

// Whether the test textures are 32-bit (A8R8G8B8) or 16-bit (A4R4G4B4).
extern bool gD3DTestTextures32;

class D3DTester {
public:
    class TestException : public std::exception {
    public:
        explicit TestException(std::string theMessage) : mMessage(std::move(theMessage)) {}
        ~TestException() override = default;
        const char* what() const noexcept override { return mMessage.c_str(); }
        std::string mMessage;
    };

    explicit D3DTester(QuorAppBase* theApp);
    virtual ~D3DTester();
    D3DTester(const D3DTester&) = delete;
    D3DTester& operator=(const D3DTester&) = delete;

    void SetVidMemoryLimits(uint32_t theMinimum, uint32_t theRecommended);
    void TestD3D(void* theWindow, plat::VideoDevice* theDD);
    bool RunHardwareTest(void* theWindow, plat::VideoDevice* theDD);
    bool RunBlendTests();
    bool ReadCache();
    void WriteCache();
    bool Fail(const std::string& theText);
    bool Warn(const std::string& theText);
    void Release();
    bool IsSupportedCard(const std::string& theDescription);

    bool TestAlphaBlend();
    bool TestAdditiveBlend();
    bool TestAlphaAddBlend();
    bool TestAlphaModulatedBlend();
    bool TestClipping();

    QuorAppBase* mApp = nullptr;
    plat::VideoDevice* mDD = nullptr;
    plat::Surface* mPrimarySurface = nullptr; // the 100 x 100 render surface
    plat::Texture3D* mTextureSurface = nullptr;
    plat::Texture3D* mTextureSurface2 = nullptr;
    plat::Direct3D* mD3D = nullptr;
    plat::Device3D* mD3DDevice = nullptr;
    bool mRegKey = false; // the settings key is in use
    uint8_t mDisplayGUID[16] = {};
    std::string mDriver;
    std::string mDescription;
    D3DTestImage mTestImage;
    std::string mFailureReason;
    std::string mWarning;
    uint32_t mMinVidMemory = 6;
    uint32_t mRecVidMemory = 14;
    bool mUseRegistry = true;
    bool mSaveResults = false;
    bool mResultsChanged = false; // fresh: no complete matching cache was found
    int mDriverYear = 0;

private:
    void Check(plat::HResult theResult, const char* theLabel);
    void DrawImage(D3DTestImage& theImage, int theX, int theY, uint32_t theColor);
    void CopyPrimaryToTestImage();
    struct Scene;
    bool RunScene(const Scene& theScene);
};

} // namespace Quor
