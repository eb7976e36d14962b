// Colour reduction: a bitmap of any depth turned into a bitmap file image
// of 1, 4 or 8 bits per pixel, its palette chosen by one of six methods.
#pragma once

#include <memory>

#include "Graphics.h"
#include "Streams.h"

enum TMappingMethod { mmHistogram, mmQuantize, mmTrunc784, mmTrunc666, mmTripel, mmGrayscale };

// The method used where none is given (initially mmHistogram).
extern TMappingMethod DefaultMappingMethod;

// A bitmap file (header, information header, colour table, rows) in a
// stream positioned at 0. EInvalidGraphic "Bitmap image is not valid" for a
// bitmap without a handle; an unsupported target format shows "Function not
// yet implemented" and abandons the operation (EAbort).
std::unique_ptr<TMemoryStream> BitmapToMemoryStream(TBitmap* bitmap, TPixelFormat format,
                                                    TMappingMethod method);
// 1 bit for at most 2 colours, 4 bits for at most 16, 8 for at most 256,
// with the default method.
std::unique_ptr<TMemoryStream> BitmapToMemory(TBitmap* bitmap, int colors);
