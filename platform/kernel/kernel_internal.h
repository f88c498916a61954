#pragma once
// Kernel objects, the handle table and the end of a thread (internal to the
// kernel).
#include "platform/types.h"
#include "platform/kernel/thread_data.h"
#include <memory>
#include <mutex>
#include <string>
#include <vector>

enum class KObjectKind { Event, Thread, Process, Mapping };

struct KObject {
    explicit KObject(KObjectKind k, bool canWait) : kind(k), waitable(canWait) {}
    virtual ~KObject() = default;
    const KObjectKind kind;
    const bool waitable;
    // Guarded by KernelLock().
    bool signaled = false;
    bool autoReset = false;
    std::vector<CThreadData*> waiters;
};

// Guards the wait state of every kernel object. It may be held while a
// thread's lock is taken, never the other way round.
std::mutex& KernelLock();
// Marks the object signalled and wakes its waiters; KernelLock() is held.
void SignalLocked(KObject& object);

HANDLE NewHandle(std::shared_ptr<KObject> object);
std::shared_ptr<KObject> LookupHandle(HANDLE h);
template <class T>
std::shared_ptr<T> LookupHandleAs(HANDLE h, KObjectKind kind)
{
    std::shared_ptr<KObject> o = LookupHandle(h);
    if (!o || o->kind != kind) return nullptr;
    return std::static_pointer_cast<T>(o);
}

// Named registry shared by events and memory blocks.
std::shared_ptr<KObject> FindNamedObject(const std::string& name);
// Registers the object unless the name is taken; returns the holder of the name.
std::shared_ptr<KObject> RegisterNamedObject(const std::string& name, const std::shared_ptr<KObject>& object);

// Marks the thread ended and runs the end hook; runs once.
void EndThreadData(const std::shared_ptr<CThreadData>& thread);
