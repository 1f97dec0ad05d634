// The 3-D renderer: device set-up, scenes and their states, and the draws (blits through the
// texture pieces, transformed blits clipped into fans, textured triangles, lines, rectangles
// and polygons), every device call tested under its label.
#include "display/D3DInterface.h"

#include "app/DirectXErrorString.h"
#include "app/QuorAppBase.h"
#include "display/DDInterface.h"
#include "display/ImageTextureSet.h"
#include "graphics/MemoryImage.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <mutex>

namespace Quor {

TextureLimits gTextureLimits;
std::atomic<uint32_t> gSupportedPixelFormats{0};
std::atomic<bool> gRenderTargetLost{false};
bool gLinearFilter = false;
std::atomic<bool> gD3DMayNotHaveWorked{false};

namespace {

std::mutex gLastErrorMutex;
std::string gLastError;

uint32_t Diffuse(const Color& c)
{
    auto clamp = [](int v) { return static_cast<uint32_t>(std::clamp(v, 0, 255)); };
    return clamp(c.mAlpha) << 24 | clamp(c.mRed) << 16 | clamp(c.mGreen) << 8 | clamp(c.mBlue);
}

plat::TLVertex Vertex(float x, float y, uint32_t color, float u = 0, float v = 0)
{
    plat::TLVertex t;
    t.sx = x;
    t.sy = y;
    t.sz = 0;
    t.rhw = 1;
    t.color = color;
    t.specular = 0;
    t.tu = u;
    t.tv = v;
    return t;
}

float& Coord(plat::TLVertex& v, int c)
{
    switch (c) {
    case 0: return v.sx;
    case 1: return v.sy;
    case 2: return v.sz;
    case 3: return v.tu;
    default: return v.tv;
    }
}

float CoordOf(const plat::TLVertex& v, int c)
{
    return Coord(const_cast<plat::TLVertex&>(v), c);
}

// The point at t along the edge a -> b: x, y, u, v linear; z and reciprocal w from a; each byte
// of two different colours interpolated and rounded.
plat::TLVertex Crossing(const plat::TLVertex& a, const plat::TLVertex& b, float t)
{
    plat::TLVertex r = a;
    r.sx = a.sx + (b.sx - a.sx) * t;
    r.sy = a.sy + (b.sy - a.sy) * t;
    r.tu = a.tu + (b.tu - a.tu) * t;
    r.tv = a.tv + (b.tv - a.tv) * t;
    if (a.color != b.color) {
        uint32_t c = 0;
        for (int shift = 0; shift < 32; shift += 8) {
            const float ca = static_cast<float>((a.color >> shift) & 0xFF);
            const float cb = static_cast<float>((b.color >> shift) & 0xFF);
            const long v = std::lround(ca + (cb - ca) * t);
            c |= static_cast<uint32_t>(std::clamp<long>(v, 0, 255)) << shift;
        }
        r.color = c;
    }
    return r;
}

} // namespace

std::string GetD3DLastError()
{
    std::lock_guard lock(gLastErrorMutex);
    return gLastError;
}

void SetD3DLastError(const std::string& theText)
{
    std::lock_guard lock(gLastErrorMutex);
    gLastError = theText;
}

// ---------------------------------------------------------------------------------------------
// Vertex lists and clipping

VertexList::VertexList(const VertexList& theOther)
{
    *this = theOther;
}

VertexList& VertexList::operator=(const VertexList& theOther)
{
    if (this == &theOther)
        return *this;
    mSize = 0;
    for (int i = 0; i < theOther.mSize; i++)
        push_back(theOther.mData[i]);
    return *this;
}

VertexList::~VertexList()
{
    if (mData != mInPlace)
        delete[] mData;
}

void VertexList::push_back(const plat::TLVertex& theVertex)
{
    if (mSize == mCapacity) {
        auto* aBigger = new plat::TLVertex[static_cast<size_t>(mCapacity) * 2];
        std::copy(mData, mData + mSize, aBigger);
        if (mData != mInPlace)
            delete[] mData;
        mData = aBigger;
        mCapacity *= 2;
    }
    mData[mSize++] = theVertex;
}

void ClipPolygonToBound(const VertexList& theIn, VertexList& theOut, int theCoord, float theBound, bool isLower)
{
    theOut.clear();
    const int n = theIn.size();
    if (n < 2)
        return;
    auto inside = [&](const plat::TLVertex& v) {
        return isLower ? CoordOf(v, theCoord) >= theBound : CoordOf(v, theCoord) <= theBound;
    };
    for (int i = 0; i < n; i++) {
        const plat::TLVertex& s = theIn[i == 0 ? n - 1 : i - 1];
        const plat::TLVertex& e = theIn[i];
        const bool sIn = inside(s), eIn = inside(e);
        if (sIn != eIn) {
            const float t = (theBound - CoordOf(s, theCoord)) / (CoordOf(e, theCoord) - CoordOf(s, theCoord));
            theOut.push_back(Crossing(s, e, t));
        }
        if (eIn)
            theOut.push_back(e);
    }
}

void ClipPolygonToRect(VertexList& thePoly, const Rect& theClip)
{
    VertexList aTemp;
    ClipPolygonToBound(thePoly, aTemp, 0, static_cast<float>(theClip.mX), true);
    ClipPolygonToBound(aTemp, thePoly, 1, static_cast<float>(theClip.mY), true);
    ClipPolygonToBound(thePoly, aTemp, 0, static_cast<float>(theClip.mX + theClip.mWidth), false);
    ClipPolygonToBound(aTemp, thePoly, 1, static_cast<float>(theClip.mY + theClip.mHeight), false);
}

void ClipPolygonToUnitTexture(VertexList& thePoly)
{
    VertexList aTemp;
    ClipPolygonToBound(thePoly, aTemp, 3, 0.0f, true);
    ClipPolygonToBound(aTemp, thePoly, 4, 0.0f, true);
    ClipPolygonToBound(thePoly, aTemp, 3, 1.0f, false);
    ClipPolygonToBound(aTemp, thePoly, 4, 1.0f, false);
}

// ---------------------------------------------------------------------------------------------
// Set-up

D3DInterface::D3DInterface() = default;

D3DInterface::~D3DInterface()
{
    RemoveAllTextures();
}

bool D3DInterface::CheckDirectXResult(const char* theLabel, plat::HResult theResult)
{
    if (!plat::Failed(theResult))
        return false;
    const std::string aText = std::string(theLabel) + ": " + GetDirectXErrorString(theResult);
    SetD3DLastError(aText);
    gD3DMayNotHaveWorked = true;
    if (mDDInterface != nullptr && mDDInterface->mApp != nullptr)
        mDDInterface->mApp->RegistryWriteString("Test3D\\RuntimeError", aText);
    return true;
}

bool D3DInterface::Init(DDInterface* theDisplay)
{
    SetD3DLastError("");
    ReleaseDevice();
    mDDInterface = theDisplay;
    mDD = theDisplay->mDD;
    mHWnd = reinterpret_cast<void*>(static_cast<uintptr_t>(theDisplay->mHWnd));
    mWidth = theDisplay->mWidth;
    mHeight = theDisplay->mHeight;
    if (CheckDirectXResult("Query DrawSurface",
                           theDisplay->mDrawSurface != nullptr ? plat::DD_OK : plat::DDERR_INVALIDOBJECT))
        return false;
    mDrawSurface = theDisplay->mDrawSurface;
    mDrawSurface->AddRef();
    return InitDevice();
}

bool D3DInterface::InitWithDevice(DDInterface* theDisplay, plat::Device3D* theDevice, int theWidth, int theHeight)
{
    SetD3DLastError("");
    ReleaseDevice();
    mDDInterface = theDisplay;
    mWidth = theWidth;
    mHeight = theHeight;
    mD3DDevice = theDevice;
    return InitDevice();
}

bool D3DInterface::InitDevice()
{
    if (mD3DDevice == nullptr) {
        if (mDD == nullptr || CheckDirectXResult("QueryInterface IID_IDirect3D7", mDD->QueryDirect3D(&mD3D)))
            return false;
        if (CheckDirectXResult("CreateDevice IID_IDirect3DHALDevice", mD3D->CreateDevice(mDrawSurface, &mD3DDevice)))
            return false;
    }
    plat::DeviceCaps3D aCaps;
    if (plat::Failed(mD3DDevice->GetCaps(aCaps)))
        return false;
    if (aCaps.maxTextureWidth == 0) {
        gTextureLimits = TextureLimits{64, 64, 64, 64, 1};
    } else {
        TextureLimits l;
        l.mMinWidth = std::max<int>(1, static_cast<int>(aCaps.minTextureWidth));
        l.mMinHeight = std::max<int>(1, static_cast<int>(aCaps.minTextureHeight));
        l.mMaxWidth = static_cast<int>(std::min<uint32_t>(aCaps.maxTextureWidth, 1024));
        l.mMaxHeight = static_cast<int>(std::min<uint32_t>(std::max<uint32_t>(aCaps.maxTextureHeight, 1), 1024));
        l.mMaxAspectRatio = aCaps.maxTextureAspectRatio == 0 ? 65536 : static_cast<int>(std::min<uint32_t>(aCaps.maxTextureAspectRatio, 65536));
        gTextureLimits = l;
    }
    uint32_t aFormats = 0;
    std::vector<plat::TexturePixelFormat> aList;
    mD3DDevice->EnumTextureFormats(aList);
    for (const plat::TexturePixelFormat& f : aList)
        aFormats |= plat::TextureFormatOf(f);
    if ((aCaps.textureCaps & plat::kTexCapsAlphaPalette) == 0)
        aFormats &= ~static_cast<uint32_t>(plat::kTexPalette8);
    gSupportedPixelFormats = aFormats;

    mD3DViewport = plat::Viewport3D{0, 0, static_cast<uint32_t>(std::max(mWidth, 0)), static_cast<uint32_t>(std::max(mHeight, 0)), 0.0f, 1.0f};
    mD3DDevice->SetViewport(mD3DViewport);
    mD3DDevice->Clear(0xFF000000);
    mSceneBegun = false;
    return true;
}

void D3DInterface::ReleaseDevice()
{
    if (mD3DDevice != nullptr)
        mD3DDevice->Release();
    mD3DDevice = nullptr;
    if (mD3D != nullptr)
        mD3D->Release();
    mD3D = nullptr;
    if (mDrawSurface != nullptr)
        mDrawSurface->Release();
    mDrawSurface = nullptr;
    mSceneBegun = false;
}

void D3DInterface::SetSceneStates()
{
    plat::Device3D* d = mD3DDevice;
    d->SetRenderState(plat::kRsAlphaBlendEnable, 1);
    d->SetRenderState(plat::kRsSrcBlend, plat::kBlendSrcAlpha);
    d->SetRenderState(plat::kRsDestBlend, plat::kBlendInvSrcAlpha);
    d->SetRenderState(plat::kRsLighting, 0);
    d->SetTextureStageState(0, plat::kTssMinFilter, plat::kFilterPoint);
    d->SetTextureStageState(0, plat::kTssMagFilter, plat::kFilterPoint);
    d->SetTextureStageState(0, plat::kTssMipFilter, plat::kFilterNone);
    d->SetTextureStageState(0, plat::kTssAlphaOp, plat::kTopModulate);
    d->SetTextureStageState(0, plat::kTssAddressU, plat::kAddressClamp);
    d->SetTextureStageState(0, plat::kTssAddressV, plat::kAddressClamp);
    d->SetRenderState(plat::kRsDitherEnable, 0);
    d->SetRenderState(plat::kRsSpecularEnable, 0);
    d->SetRenderState(plat::kRsZWriteEnable, 0);
    d->SetRenderState(plat::kRsZEnable, 0);
    d->SetRenderState(plat::kRsCullMode, plat::kCullNone);
}

bool D3DInterface::PreDraw()
{
    if (mD3DDevice == nullptr)
        return false;
    if (mDDInterface != nullptr && mDDInterface->mApp != nullptr && mDDInterface->mApp->mMinimized)
        return false;
    if (!mSceneBegun) {
        if (plat::Failed(mD3DDevice->SetRenderTarget(mDrawSurface))) {
            gRenderTargetLost = true;
            return false;
        }
        gRenderTargetLost = false;
        mD3DDevice->BeginScene();
        SetSceneStates();
        mSceneBegun = true;
        gLinearFilter = false;
    }
    return true;
}

void D3DInterface::Flush()
{
    if (!mSceneBegun)
        return;
    if (mD3DDevice != nullptr)
        mD3DDevice->EndScene();
    mSceneBegun = false;
    SetD3DLastError("");
}

void D3DInterface::SetBlendForDrawMode(int theDrawMode)
{
    mD3DDevice->SetRenderState(plat::kRsSrcBlend, plat::kBlendSrcAlpha);
    mD3DDevice->SetRenderState(plat::kRsDestBlend, theDrawMode == 0 ? plat::kBlendInvSrcAlpha : plat::kBlendOne);
}

void D3DInterface::SetLinearFilter(bool linear)
{
    if (gLinearFilter == linear)
        return;
    const uint32_t aFilter = linear ? plat::kFilterLinear : plat::kFilterPoint;
    const char* aLabel = linear ? "SetTextureStageState LINEAR" : "SetTextureStageState Point";
    CheckDirectXResult(aLabel, mD3DDevice->SetTextureStageState(0, plat::kTssMinFilter, aFilter));
    CheckDirectXResult(aLabel, mD3DDevice->SetTextureStageState(0, plat::kTssMagFilter, aFilter));
    CheckDirectXResult(aLabel, mD3DDevice->SetTextureStageState(0, plat::kTssMipFilter, aFilter));
    gLinearFilter = linear;
}

bool D3DInterface::PrepareImage(Image* theImage, MemoryImage*& theMemImage)
{
    theMemImage = dynamic_cast<MemoryImage*>(theImage);
    if (theMemImage == nullptr || theMemImage->mWidth <= 0 || theMemImage->mHeight <= 0)
        return false;
    return CreateImageTexture(theMemImage);
}

// ---------------------------------------------------------------------------------------------
// Blits

void D3DInterface::Blt(Image* theImage, float theX, float theY, const Rect& theSrcRect, const Color& theColor,
                       int theDrawMode, bool linear)
{
    if (!PreDraw())
        return;
    MemoryImage* anImage = nullptr;
    if (!PrepareImage(theImage, anImage))
        return;
    SetBlendForDrawMode(theDrawMode);
    SetLinearFilter(linear);

    // Only the part of the source rectangle that lies on the image has pieces.
    const Rect aSrc = theSrcRect.Intersection(Rect(0, 0, anImage->mWidth, anImage->mHeight));
    if (aSrc.mWidth <= 0 || aSrc.mHeight <= 0)
        return;
    theX += static_cast<float>(aSrc.mX - theSrcRect.mX);
    theY += static_cast<float>(aSrc.mY - theSrcRect.mY);
    ImageTextureSet* aSet = anImage->mTextureData;
    const uint32_t aColor = Diffuse(theColor);
    const int aRight = aSrc.mX + aSrc.mWidth, aBottom = aSrc.mY + aSrc.mHeight;
    float aDstY = theY;
    for (int srcY = aSrc.mY; srcY < aBottom;) {
        float aDstX = theX;
        int aRowHeight = 0;
        for (int srcX = aSrc.mX; srcX < aRight;) {
            int w = aRight - srcX, h = aBottom - srcY;
            float u1, v1, u2, v2;
            plat::Texture3D* aTexture = aSet->GetPiece(srcX, srcY, w, h, u1, v1, u2, v2);
            if (w <= 0 || h <= 0)
                return;
            const float x = aDstX - 0.5f, y = aDstY - 0.5f;
            plat::TLVertex v[4] = {Vertex(x, y, aColor, u1, v1), Vertex(x + w, y, aColor, u2, v1),
                                   Vertex(x, y + h, aColor, u1, v2), Vertex(x + w, y + h, aColor, u2, v2)};
            CheckDirectXResult("SetTexture gTexture", mD3DDevice->SetTexture(0, aTexture));
            CheckDirectXResult("DrawPrimitive (Tri) 1", mD3DDevice->DrawPrimitive(plat::kPrimTriangleStrip, v, 4));
            srcX += w;
            aDstX += static_cast<float>(w);
            aRowHeight = h;
        }
        srcY += aRowHeight;
        aDstY += static_cast<float>(aRowHeight);
    }
}

void D3DInterface::BltMirror(Image* theImage, float theX, float theY, const Rect& theSrcRect,
                             const Color& theColor, int theDrawMode)
{
    Matrix3 m;
    m.LoadIdentity();
    m.Translate(static_cast<float>(-theSrcRect.mWidth), 0);
    m.Scale(-1, 1);
    m.Translate(theX, theY);
    BltTransformed(theImage, nullptr, theColor, theDrawMode, theSrcRect, m, false, 0, 0, false);
}

void D3DInterface::BltF(Image* theImage, float theX, float theY, const Rect& theSrcRect, const Rect& theClipRect,
                        const Color& theColor, int theDrawMode)
{
    Matrix3 m;
    m.LoadIdentity();
    m.Translate(theX, theY);
    BltTransformed(theImage, &theClipRect, theColor, theDrawMode, theSrcRect, m, true, 0, 0, false);
}

void D3DInterface::StretchBlt(Image* theImage, const Rect& theDestRect, const Rect& theSrcRect,
                              const Rect& theClipRect, const Color& theColor, int theDrawMode, bool fastStretch,
                              bool mirror)
{
    if (theSrcRect.mWidth <= 0 || theSrcRect.mHeight <= 0)
        return;
    float sx = static_cast<float>(theDestRect.mWidth) / static_cast<float>(theSrcRect.mWidth);
    const float sy = static_cast<float>(theDestRect.mHeight) / static_cast<float>(theSrcRect.mHeight);
    Matrix3 m;
    m.LoadIdentity();
    if (mirror) {
        m.Translate(static_cast<float>(-theSrcRect.mWidth), 0);
        sx = -sx;
    }
    m.Scale(sx, sy);
    m.Translate(static_cast<float>(theDestRect.mX), static_cast<float>(theDestRect.mY));
    BltTransformed(theImage, &theClipRect, theColor, theDrawMode, theSrcRect, m, !fastStretch, 0, 0, false);
}

void D3DInterface::BltRotated(Image* theImage, float theX, float theY, const Rect& theSrcRect,
                              const Rect& theClipRect, const Color& theColor, int theDrawMode, double theRot,
                              float theRotCenterX, float theRotCenterY)
{
    Matrix3 m;
    m.LoadIdentity();
    m.Translate(-theRotCenterX, -theRotCenterY);
    m.Rotate(static_cast<float>(theRot));
    m.Translate(theX + theRotCenterX, theY + theRotCenterY);
    BltTransformed(theImage, &theClipRect, theColor, theDrawMode, theSrcRect, m, true, 0, 0, false);
}

void D3DInterface::DrawFan(VertexList& thePoly, const char* theLabel)
{
    if (thePoly.size() >= 3)
        CheckDirectXResult(theLabel, mD3DDevice->DrawPrimitive(plat::kPrimTriangleFan, thePoly.data(),
                                                               static_cast<uint32_t>(thePoly.size())));
}

void D3DInterface::BltTransformed(Image* theImage, const Rect* theClipRect, const Color& theColor, int theDrawMode,
                                  const Rect& theSrcRect, const Matrix3& theTransform, bool linear, float theX,
                                  float theY, bool center)
{
    if (!PreDraw())
        return;
    MemoryImage* anImage = nullptr;
    if (!PrepareImage(theImage, anImage))
        return;
    SetBlendForDrawMode(theDrawMode);
    SetLinearFilter(linear);

    const Rect aSrc = theSrcRect.Intersection(Rect(0, 0, anImage->mWidth, anImage->mHeight));
    if (aSrc.mWidth <= 0 || aSrc.mHeight <= 0)
        return;
    ImageTextureSet* aSet = anImage->mTextureData;
    const uint32_t aColor = Diffuse(theColor);
    const float aLeft0 = center ? -theSrcRect.mWidth / 2.0f : 0.0f;
    const float aTop0 = center ? -theSrcRect.mHeight / 2.0f : 0.0f;
    const float anOffX = center ? theX : theX - 0.5f;
    const float anOffY = center ? theY : theY - 0.5f;
    const int aRight = aSrc.mX + aSrc.mWidth, aBottom = aSrc.mY + aSrc.mHeight;
    auto corner = [&](float lx, float ly, float u, float v) {
        const Vector2 p = theTransform.TransformVector(Vector2(lx, ly));
        return Vertex(p.mX + anOffX, p.mY + anOffY, aColor, u, v);
    };
    for (int srcY = aSrc.mY; srcY < aBottom;) {
        int aRowHeight = 0;
        for (int srcX = aSrc.mX; srcX < aRight;) {
            int w = aRight - srcX, h = aBottom - srcY;
            float u1, v1, u2, v2;
            plat::Texture3D* aTexture = aSet->GetPiece(srcX, srcY, w, h, u1, v1, u2, v2);
            if (w <= 0 || h <= 0)
                return;
            const float lx = aLeft0 + static_cast<float>(srcX - theSrcRect.mX);
            const float ly = aTop0 + static_cast<float>(srcY - theSrcRect.mY);
            plat::TLVertex v[4] = {corner(lx, ly, u1, v1), corner(lx + w, ly, u2, v1), corner(lx, ly + h, u1, v2),
                                   corner(lx + w, ly + h, u2, v2)};
            CheckDirectXResult("SetTexture gTexture", mD3DDevice->SetTexture(0, aTexture));
            bool aNeedsClip = false;
            if (theClipRect != nullptr) {
                const float l = static_cast<float>(theClipRect->mX), t = static_cast<float>(theClipRect->mY);
                const float r = l + static_cast<float>(theClipRect->mWidth);
                const float b = t + static_cast<float>(theClipRect->mHeight);
                for (const plat::TLVertex& p : v)
                    aNeedsClip = aNeedsClip || p.sx < l || p.sx >= r || p.sy < t || p.sy >= b;
            }
            if (aNeedsClip) {
                VertexList aPoly;
                for (int i : {0, 1, 3, 2})
                    aPoly.push_back(v[i]);
                ClipPolygonToRect(aPoly, *theClipRect);
                DrawFan(aPoly, "DrawPrimitive (Tri) 2");
            } else {
                CheckDirectXResult("DrawPrimitive (Tri) 3", mD3DDevice->DrawPrimitive(plat::kPrimTriangleStrip, v, 4));
            }
            srcX += w;
            aRowHeight = h;
        }
        srcY += aRowHeight;
    }
}

void D3DInterface::BltTriangles(Image* theImage, const TriVertex theVertices[][3], int theNumTriangles,
                                const Color& theColor, int theDrawMode, float tx, float ty, bool linear)
{
    if (!PreDraw())
        return;
    MemoryImage* anImage = nullptr;
    if (theNumTriangles <= 0 || theVertices == nullptr || !PrepareImage(theImage, anImage))
        return;
    SetBlendForDrawMode(theDrawMode);
    SetLinearFilter(linear);
    ImageTextureSet* aSet = anImage->mTextureData;
    const uint32_t aColor = Diffuse(theColor);
    auto colorOf = [&](const TriVertex& t) { return t.color != 0 ? t.color : aColor; };

    if (aSet->mMaxTotalU <= 1.0f && aSet->mMaxTotalV <= 1.0f) {
        CheckDirectXResult("SetTexture gTexture", mD3DDevice->SetTexture(0, aSet->mTextures[0].mTexture));
        VertexList aList;
        for (int i = 0; i < theNumTriangles; i++) {
            for (int k = 0; k < 3; k++) {
                const TriVertex& t = theVertices[i][k];
                aList.push_back(Vertex(t.x + tx, t.y + ty, colorOf(t), t.u * aSet->mMaxTotalU, t.v * aSet->mMaxTotalV));
            }
            if (aList.size() == 300 || i == theNumTriangles - 1) {
                CheckDirectXResult("DrawPrimitive (TriList)",
                                   mD3DDevice->DrawPrimitive(plat::kPrimTriangleList, aList.data(),
                                                             static_cast<uint32_t>(aList.size())));
                aList.clear();
            }
        }
        return;
    }

    const int aCols = aSet->mTexVecWidth, aRows = aSet->mTexVecHeight;
    for (int i = 0; i < theNumTriangles; i++) {
        const TriVertex* t = theVertices[i];
        float uMin = 1e30f, uMax = -1e30f, vMin = 1e30f, vMax = -1e30f;
        for (int k = 0; k < 3; k++) {
            uMin = std::min(uMin, t[k].u * aSet->mMaxTotalU);
            uMax = std::max(uMax, t[k].u * aSet->mMaxTotalU);
            vMin = std::min(vMin, t[k].v * aSet->mMaxTotalV);
            vMax = std::max(vMax, t[k].v * aSet->mMaxTotalV);
        }
        if (!std::isfinite(uMin) || !std::isfinite(uMax) || !std::isfinite(vMin) || !std::isfinite(vMax))
            continue;
        const int c0 = std::clamp(static_cast<int>(std::floor(uMin)), 0, aCols - 1);
        const int c1 = std::clamp(static_cast<int>(std::ceil(uMax)), 0, aCols);
        const int r0 = std::clamp(static_cast<int>(std::floor(vMin)), 0, aRows - 1);
        const int r1 = std::clamp(static_cast<int>(std::ceil(vMax)), 0, aRows);
        for (int row = r0; row < std::max(r1, r0 + 1); row++) {
            for (int col = c0; col < std::max(c1, c0 + 1); col++) {
                const TexturePiece& aPiece = aSet->mTextures[static_cast<size_t>(row) * aCols + col];
                VertexList aPoly;
                for (int k = 0; k < 3; k++) {
                    const float px = t[k].u * static_cast<float>(aSet->mWidth) - static_cast<float>(col * aSet->mTexPieceWidth);
                    const float py = t[k].v * static_cast<float>(aSet->mHeight) - static_cast<float>(row * aSet->mTexPieceHeight);
                    aPoly.push_back(Vertex(t[k].x + tx, t[k].y + ty, colorOf(t[k]), px / static_cast<float>(aPiece.mWidth),
                                           py / static_cast<float>(aPiece.mHeight)));
                }
                ClipPolygonToUnitTexture(aPoly);
                if (aPoly.size() < 3)
                    continue;
                CheckDirectXResult("SetTexture gTexture", mD3DDevice->SetTexture(0, aPiece.mTexture));
                DrawFan(aPoly, "DrawPrimitive (Tri) 4");
            }
        }
    }
}

// ---------------------------------------------------------------------------------------------
// Untextured draws

void D3DInterface::DrawLine(double theStartX, double theStartY, double theEndX, double theEndY,
                            const Color& theColor, int theDrawMode)
{
    if (!PreDraw())
        return;
    SetBlendForDrawMode(theDrawMode);
    CheckDirectXResult("SetTexture NULL", mD3DDevice->SetTexture(0, nullptr));
    const uint32_t c = Diffuse(theColor);
    const float x1 = static_cast<float>(theStartX), y1 = static_cast<float>(theStartY);
    const float x2 = static_cast<float>(theEndX), y2 = static_cast<float>(theEndY);
    plat::TLVertex v[3] = {Vertex(x1, y1, c), Vertex(x2, y2, c), Vertex(x2 + 0.5f, y2 + 0.5f, c)};
    CheckDirectXResult("DrawPrimitive (Line)", mD3DDevice->DrawPrimitive(plat::kPrimLineStrip, v, 3));
}

void D3DInterface::FillRect(const Rect& theRect, const Color& theColor, int theDrawMode)
{
    if (!PreDraw())
        return;
    SetBlendForDrawMode(theDrawMode);
    CheckDirectXResult("SetTexture NULL", mD3DDevice->SetTexture(0, nullptr));
    const uint32_t c = Diffuse(theColor);
    const float x = static_cast<float>(theRect.mX) - 0.5f, y = static_cast<float>(theRect.mY) - 0.5f;
    const float w = static_cast<float>(theRect.mWidth), h = static_cast<float>(theRect.mHeight);
    plat::TLVertex v[4] = {Vertex(x, y, c), Vertex(x, y + h, c), Vertex(x + w, y, c), Vertex(x + w, y + h, c)};
    CheckDirectXResult("DrawPrimitive (Rect)", mD3DDevice->DrawPrimitive(plat::kPrimTriangleStrip, v, 4));
}

void D3DInterface::FillPoly(const Point* theVertices, int theNumVertices, const Rect* theClipRect,
                            const Color& theColor, int theDrawMode, int tx, int ty)
{
    if (theNumVertices < 3 || theVertices == nullptr)
        return;
    if (!PreDraw())
        return;
    SetBlendForDrawMode(theDrawMode);
    CheckDirectXResult("SetTexture NULL", mD3DDevice->SetTexture(0, nullptr));
    const uint32_t c = Diffuse(theColor);
    VertexList aPoly;
    for (int i = 0; i < theNumVertices; i++)
        aPoly.push_back(Vertex(static_cast<float>(theVertices[i].mX + tx), static_cast<float>(theVertices[i].mY + ty), c));
    if (theClipRect == nullptr) {
        DrawFan(aPoly, "DrawPrimitive (FillPoly)");
        return;
    }
    ClipPolygonToRect(aPoly, *theClipRect);
    DrawFan(aPoly, "DrawPrimitive (Tri) 2");
}

} // namespace Quor
