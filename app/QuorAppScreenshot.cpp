// QuorAppBase: the numbered screenshot of the screen image and the image dump (every live image
// as a picture and a thumbnail, listed with its memory use on a page).
#include "app/QuorAppBase.h"

#include "app/Common.h"
#include "display/DDImage.h"
#include "display/DDInterface.h"
#include "display/ImageTextureSet.h"
#include "graphics/MemoryImage.h"
#include "platform/Files.h"
#include "platform/Time.h"
#include "resources/ImageLib.h"

#include <algorithm>
#include <cstdio>
#include <ctime>
#include <mutex>
#include <vector>

namespace Quor {

namespace {

// Memory use of one image, per data form.
struct ImageUse {
    MemoryImage* image = nullptr;
    int bits = -1; // -1: the form is absent
    int palette = -1;
    int surface = -1;
    int texture = -1;
    int nativeAlpha = -1;
    int rlAlpha = -1;
    int rlAdditive = -1;
    int total = 0;
};

ImageUse MeasureImage(MemoryImage* image)
{
    ImageUse use;
    use.image = image;
    const int pixels = image->mWidth * image->mHeight;
    if (image->mBits != nullptr)
        use.bits = pixels * 4;
    if (image->mPaletteColors != nullptr)
        use.palette = pixels + 1024;
    if (auto* display = dynamic_cast<DDImage*>(image); display != nullptr && display->mSurface)
        use.surface = pixels * 4;
    if (image->mTextureData != nullptr)
        use.texture = image->mTextureData->mTexMemSize;
    if (image->mNativeAlphaData != nullptr)
        use.nativeAlpha = image->mPaletteColors != nullptr ? 1024 : pixels * 4;
    if (image->mRLAlphaData != nullptr)
        use.rlAlpha = pixels;
    if (image->mRLAdditiveData != nullptr)
        use.rlAdditive = pixels;
    for (int part : {use.bits, use.palette, use.surface, use.texture, use.nativeAlpha,
                     use.rlAlpha, use.rlAdditive})
        if (part > 0)
            use.total += part;
    return use;
}

// Writes a copy of the pixels as a PNG or a JPEG file.
bool WritePixels(const std::string& fileName, const uint32_t* bits, int width, int height, bool png)
{
    ImageLib::Image picture;
    picture.mWidth = width;
    picture.mHeight = height;
    picture.mBits = new uint32_t[size_t(width) * size_t(height)];
    std::copy(bits, bits + size_t(width) * size_t(height), picture.mBits);
    return png ? ImageLib::WritePNGImage(fileName, &picture)
               : ImageLib::WriteJPEGImage(fileName, &picture);
}

std::string SizeCell(const char* label, int bytes)
{
    if (bytes < 0)
        return "<TD>&nbsp;</TD>";
    return std::string("<TD>") + label + "<BR>" + CommaSeparate(bytes) + "</TD>";
}

// The texture cell: its pixel format's name and its bytes.
std::string TextureCell(const MemoryImage* image, int bytes)
{
    if (bytes < 0)
        return "<TD>&nbsp;</TD>";
    const char* name = "";
    switch (image->mTextureData->mPixelFormat) {
    case plat::kTexA8R8G8B8: name = "A8R8G8B8"; break;
    case plat::kTexA4R4G4B4: name = "A4R4G4B4"; break;
    case plat::kTexR5G6B5: name = "R5G6B5"; break;
    case plat::kTexPalette8: name = "Palette8"; break;
    default: break;
    }
    return std::string("<TD>Texture<BR>") + name + "<BR>" + CommaSeparate(bytes) + "</TD>";
}

std::string FlagCell(const char* word, bool set)
{
    return set ? std::string("<TD>") + word + "</TD>" : std::string("<TD>&nbsp;</TD>");
}

} // namespace

void QuorAppBase::TakeScreenshot()
{
    if (mDdInterface == nullptr || mDdInterface->GetScreenImage() == nullptr)
        return;

    std::string folder = GetAppDataFolder() + "_screenshots";
    CreateDirectories(folder);
    folder += "/";

    int highest = 0;
    for (const plat::FindData& entry : plat::FindFiles(folder + "*.png")) {
        int number = 0;
        if (entry.name.size() > 5 && entry.name.compare(0, 5, "image") == 0 &&
            std::sscanf(entry.name.c_str() + 5, "%d.png", &number) == 1 && number > highest)
            highest = number;
    }

    // The screen's pixels through a temporary display image on the screen image's surface,
    // with the screen image detached from the display while they are read.
    std::vector<uint32_t> pixels;
    int width = 0;
    int height = 0;
    {
        DDInterface::AutoLock lock(mDdInterface->mCritSect);
        DDImage* screen = mDdInterface->mScreenImage;
        mDdInterface->mScreenImage = nullptr;
        {
            DDImage reader(mDdInterface);
            if (reader.SetSurface(screen->GetSurface()) == plat::DD_OK) {
                if (const uint32_t* bits = reader.GetBits(); bits != nullptr) {
                    width = reader.mWidth;
                    height = reader.mHeight;
                    pixels.assign(bits, bits + size_t(width) * size_t(height));
                }
            }
            reader.DeleteSurface();
        }
        mDdInterface->mScreenImage = screen;
    }
    if (!pixels.empty())
        WritePixels(folder + "image" + StrFormat("%d", highest + 1) + ".png", pixels.data(), width,
                    height, true);

    ResetUpdateTimer();
}

void QuorAppBase::DumpImages()
{
    const std::string folder = GetAppDataFolder() + "_dump";
    DeleteTree(folder);
    // A folder being deleted (or held open elsewhere) can refuse a new one for a moment; a
    // second of tries, then no dump rather than a program that never comes back.
    bool made = false;
    for (int tries = 0; tries < 10 && !made; ++tries) {
        CreateDirectories(folder);
        made = plat::IsDirectory(folder);
        if (!made)
            plat::Sleep(100);
    }
    if (!made)
        return;

    // The images as they are now; pictures made below are not registered.
    std::vector<ImageUse> uses;
    {
        std::lock_guard<std::recursive_mutex> lock(mImageSetLock);
        for (MemoryImage* image : mMemoryImageSet) {
            if (image->mWidth <= 0 || image->mHeight <= 0)
                continue; // nothing to picture, and no pixels to sample a thumbnail from
            uses.push_back(MeasureImage(image));
        }
    }
    std::stable_sort(uses.begin(), uses.end(),
                     [](const ImageUse& a, const ImageUse& b) { return a.total < b.total; });
    ImageUse sums;
    sums.bits = sums.palette = sums.surface = sums.texture = sums.nativeAlpha = sums.rlAlpha = 0;
    sums.rlAdditive = 0;
    for (const ImageUse& use : uses) {
        sums.total += use.total;
        sums.bits += std::max(use.bits, 0);
        sums.palette += std::max(use.palette, 0);
        sums.surface += std::max(use.surface, 0);
        sums.texture += std::max(use.texture, 0);
        sums.nativeAlpha += std::max(use.nativeAlpha, 0);
        sums.rlAlpha += std::max(use.rlAlpha, 0);
        sums.rlAdditive += std::max(use.rlAdditive, 0);
    }

    FILE* page = plat::OpenFile(folder + "/imagelist.html", "w");
    auto put = [&](const std::string& text) {
        if (page != nullptr)
            std::fputs(text.c_str(), page);
    };
    std::time_t now = std::time(nullptr);
    put("<HTML><BODY BGCOLOR=EEEEFF><CENTER><FONT SIZE=+2><B>");
    put(std::ctime(&now));
    put("</B></FONT><BR>\n");
    put("Total Image Allocation: " + CommaSeparate(sums.total) + " bytes<BR>\n");
    put("<TABLE BORDER=1 CELLSPACING=0 CELLPADDING=4>");

    for (size_t k = 0; k < uses.size(); ++k) {
        const ImageUse& use = uses[k];
        MemoryImage* image = use.image;
        const std::string pictureName = StrFormat("img%04d.png", int(k));
        const std::string thumbName = StrFormat("thumb%04d.jpg", int(k));
        put("<TR>\n");
        put("<TD><A HREF=" + pictureName + "><IMG SRC=" + thumbName +
            " WIDTH=64 HEIGHT=64></A></TD>");
        put("<TD ALIGN=RIGHT>" +
            StrFormat("%d x %d<BR>%s bytes", image->mWidth, image->mHeight,
                      CommaSeparate(use.total).c_str()) +
            "</TD>");
        put(SizeCell("mBits", use.bits));
        put(SizeCell("Palletized", use.palette));
        put(SizeCell("DDSurface", use.surface));
        put(TextureCell(image, use.texture));
        put(FlagCell("Volatile", image->mVolatile));
        put(FlagCell("Forced", image->mForced));
        put(FlagCell("HasAlpha", image->mHasAlpha));
        put(FlagCell("HasTrans", image->mHasTrans));
        put(SizeCell("NativeAlpha", use.nativeAlpha));
        put(SizeCell("RLAlpha", use.rlAlpha));
        put(SizeCell("RLAdditive", use.rlAdditive));
        put("<TD>&nbsp;</TD>");
        put("</TR>\n");

        const uint32_t* bits = image->GetBits();
        if (bits == nullptr)
            continue;
        const int width = image->mWidth;
        const int height = image->mHeight;
        std::vector<uint32_t> thumb(64 * 64);
        for (int y = 0; y < 64; ++y)
            for (int x = 0; x < 64; ++x)
                thumb[size_t(y * 64 + x)] =
                    bits[size_t(y * height / 64) * size_t(width) + size_t(x * width / 64)];
        WritePixels(folder + "/" + thumbName, thumb.data(), 64, 64, false);
        WritePixels(folder + "/" + pictureName, bits, width, height, true);
    }

    put("<TR><TD>Totals</TD><TD>" + CommaSeparate(sums.total) + "</TD><TD>" +
        CommaSeparate(sums.bits) + "</TD><TD>" + CommaSeparate(sums.palette) + "</TD><TD>" +
        CommaSeparate(sums.surface) + "</TD><TD>" + CommaSeparate(sums.texture) + "</TD>");
    put("<TD>&nbsp;</TD><TD>&nbsp;</TD><TD>&nbsp;</TD><TD>&nbsp;</TD>");
    put("<TD>" + CommaSeparate(sums.nativeAlpha) + "</TD><TD>" + CommaSeparate(sums.rlAlpha) +
        "</TD><TD>" + CommaSeparate(sums.rlAdditive) + "</TD><TD>&nbsp;</TD></TR>");
    put("</TABLE></CENTER></BODY></HTML>\n");
    if (page != nullptr)
        std::fclose(page);
}

} // namespace Quor
