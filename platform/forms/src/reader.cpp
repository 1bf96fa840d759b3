#include "vpr/forms/reader.h"

#include "vpr/forms/form.h"

namespace vpr::forms {

void TReader::Fail(const std::string& what) const {
    throw EReadError(where_.empty() ? what : "Error reading " + where_ + ": " + what);
}

void TReader::ReadRoot(const FormObject& description) {
    std::lock_guard lock(GlobalNameSpace());
    if (!SameText(description.className, class_.Name()))
        throw EReadError("The description of class " + description.className + " cannot be read into a form of class " +
                         class_.Name());
    bool wasLoading = root_->Loading();
    root_->SetLoading(true);
    created_.clear();
    try {
        if (!description.name.empty()) root_->Name = description.name;
        ReadProperties(root_, description);
        for (const FormObject& child : description.children) ReadObject(nullptr, root_, child);
    } catch (...) {
        root_->SetLoading(wasLoading);
        throw;
    }
    root_->SetLoading(wasLoading);
    for (TComponent* component : created_) component->Loaded();
    root_->Loaded();
}

void TReader::ReadObject(TComponent*, TWinControl* parent, const FormObject& description) {
    std::string where = root_->ClassType().Name() + "." + (description.name.empty() ? description.className : description.name);
    where_ = where;
    // A component the form already has (from the parent class's description)
    // is read again; any other is made from its class.
    TComponent* component = description.name.empty() ? nullptr : root_->FindComponent(description.name);
    if (component && !SameText(component->ClassName(), description.className))
        Fail("component " + description.name + " is a " + component->ClassName() + ", not a " + description.className);
    if (!component) {
        ComponentFactory factory = FindComponentClass(description.className);
        if (!factory) Fail("Class " + description.className + " not found");
        component = factory(root_);
        component->Name = description.name;
        created_.push_back(component);
        if (!description.name.empty()) {
            if (const auto* bind = root_->ClassType().FindField(description.name); bind && !(*bind)(root_, component))
                Fail("the field " + description.name + " of " + root_->ClassType().Name() + " does not take a " +
                     description.className);
        }
    }
    ReadProperties(component, description);
    where_ = where;
    auto* control = dynamic_cast<TControl*>(component);
    auto* container = dynamic_cast<TWinControl*>(component);
    if (control && control->Parent() != parent) control->SetParent(parent);
    if (!description.children.empty() && !container)
        Fail(description.className + " cannot hold components");
    for (const FormObject& child : description.children) ReadObject(component, container, child);
    where_.clear();
}

void TReader::ReadProperties(TComponent* component, const FormObject& description) {
    std::string owner = root_->ClassType().Name() + (component == root_ ? "" : "." + description.name);
    for (const FormProperty& property : description.properties) {
        where_ = owner + "." + property.name;
        if (!component->SetProperty(*this, property.name, property.value))
            Fail("Property " + property.name + " does not exist in " + component->ClassName());
    }
    where_.clear();
}

int TReader::Integer(const FormValue& value) const {
    if (value.kind != FormValue::Kind::kInteger) Fail("an integer expected");
    return value.integer;
}

const std::string& TReader::String(const FormValue& value) const {
    if (value.kind != FormValue::Kind::kString) Fail("a string expected");
    return value.text;
}

bool TReader::Boolean(const FormValue& value) const {
    if (value.kind == FormValue::Kind::kIdent) {
        if (SameText(value.text, "true")) return true;
        if (SameText(value.text, "false")) return false;
    }
    Fail("True or False expected");
}

const std::string& TReader::Ident(const FormValue& value) const {
    if (value.kind != FormValue::Kind::kIdent) Fail("an identifier expected");
    return value.text;
}

int TReader::Enum(const FormValue& value, const std::vector<std::string>& names) const {
    const std::string& ident = Ident(value);
    for (size_t i = 0; i < names.size(); ++i)
        if (SameText(names[i], ident)) return static_cast<int>(i);
    Fail("invalid property value " + ident);
}

std::vector<std::string> TReader::Set(const FormValue& value, const std::vector<std::string>& names) const {
    if (value.kind != FormValue::Kind::kSet) Fail("a set expected");
    for (const std::string& item : value.items) {
        bool known = false;
        for (const std::string& name : names) known = known || SameText(name, item);
        if (!known) Fail("invalid set element " + item);
    }
    return value.items;
}

const std::vector<std::string>& TReader::List(const FormValue& value) const {
    if (value.kind != FormValue::Kind::kList) Fail("a list of strings expected");
    return value.items;
}

TNotifyEvent TReader::NotifyEvent(const FormValue& value) const {
    const std::string& method = Ident(value);
    const auto* make = root_->ClassType().FindNotifyMethod(method);
    if (!make) {
        if (root_->ClassType().HasMethod(method)) Fail("the method " + method + " does not fit this event");
        Fail("Invalid method " + method + " (not a method of " + root_->ClassType().Name() + ")");
    }
    return (*make)(root_);
}

TDrawItemEvent TReader::DrawItemEvent(const FormValue& value) const {
    const std::string& method = Ident(value);
    const auto* make = root_->ClassType().FindDrawItemMethod(method);
    if (!make) {
        if (root_->ClassType().HasMethod(method)) Fail("the method " + method + " does not fit this event");
        Fail("Invalid method " + method + " (not a method of " + root_->ClassType().Name() + ")");
    }
    return (*make)(root_);
}

void ReadFormStream(const uint8_t* data, size_t size, TForm* form, const TFormClass& asClass) {
    FormObject description;
    std::string error;
    if (!DecodeFormStream(data, size, &description, &error))
        throw EReadError("The form description of " + asClass.Name() + " is damaged: " + error);
    TReader reader(form, asClass);
    reader.ReadRoot(description);
}

bool ReadFormResource(HMODULE module, const std::string& className, TForm* form, const TFormClass& asClass) {
    std::string name = className;
    for (char& c : name) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    HRSRC resource = FindResourceA(module, name.c_str(), MAKEINTRESOURCEA(10));
    if (!resource) return false;
    HGLOBAL loaded = LoadResource(module, resource);
    DWORD size = SizeofResource(module, resource);
    const void* data = loaded ? LockResource(loaded) : nullptr;
    if (!data && size) throw EReadError("The form description of " + className + " cannot be loaded");
    ReadFormStream(static_cast<const uint8_t*>(data), size, form, asClass);
    return true;
}

bool ReadInheritedFormResources(HMODULE module, TForm* form, const TFormClass& stopAt) {
    std::lock_guard lock(GlobalNameSpace());
    std::vector<const TFormClass*> chain;
    for (const TFormClass* c = &form->ClassType(); c && c != &stopAt; c = c->Parent()) chain.push_back(c);
    bool found = false;
    for (auto it = chain.rbegin(); it != chain.rend(); ++it)
        found = ReadFormResource(module, (*it)->Name(), form, **it) || found;
    return found;
}

}  // namespace vpr::forms
