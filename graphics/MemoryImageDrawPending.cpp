// Placeholder definitions of the memory image's drawing operations so that the class links
// while MemoryImageDraw.cpp is being written. They draw nothing. Delete this file in the same
// change that adds MemoryImageDraw.cpp.
#include "graphics/MemoryImage.h"

namespace Quor {

void MemoryImage::FillRect(const Rect&, const Color&, int) {}
void MemoryImage::ClearRect(const Rect&) {}
void MemoryImage::DrawLine(double, double, double, double, const Color&, int) {}
void MemoryImage::DrawLineAA(double, double, double, double, const Color&, int) {}
void MemoryImage::FillScanLinesWithCoverage(Span*, int, const Color&, int, const uint8_t*, int, int,
                                            int, int)
{
}
void MemoryImage::Blt(Image*, int, int, const Rect&, const Color&, int) {}
void MemoryImage::BltF(Image*, float, float, const Rect&, const Rect&, const Color&, int) {}
void MemoryImage::BltRotated(Image*, float, float, const Rect&, const Rect&, const Color&, int,
                             double, float, float)
{
}
void MemoryImage::StretchBlt(Image*, const Rect&, const Rect&, const Rect&, const Color&, int, bool)
{
}
void MemoryImage::BltMatrix(Image*, float, float, const Matrix3&, const Rect&, const Color&, int,
                            const Rect&, bool)
{
}
void MemoryImage::BltTriangles(Image*, const TriVertex[][3], int, const Rect&, const Color&, int,
                               float, float, bool)
{
}

} // namespace Quor
