#pragma once
// The codec lives in png/; this path stays for code outside the project that
// includes it. The project itself includes "png/png.h".
#include "png/png.h"
