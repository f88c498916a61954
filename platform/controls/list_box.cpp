// The list box and the combo box.
#include "platform/controls/control_internal.h"

void RegisterListClasses() {}
