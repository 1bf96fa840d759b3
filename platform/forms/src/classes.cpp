#include "vpr/forms/classes.h"

#include <strings.h>

#include <algorithm>

#include "vpr/forms/controls.h"
#include "vpr/forms/dialogs.h"
#include "vpr/forms/form.h"
#include "vpr/forms/reader.h"

namespace vpr::forms {

void TObject::Free() {
    BeforeDestruction();
    delete this;
}

bool NoCaseLess::operator()(const std::string& a, const std::string& b) const {
    return strcasecmp(a.c_str(), b.c_str()) < 0;
}

bool SameText(const std::string& a, const std::string& b) { return strcasecmp(a.c_str(), b.c_str()) == 0; }

TComponent::TComponent(TComponent* owner) : owner_(owner) {
    if (owner_) owner_->components_.push_back(this);
}

TComponent::~TComponent() {
    // Owned components go first, the last made first.
    while (!components_.empty()) {
        TComponent* last = components_.back();
        components_.pop_back();
        last->owner_ = nullptr;
        last->Free();
    }
    if (owner_) {
        auto& list = owner_->components_;
        list.erase(std::remove(list.begin(), list.end(), this), list.end());
    }
}

void TComponent::BeforeDestruction() {}

TComponent* TComponent::FindComponent(const std::string& name) const {
    if (name.empty()) return nullptr;
    for (TComponent* component : components_)
        if (SameText(component->Name, name)) return component;
    return nullptr;
}

bool TComponent::SetProperty(TReader& reader, const std::string& name, const FormValue& value) {
    if (SameText(name, "Tag")) {
        Tag = reader.Integer(value);
        return true;
    }
    return false;
}

bool TFormClass::InheritsFrom(const TFormClass& other) const {
    for (const TFormClass* c = this; c; c = c->parent_)
        if (c == &other) return true;
    return false;
}

const TFormClass::FieldBinder* TFormClass::FindField(const std::string& name) const {
    for (const TFormClass* c = this; c; c = c->parent_)
        if (auto it = c->fields.find(name); it != c->fields.end()) return &it->second;
    return nullptr;
}

const TFormClass::NotifyMaker* TFormClass::FindNotifyMethod(const std::string& name) const {
    for (const TFormClass* c = this; c; c = c->parent_)
        if (auto it = c->notifyMethods.find(name); it != c->notifyMethods.end()) return &it->second;
    return nullptr;
}

const TFormClass::DrawItemMaker* TFormClass::FindDrawItemMethod(const std::string& name) const {
    for (const TFormClass* c = this; c; c = c->parent_)
        if (auto it = c->drawItemMethods.find(name); it != c->drawItemMethods.end()) return &it->second;
    return nullptr;
}

bool TFormClass::HasMethod(const std::string& name) const {
    return FindNotifyMethod(name) || FindDrawItemMethod(name);
}

namespace {

struct ClassRegistry {
    std::mutex mutex;
    std::map<std::string, ComponentFactory, NoCaseLess> classes;  // GUARDED_BY(mutex)

    ClassRegistry() {
        Add<TButton>("TButton");
        Add<TLabel>("TLabel");
        Add<TEdit>("TEdit");
        Add<TListBox>("TListBox");
        Add<TDriveComboBox>("TDriveComboBox");
        Add<TImage>("TImage");
        Add<TPanel>("TPanel");
        Add<TPage>("TPage");
        Add<TNotebook>("TNotebook");
        Add<TTimer>("TTimer");
        Add<TOpenDialog>("TOpenDialog");
    }
    template <class T>
    void Add(const char* name) {
        classes[name] = [](TComponent* owner) -> TComponent* { return new T(owner); };
    }
};

ClassRegistry& Registry() {
    static ClassRegistry registry;
    return registry;
}

}  // namespace

void RegisterComponentClass(const std::string& className, ComponentFactory factory) {
    auto& registry = Registry();
    std::lock_guard lock(registry.mutex);
    registry.classes[className] = std::move(factory);
}

ComponentFactory FindComponentClass(const std::string& className) {
    auto& registry = Registry();
    std::lock_guard lock(registry.mutex);
    auto it = registry.classes.find(className);
    return it == registry.classes.end() ? nullptr : it->second;
}

std::recursive_mutex& GlobalNameSpace() {
    static std::recursive_mutex lock;
    return lock;
}

}  // namespace vpr::forms
