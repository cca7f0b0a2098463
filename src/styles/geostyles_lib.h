#pragma once

// C_GeoStylesList now lives in style_list.h; this name stays for code that
// includes it.
#include <meshory/styles/style_list.h>
