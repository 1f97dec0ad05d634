// Golden-picture helpers shared by the pixel tests: 32-bit 0xAARRGGBB pictures to and from
// PNG files, and the small test sprite several scenes draw.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace Quor {
class WidgetManager;
}

namespace quortest {

bool WritePng(const std::string& path, const std::vector<uint32_t>& px, int w, int h);
bool ReadPng(const std::string& path, std::vector<uint32_t>& px, int& w, int& h);

// Compares a picture with the PNG at path (rewritten first when QUOR_UPDATE_GOLDEN is set):
// empty when every pixel matches, else what differs.
std::string CompareWithGolden(const std::string& path, const std::vector<uint32_t>& px, int w, int h);

// Draws the whole widget tree into a 1024 x 768 memory picture, every pixel made opaque, as
// the screen tests compare it with their stored pictures.
std::vector<uint32_t> DrawWholeScreen(Quor::WidgetManager& widgets);

// A 16 x 16 sprite: a soft-edged disc over a clear background, with a hard-edged notch.
std::vector<uint32_t> SpritePixels16();

} // namespace quortest
