#pragma once
#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>

#include "image/image_error.h"
#include "image/raster_image.h"
#include "io/safe_save.h"

namespace tolvane {

// Windows bitmap files. Failures throw Toolkit_Error with the user's texts:
// "Cannot open file <path>", "Bitmap image is not valid", "Stream read error",
// "Cannot create file <path>", "Stream write error".
//
// Reading accepts the OS/2 12-byte header, the OS/2 2.x header (16 or 64
// bytes) and the Windows info headers of 40, 52, 56, 108 and 124 bytes; 1, 4,
// 8, 16, 24 and 32 bits per pixel, uncompressed, RLE8, RLE4 and bit fields.
// Choices where files are loose:
//  - pixels the data does not reach because it is cut short (the file ends,
//    or run-length data ends without its end-of-picture code) are white, and
//    the notes say so; pixels the coding skips (RLE rows ended early or
//    skipped by a delta) read as if their bits were zero: palette entry 0 for
//    palette pictures, black otherwise; indices past the colour table are black;
//  - n-bit channels of 16-bit and bit-field pictures widen to 8 bits by bit
//    replication (5 bits v become v << 3 | v >> 2); channels wider than 8 bits
//    keep their top 8 bits;
//  - RLE runs and deltas that leave the row or the picture are clipped;
//  - a picture is refused as not valid when it has more than Max_Image_Pixels
//    pixels, or when it has more than 4 Mpixels and its file cannot fill it:
//    uncompressed data for less than half of its rows, or RLE data of less
//    than one byte per 256 pixels (the densest coding needs one per 127.5).
//    So a tiny file never makes us allocate a huge image;
//  - a file shorter than its headers is a read error; one whose pixel offset
//    points into the headers is not valid.

// What a bitmap's headers say, checked against the values we accept.
struct Bmp_Header {
  int Width = 0;
  int Height = 0;  // positive; Top_Down tells the row order
  bool Top_Down = false;
  int Bit_Count = 0;
  int Compression = 0;                 // 0 none, 1 RLE8, 2 RLE4, 3 bit fields
  std::uint32_t Masks[3] = {0, 0, 0};  // red, green, blue at 16 and 32 bits
  int Palette_Entries = 0;             // entries present in the file (<= 256)
  int Palette_Entry_Bytes = 4;
  std::uint64_t Pixel_Offset = 0;
  std::uint64_t File_Size = 0;
};

// The headers alone, checked, without decoding or allocating the picture.
Bmp_Header Parse_Bmp_Header(const std::uint8_t* data, std::size_t size);
Bmp_Header Read_Bmp_Header(const std::string& path);

// Reads any BMP variant the program accepts into colour values.
Raster_Image Read_Bmp(const std::string& path, Read_Notes* notes = nullptr);
Raster_Image Decode_Bmp(const std::uint8_t* data, std::size_t size, Read_Notes* notes = nullptr);

// Writes 24 bits per pixel, bottom-up, safely as Save_File does.
void Write_Bmp(const std::string& path, const Raster_Image& image);

using Bmp_Write_Function = Write_Function;
void Write_Bmp(const std::string& path, const Raster_Image& image,
               const Bmp_Write_Function& write_fn);

}  // namespace tolvane
