// png_file.h - writes an RGBA image as a PNG file (libpng).
#ifndef SETTINGS_SCREEN_PNG_FILE_H
#define SETTINGS_SCREEN_PNG_FILE_H

#include <cstdint>
#include <string>
#include <vector>

// rgba holds width * height pixels, rows from the bottom up as OpenGL reads
// them. False when the file cannot be written.
bool WritePng(const std::string& path, int width, int height, const std::vector<std::uint8_t>& rgba);

#endif
