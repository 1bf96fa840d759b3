// Reading a form description into a form: components are created by class
// name, properties set by name, component fields and event methods of the
// form's class bound by name. Every fault raises EReadError naming what is
// wrong; nothing of a bad description is ever half-trusted.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "vpr/forms/classes.h"

namespace vpr::forms {

class TReader {
public:
    TReader(TForm* root, const TFormClass& rootClass) : root_(root), class_(rootClass) {}

    // Reads a whole description (its root describes `root` itself).
    void ReadRoot(const FormObject& description);

    // Value helpers for SetProperty: each raises EReadError, naming the
    // property, when the value is of another kind.
    int Integer(const FormValue& value) const;
    const std::string& String(const FormValue& value) const;
    bool Boolean(const FormValue& value) const;
    const std::string& Ident(const FormValue& value) const;
    // One of the given identifiers (ignoring case): its index.
    int Enum(const FormValue& value, const std::vector<std::string>& names) const;
    // The identifiers of a set, each of which must be one of the names.
    std::vector<std::string> Set(const FormValue& value, const std::vector<std::string>& names) const;
    const std::vector<std::string>& List(const FormValue& value) const;
    // An event method of the form's class by name; "unknown method" else.
    TNotifyEvent NotifyEvent(const FormValue& value) const;
    TDrawItemEvent DrawItemEvent(const FormValue& value) const;

    [[noreturn]] void Fail(const std::string& what) const;

private:
    void ReadObject(TComponent* component, TWinControl* parent, const FormObject& description);
    void ReadProperties(TComponent* component, const FormObject& description);

    TForm* root_;
    const TFormClass& class_;
    std::string where_;  // "TfrmMain.btnNext.Caption" while a property is set
    std::vector<TComponent*> created_;
};

// Reads a binary form stream into the form; EReadError on a bad stream.
void ReadFormStream(const uint8_t* data, size_t size, TForm* form, const TFormClass& asClass);
// Looks in the module for the raw-data resource named after the upper-cased
// class and reads it into the form: false when there is none.
bool ReadFormResource(HMODULE module, const std::string& className, TForm* form, const TFormClass& asClass);
// Reads the descriptions of the form's class chain from the module, parent
// first, from the class below `stopAt` (TForm) down to the form's own class,
// under the global loading lock: an inherited form's description is applied
// after its parent's. False when no class of the chain has one.
bool ReadInheritedFormResources(HMODULE module, TForm* form, const TFormClass& stopAt);

}  // namespace vpr::forms
