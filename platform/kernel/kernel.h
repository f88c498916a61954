#pragma once
// The kernel level of the platform layer.
#include "platform/kernel/errors.h"
#include "platform/kernel/handles.h"
#include "platform/kernel/library.h"
#include "platform/kernel/long_waits.h"
#include "platform/kernel/named_objects.h"
#include "platform/kernel/process.h"
#include "platform/kernel/sync.h"
#include "platform/kernel/thread.h"
#include "platform/kernel/clock.h"
#include "platform/kernel/global_memory.h"
