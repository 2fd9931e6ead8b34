#pragma once
// The codec lives in gif/; this path stays for code outside the project that
// includes it. The project itself includes "gif/gif.h".
#include "gif/gif.h"
