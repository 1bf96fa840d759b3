#include "vpr/win/handle_table.h"

#include <cstdlib>

namespace vpr::win {

HandleTable& HandleTable::Instance() {
    // Never destroyed: handles may be closed from static destructors of modules.
    static HandleTable* table = new HandleTable;
    return *table;
}

uint32_t HandleTable::Add(std::shared_ptr<KernelObject> object) {
    std::lock_guard lock(mutex_);
    // Values rise by 4 (as on Windows) and wrap below 2^31, so they fit an HFILE
    // and stay positive; a value still in use is skipped.
    for (;;) {
        uint32_t value = next_;
        next_ += 4;
        if (next_ >= 0x7FFFFFF0u) next_ = 0x100;
        if (!objects_.contains(value)) {
            objects_.emplace(value, std::move(object));
            return value;
        }
    }
}

std::shared_ptr<KernelObject> HandleTable::Get(uint32_t value) const {
    std::lock_guard lock(mutex_);
    auto it = objects_.find(value);
    return it == objects_.end() ? nullptr : it->second;
}

std::shared_ptr<FileObject> HandleTable::GetFile(uint32_t value) const {
    std::shared_ptr<KernelObject> object = Get(value);
    FileObject* file = object ? object->AsFile() : nullptr;
    if (file == nullptr) return nullptr;
    return std::shared_ptr<FileObject>(std::move(object), file);
}

std::shared_ptr<KernelObject> HandleTable::Remove(uint32_t value) {
    std::lock_guard lock(mutex_);
    auto it = objects_.find(value);
    if (it == objects_.end()) return nullptr;
    auto object = std::move(it->second);
    objects_.erase(it);
    return object;
}

size_t HandleTable::Count() const {
    std::lock_guard lock(mutex_);
    return objects_.size();
}

HFILE OpenFileObject(std::shared_ptr<FileObject> file) {
    return static_cast<HFILE>(HandleTable::Instance().Add(std::move(file)));
}

}  // namespace vpr::win
