// The object model of the form library: objects, components owning
// components, exceptions, run-time class records of forms, and the
// registry of component classes that form descriptions may name.
#pragma once

#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <stdexcept>
#include <string>
#include <vector>

#include "vpr/forms/form_stream.h"
#include "windows.h"

namespace vpr::forms {

class TForm;
class TReader;
class TWinControl;

class TObject {
public:
    virtual ~TObject() = default;
    // Runs what must happen while the whole object still exists (a form's
    // destroy handler), then deletes it. Forms and components are freed so.
    void Free();
    virtual void BeforeDestruction() {}
};

// Errors of the library and of handlers: the message is what the person sees.
class Exception : public std::exception {
public:
    explicit Exception(std::string message) : Message(std::move(message)) {}
    const char* what() const noexcept override { return Message.c_str(); }
    std::string Message;
};
// A form description that cannot be read: the text names the class,
// property, method or component at fault.
class EReadError : public Exception {
    using Exception::Exception;
};
// "Resource %s not found".
class EResNotFound : public Exception {
    using Exception::Exception;
};
// A refused ini write: "Unable to write to %s".
class EIniFileException : public Exception {
    using Exception::Exception;
};

using TNotifyEvent = std::function<void(TObject* Sender)>;
// An owner-drawn row: the control, the row, its rectangle in the control
// and ODS_ state bits; the control's canvas is the device context given.
using TDrawItemEvent = std::function<void(TWinControl* Control, int Index, const RECT& Rect, UINT State, HDC Canvas)>;
using TIdleEvent = std::function<void(TObject* Sender, bool& Done)>;

struct NoCaseLess {
    bool operator()(const std::string& a, const std::string& b) const;
};
bool SameText(const std::string& a, const std::string& b);

class TComponent : public TObject {
public:
    explicit TComponent(TComponent* owner);
    ~TComponent() override;
    TComponent(const TComponent&) = delete;
    TComponent& operator=(const TComponent&) = delete;

    // The class name a description gives ("TButton").
    virtual std::string ClassName() const { return "TComponent"; }

    std::string Name;
    int Tag = 0;

    TComponent* Owner() const { return owner_; }
    const std::vector<TComponent*>& Components() const { return components_; }
    // An owned component by name, ignoring case; null when none.
    TComponent* FindComponent(const std::string& name) const;

    // A property of a description. Answers false when this class has no
    // property of that name; a value of the wrong kind raises EReadError.
    // Derived classes take theirs and hand the rest to their parent class.
    virtual bool SetProperty(TReader& reader, const std::string& name, const FormValue& value);
    // Called once the description of the whole form has been read.
    virtual void Loaded() {}

    void BeforeDestruction() override;

private:
    TComponent* owner_;
    std::vector<TComponent*> components_;
};

// ---- run-time class records of forms --------------------------------------

// What a form class declares: its component fields and event methods by name.
class TFormClass {
public:
    using FieldBinder = std::function<bool(TForm*, TComponent*)>;
    using NotifyMaker = std::function<TNotifyEvent(TForm*)>;
    using DrawItemMaker = std::function<TDrawItemEvent(TForm*)>;

    TFormClass(std::string name, const TFormClass* parent) : name_(std::move(name)), parent_(parent) {}
    template <class F>
    static TFormClass Make(const char* name, const TFormClass* parent);

    const std::string& Name() const { return name_; }
    const TFormClass* Parent() const { return parent_; }
    // True when this class is `other` or derives from it.
    bool InheritsFrom(const TFormClass& other) const;

    // Look-ups walk from this class to its parents; null when none has it.
    const FieldBinder* FindField(const std::string& name) const;
    const NotifyMaker* FindNotifyMethod(const std::string& name) const;
    const DrawItemMaker* FindDrawItemMethod(const std::string& name) const;
    // True when some class of the chain has a method of that name, of any kind.
    bool HasMethod(const std::string& name) const;

    std::map<std::string, FieldBinder, NoCaseLess> fields;
    std::map<std::string, NotifyMaker, NoCaseLess> notifyMethods;
    std::map<std::string, DrawItemMaker, NoCaseLess> drawItemMethods;

private:
    std::string name_;
    const TFormClass* parent_;
};

template <class F>
class FormMembers {
public:
    explicit FormMembers(TFormClass& record) : record_(record) {}
    // A published component field: the description's component of this name
    // lands in it (and must be of its type).
    template <class C>
    void Field(const std::string& name, C* F::*field) {
        record_.fields[name] = [field](TForm* form, TComponent* component) {
            auto* typed = dynamic_cast<C*>(component);
            if (!typed) return false;
            static_cast<F*>(form)->*field = typed;
            return true;
        };
    }
    // A published event method, bound by name to a component's event.
    void Event(const std::string& name, void (F::*method)(TObject*)) {
        record_.notifyMethods[name] = [method](TForm* form) -> TNotifyEvent {
            F* self = static_cast<F*>(form);
            return [self, method](TObject* sender) { (self->*method)(sender); };
        };
    }
    void Event(const std::string& name, void (F::*method)(TWinControl*, int, const RECT&, UINT, HDC)) {
        record_.drawItemMethods[name] = [method](TForm* form) -> TDrawItemEvent {
            F* self = static_cast<F*>(form);
            return [self, method](TWinControl* c, int i, const RECT& r, UINT s, HDC dc) { (self->*method)(c, i, r, s, dc); };
        };
    }

private:
    TFormClass& record_;
};

template <class F>
TFormClass TFormClass::Make(const char* name, const TFormClass* parent) {
    TFormClass record(name, parent);
    FormMembers<F> members(record);
    if constexpr (requires { F::DeclareMembers(members); }) F::DeclareMembers(members);
    return record;
}

// Gives a form class its run-time class record, with its parent's as parent.
// The class may declare `static void DeclareMembers(vpr::forms::FormMembers<Class>&)`.
#define VPR_FORM_CLASS(Class, ParentClass)                                                           \
public:                                                                                              \
    static const ::vpr::forms::TFormClass& StaticClass() {                                           \
        static const ::vpr::forms::TFormClass record =                                               \
            ::vpr::forms::TFormClass::Make<Class>(#Class, &ParentClass::StaticClass());              \
        return record;                                                                               \
    }                                                                                                \
    const ::vpr::forms::TFormClass& ClassType() const override { return StaticClass(); }             \
    std::string ClassName() const override { return #Class; }                                        \
                                                                                                     \
private:

// ---- component classes a description may name -----------------------------

using ComponentFactory = std::function<TComponent*(TComponent* owner)>;
// Makes a class known to the reader by its name (the library's own controls
// are known from the start). A second registration of a name replaces it.
void RegisterComponentClass(const std::string& className, ComponentFactory factory);
template <class T>
void RegisterComponentClass(const std::string& className) {
    RegisterComponentClass(className, [](TComponent* owner) -> TComponent* { return new T(owner); });
}
// Null when no class of that name is known.
ComponentFactory FindComponentClass(const std::string& className);

// The library's global loading lock: every reading of a form description
// holds it, so that two threads never build forms at once.
std::recursive_mutex& GlobalNameSpace();

}  // namespace vpr::forms
