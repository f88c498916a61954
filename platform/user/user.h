#pragma once
// The window-manager level of the platform layer.
#include "platform/user/keyboard.h"
#include "platform/user/message.h"
#include "platform/user/message_box.h"
#include "platform/user/sys_colors.h"
#include "platform/user/window.h"
