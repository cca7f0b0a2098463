#pragma once

// mergeLines now lives beside the transport builders that use it; this name
// stays for code that includes it.
#include <meshory/model/builders/merge_lines.h>
