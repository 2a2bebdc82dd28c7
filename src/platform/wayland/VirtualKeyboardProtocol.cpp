// The marshalling tables that wayland-scanner makes from protocol/virtual-keyboard-unstable-v1.xml,
// compiled as part of this C++ library: the header comes first, so the tables get the C linkage
// that its declarations give them. Their hidden visibility is then a second opinion that the
// compiler may not apply after the header's declaration, and it says so; the library is static
// anyway.
#include <wayland-client.h>

#include "virtual-keyboard-unstable-v1-client-protocol.h"

#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wattributes"
#include "virtual-keyboard-unstable-v1-protocol.c"
#pragma GCC diagnostic pop
