// A 3-D device for tests that records every call (with the vertices drawn), makes textures in
// memory and honours the fault hook of the 3-D layer, so that a renderer can be checked vertex
// by vertex and call by call.
#pragma once

#include "platform/Render3D.h"

#include <string>
#include <vector>

namespace quortest {

class RecordingDevice : public plat::Device3D {
public:
    struct Call {
        std::string what; // "draw", "texture", "rs", "tss", "scene", "target", "clear", "viewport"
        uint32_t a = 0;
        uint32_t b = 0;
        plat::Texture3D* texture = nullptr;
        std::vector<plat::TLVertex> vertices;
    };

    std::vector<Call> mCalls;
    plat::DeviceCaps3D mCaps{1, 1, 1024, 1024, 65536, 0};
    std::vector<plat::TexturePixelFormat> mFormats{plat::TextureFormatDesc(plat::kTexA8R8G8B8),
                                                   plat::TextureFormatDesc(plat::kTexA4R4G4B4),
                                                   plat::TextureFormatDesc(plat::kTexR5G6B5)};
    bool mPalettes = false; // CreatePalette succeeds
    int mTexturesMade = 0;

    std::vector<const Call*> Draws() const
    {
        std::vector<const Call*> out;
        for (const Call& c : mCalls)
            if (c.what == "draw")
                out.push_back(&c);
        return out;
    }
    int Count(const std::string& what) const
    {
        int n = 0;
        for (const Call& c : mCalls)
            n += c.what == what ? 1 : 0;
        return n;
    }

    plat::HResult GetCaps(plat::DeviceCaps3D& caps) override
    {
        caps = mCaps;
        return plat::DD_OK;
    }
    plat::HResult EnumTextureFormats(std::vector<plat::TexturePixelFormat>& formats) override
    {
        formats = mFormats;
        return plat::DD_OK;
    }
    plat::HResult SetViewport(const plat::Viewport3D& v) override
    {
        Record("viewport", v.width, v.height);
        return plat::DD_OK;
    }
    plat::HResult Clear(uint32_t color) override
    {
        Record("clear", color);
        return Fail(plat::Call3D::Clear);
    }
    plat::HResult SetRenderTarget(plat::Surface*) override
    {
        Record("target");
        return Fail(plat::Call3D::SetRenderTarget);
    }
    plat::HResult BeginScene() override
    {
        Record("scene", 1);
        return Fail(plat::Call3D::BeginScene);
    }
    plat::HResult EndScene() override
    {
        Record("scene", 0);
        return Fail(plat::Call3D::EndScene);
    }
    plat::HResult SetRenderState(plat::RenderState s, uint32_t v) override
    {
        Record("rs", s, v);
        return Fail(plat::Call3D::SetRenderState);
    }
    plat::HResult SetTextureStageState(uint32_t, plat::TextureStageState s, uint32_t v) override
    {
        Record("tss", s, v);
        return Fail(plat::Call3D::SetTextureStageState);
    }
    plat::HResult SetTexture(uint32_t, plat::Texture3D* t) override
    {
        Record("texture", 0, 0, t);
        return Fail(plat::Call3D::SetTexture);
    }
    plat::HResult DrawPrimitive(plat::PrimitiveType type, const plat::TLVertex* v, uint32_t count) override
    {
        Call c;
        c.what = "draw";
        c.a = type;
        c.vertices.assign(v, v + count);
        mCalls.push_back(c);
        return Fail(plat::Call3D::DrawPrimitive);
    }
    plat::HResult CreateTexture(uint32_t w, uint32_t h, const plat::TexturePixelFormat& f, plat::Texture3D** out) override
    {
        if (plat::Fault3D(plat::Call3D::CreateTexture))
            return plat::DDERR_OUTOFVIDEOMEMORY;
        ++mTexturesMade;
        return plat::Texture3D::CreateMemory(w, h, plat::TextureFormatOf(f), out);
    }
    plat::HResult CreatePalette(const plat::PaletteEntry entries[256], plat::Palette3D** out) override
    {
        if (!mPalettes || plat::Fault3D(plat::Call3D::CreatePalette))
            return plat::DDERR_NOPALETTEHW;
        return plat::Palette3D::Create(entries, out);
    }

private:
    void Record(const char* what, uint32_t a = 0, uint32_t b = 0, plat::Texture3D* t = nullptr)
    {
        Call c;
        c.what = what;
        c.a = a;
        c.b = b;
        c.texture = t;
        mCalls.push_back(c);
    }
    static plat::HResult Fail(plat::Call3D kind) { return plat::Fault3D(kind) ? plat::DDERR_SURFACELOST : plat::DD_OK; }
};

} // namespace quortest
