#pragma once
// The window-manager level of the platform layer.
#include "platform/user/clipboard.h"
#include "platform/user/cursor.h"
#include "platform/user/dialog_manager.h"
#include "platform/user/geometry.h"
#include "platform/user/input.h"
#include "platform/user/keyboard.h"
#include "platform/user/menu.h"
#include "platform/user/message.h"
#include "platform/user/message_box.h"
#include "platform/user/scrollbar.h"
#include "platform/user/settings.h"
#include "platform/user/window.h"
