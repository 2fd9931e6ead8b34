#pragma once
// The codec lives in png/; this path stays for code outside the project that
// includes it. The project itself includes "png/png_picture.h".
#include "png/png_picture.h"
