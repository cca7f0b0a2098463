#pragma once

// C_GeoStyle now lives in style_record.h; this name stays for code that
// includes it.
#include <meshory/styles/style_record.h>
