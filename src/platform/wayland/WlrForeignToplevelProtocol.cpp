// The marshalling tables that wayland-scanner makes from
// protocol/wlr-foreign-toplevel-management-unstable-v1.xml, compiled as C++ as the virtual
// keyboard's are (see VirtualKeyboardProtocol.cpp).
#include <wayland-client.h>

#include "wlr-foreign-toplevel-management-unstable-v1-client-protocol.h"

#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wattributes"
#include "wlr-foreign-toplevel-management-unstable-v1-protocol.c"
#pragma GCC diagnostic pop
