// What the memory image and the shared image handle need of the application and the display:
// registration in the application's image set, the 3-D flag, the display's pixel format,
// texture read-back and the shared-image clean-up flag. Internal to the graphics code.
#pragma once

#include <cstdint>

namespace Quor {

class QuorAppBase;
class NativeDisplay;
class MemoryImage;

namespace host {

// Channel masks, bit counts and shifts of a display pixel format, in the order red, green, blue.
struct PixelFormat {
    uint32_t mMask[3];
    uint32_t mBits[3];
    uint32_t mShift[3];
};

// The program-wide application object, or null when none exists.
QuorAppBase* ProgramApp();
// The display of the program-wide application object, or null.
NativeDisplay* ProgramDisplay();
// The pixel format of a display; 32-bit X8R8G8B8 when there is no display or it has no
// format yet.
PixelFormat FormatOf(const NativeDisplay* theDisplay);

void AddMemoryImage(QuorAppBase* theApp, MemoryImage* theImage);
void RemoveMemoryImage(QuorAppBase* theApp, MemoryImage* theImage);
void DisplayRemoveImage(QuorAppBase* theApp, MemoryImage* theImage);
bool Is3DAccelerated(QuorAppBase* theApp);
// Reads the image's texture data back into its 32-bit pixels; false when there is none
// made from the image's current change count.
bool ReadBackTexture(MemoryImage* theImage);
// Raises the program-wide application's flag that its shared-image table needs cleaning.
void SetCleanSharedImages();

} // namespace host
} // namespace Quor
