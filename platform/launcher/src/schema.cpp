// The application schema: the "App:" attributes and the "App:Application"
// class that the library adds to a tree, and the tests whether a tree has them.
#include <memory>
#include <string>
#include <vector>

#include "kmapp32.h"
#include "vpr/directory/context_store.h"
#include "vpr/directory/store.h"

using namespace vpr::directory;

namespace {

constexpr bool kSingle = true, kMulti = false;

const std::vector<AttributeDef>& ApplicationAttributes() {
    static const std::vector<AttributeDef> attributes = {
        {"App:Caption", DIR_SYNTAX_CI_STRING, kSingle},
        {"App:Description", DIR_SYNTAX_CI_STRING, kSingle},
        {"App:Path", DIR_SYNTAX_OCTET_STRING, kSingle},
        {"App:Version String", DIR_SYNTAX_OCTET_STRING, kSingle},
        {"App:GUID", DIR_SYNTAX_OCTET_STRING, kSingle},
        {"App:Parameters", DIR_SYNTAX_OCTET_STRING, kSingle},
        {"App:Working Directory", DIR_SYNTAX_OCTET_STRING, kSingle},
        {"App:Monitor Module", DIR_SYNTAX_OCTET_STRING, kSingle},
        {"App:Error Log Path", DIR_SYNTAX_OCTET_STRING, kSingle},
        {"App:Flags", DIR_SYNTAX_INTEGER, kSingle},
        {"App:Platform", DIR_SYNTAX_INTEGER, kSingle},
        {"App:Drive Mappings", DIR_SYNTAX_OCTET_STRING, kMulti},
        {"App:Printer Ports", DIR_SYNTAX_OCTET_STRING, kMulti},
        {"App:Contacts", DIR_SYNTAX_DIST_NAME, kMulti},
        {"App:Back Link", DIR_SYNTAX_DIST_NAME, kMulti},
        {"App:Fault Tolerance", DIR_SYNTAX_TYPED_NAME, kMulti},
        {"App:Load Balancing", DIR_SYNTAX_DIST_NAME, kMulti},
        {"App:Alt Back Link", DIR_SYNTAX_DIST_NAME, kMulti},
        {"App:Icon", DIR_SYNTAX_STREAM, kSingle},
        {"App:Startup Script", DIR_SYNTAX_STREAM, kSingle},
        {"App:Shutdown Script", DIR_SYNTAX_STREAM, kSingle},
        {"App:Administrator Notes", DIR_SYNTAX_STREAM, kSingle},
        {"App:Schedule", DIR_SYNTAX_STREAM, kSingle},
        {"App:Copy Files", DIR_SYNTAX_STREAM, kSingle},
        {"App:INI Settings", DIR_SYNTAX_STREAM, kSingle},
        {"App:Registry Settings", DIR_SYNTAX_STREAM, kSingle},
        {"App:Macros", DIR_SYNTAX_STREAM, kSingle},
        {"App:Text Files", DIR_SYNTAX_STREAM, kSingle},
        {"App:Inventory", DIR_SYNTAX_STREAM, kSingle},
        {"App:Program Groups", DIR_SYNTAX_STREAM, kSingle},
    };
    return attributes;
}

// Attributes of the objects applications are associated with.
const std::vector<AttributeDef>& AssociationAttributes() {
    static const std::vector<AttributeDef> attributes = {
        {"App:Associations", DIR_SYNTAX_TYPED_NAME, kMulti},
        {"App:Launcher Config", DIR_SYNTAX_STREAM, kSingle},
    };
    return attributes;
}

// Which classes carry which association attribute.
const std::vector<std::pair<std::string, std::string>>& AssociationClasses() {
    static const std::vector<std::pair<std::string, std::string>> pairs = {
        {"User", "App:Associations"},
        {"Group", "App:Associations"},
        {"Organizational Unit", "App:Associations"},
        {"Organization", "App:Associations"},
        {"User", "App:Launcher Config"},
        {"Organizational Unit", "App:Launcher Config"},
        {"Organization", "App:Launcher Config"},
    };
    return pairs;
}

const char kApplicationClass[] = "App:Application";

ClassDef ApplicationClass() {
    ClassDef cls{kApplicationClass, false, true, {"Top"}, {"Organization", "Organizational Unit"},
                 {}, {}, {}};
    for (const AttributeDef& attribute : ApplicationAttributes()) cls.optional.push_back(attribute.name);
    return cls;
}

bool Contains(const std::vector<std::string>& names, const std::string& name) {
    for (const std::string& entry : names)
        if (SameName(entry, name)) return true;
    return false;
}

bool HasApplicationSchema(Store& store) {
    AttributeDef attribute;
    for (const auto* list : {&ApplicationAttributes(), &AssociationAttributes()})
        for (const AttributeDef& wanted : *list)
            if (store.GetAttribute(wanted.name, &attribute) != DIR_SUCCESS ||
                attribute.syntax != wanted.syntax)
                return false;
    ClassDef cls;
    if (store.GetClass(kApplicationClass, &cls) != DIR_SUCCESS) return false;
    for (const auto& [className, attributeName] : AssociationClasses())
        if (store.GetClass(className, &cls) != DIR_SUCCESS || !Contains(cls.optional, attributeName))
            return false;
    return true;
}

}  // namespace

extern "C" DWORD KMAPPIsSchemaExtended(DIR_CONTEXT context) {
    std::shared_ptr<Store> store;
    if (StoreOfContext(context, &store) != DIR_SUCCESS) return 0;
    return HasApplicationSchema(*store) ? KMAPP_SCHEMA_APPLICATIONS : 0;
}

extern "C" LONG KMAPPExtendSchema(DIR_CONTEXT context, DWORD schemaBits) {
    if ((schemaBits & KMAPP_SCHEMA_APPLICATIONS) == 0) return 0;  // nothing asked for
    std::shared_ptr<Store> store;
    int status = StoreOfContext(context, &store);
    // Every step leaves what is there already as it is, so a tree extended in
    // part is completed by the next call.
    for (const auto* list : {&ApplicationAttributes(), &AssociationAttributes()})
        for (const AttributeDef& attribute : *list)
            if (status == DIR_SUCCESS) status = store->DefineAttribute(attribute);
    ClassDef existing;
    if (status == DIR_SUCCESS && store->GetClass(kApplicationClass, &existing) != DIR_SUCCESS)
        status = store->DefineClass(ApplicationClass());
    for (const AttributeDef& attribute : ApplicationAttributes())
        if (status == DIR_SUCCESS) status = store->AddOptionalAttribute(kApplicationClass, attribute.name);
    for (const auto& [className, attributeName] : AssociationClasses())
        if (status == DIR_SUCCESS) status = store->AddOptionalAttribute(className, attributeName);
    return status;
}

extern "C" BOOL kmappIsAttributeDefined(DIR_CONTEXT context, LPCSTR attribute) {
    uint32_t syntax = 0;
    return attribute && DirGetAttributeSyntax(context, attribute, &syntax) == DIR_SUCCESS;
}
