// The protocol header is checked (its frozen layouts) wherever it is
// included; this unit makes the program itself one of those places.
#include "devices/device_protocol.h"
