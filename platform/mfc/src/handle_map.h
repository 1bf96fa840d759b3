// Maps from window-system handles to the library's objects: one permanent
// map per process (objects bound by their owners), and temporary objects per
// thread for handles that have none, made by FromHandle.
#pragma once

#include <map>
#include <memory>
#include <mutex>

namespace vpr::mfc {

template <class Object, class Handle>
class PermanentMap {
public:
    Object* Find(Handle handle) {
        std::lock_guard<std::mutex> lock(mutex_);
        auto it = objects_.find(handle);
        return it == objects_.end() ? nullptr : it->second;
    }
    // False when another object holds the handle.
    bool Add(Handle handle, Object* object) {
        std::lock_guard<std::mutex> lock(mutex_);
        auto [it, added] = objects_.emplace(handle, object);
        return added || it->second == object;
    }
    void Remove(Handle handle, Object* object) {
        std::lock_guard<std::mutex> lock(mutex_);
        auto it = objects_.find(handle);
        if (it != objects_.end() && it->second == object) objects_.erase(it);
    }

private:
    std::mutex mutex_;
    std::map<Handle, Object*> objects_;
};

// Temporary objects of one thread. An object stays while its handle is
// alive (`isAlive`), made by `make`, so a pointer from FromHandle may be kept as long as
// the handle lives; dead ones are dropped when the thread asks for a new one.
template <class Object, class Handle>
class TemporaryMap {
public:
    template <class IsAlive, class Make>
    Object* Get(Handle handle, IsAlive isAlive, Make make) {
        auto it = objects_.find(handle);
        if (it != objects_.end()) return it->second.get();
        for (auto dead = objects_.begin(); dead != objects_.end();)
            dead = isAlive(dead->first) ? std::next(dead) : objects_.erase(dead);
        return (objects_[handle] = make(handle)).get();
    }
    void Forget(Handle handle) { objects_.erase(handle); }

private:
    std::map<Handle, std::unique_ptr<Object>> objects_;
};

// A temporary object of class T, a class that owns its handle through Attach
// and Detach, for a handle it must not own: it is detached before it goes.
// Objects live per thread and per call site while `isAlive` says their
// handle does.
template <class T, class Handle, class IsAlive>
T* TemporaryObject(Handle handle, IsAlive isAlive) {
    if (!handle) return nullptr;
    struct Wrapper : T {
        ~Wrapper() override { this->Detach(); }
    };
    thread_local TemporaryMap<T, Handle> temporaries;
    return temporaries.Get(handle, isAlive, [](Handle h) -> std::unique_ptr<T> {
        auto wrapper = std::make_unique<Wrapper>();
        wrapper->Attach(h);
        return wrapper;
    });
}

}  // namespace vpr::mfc
