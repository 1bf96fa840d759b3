// launchsample APPLICATION USER: the administrator's part of the launcher's
// walk-through. On the machine named by VPR_MACHINE, with an administrator
// logged in to its first tree, it extends the tree's schema when needed,
// creates the application object APPLICATION (a complete name such as
// Editor.acme) that distributes a sample from the share \\SERVER\APPS\<leaf>
// (its program <leaf>.SH and README.TXT; registry, ini and macro settings)
// and associates it with USER for the launcher window.
#include <cstdio>
#include <cstring>
#include <fstream>
#include <functional>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "kmapp32.h"
#include "template/template_library.h"
#include "vpr/directory/names.h"
#include "vpr/directory/store.h"
#include "vpr/directory/tree_admin.h"
#include "vpr/directory/value_codec.h"
#include "vpr/machine/machine.h"

using namespace vpr::directory;

namespace {

int Fail(const std::string& message) {
    std::fprintf(stderr, "launchsample: %s\n", message.c_str());
    return 1;
}

// The bytes of a template the template library writes.
std::string Template(const std::string& scratch, const std::function<void(HFILE)>& write) {
    HFILE file = HFILE_ERROR;
    if (kmapptCreate(scratch.c_str(), &file) != 0) return "";
    write(file);
    kmapptClose(file);
    std::ifstream in(scratch, std::ios::binary);
    std::stringstream bytes;
    bytes << in.rdbuf();
    std::remove(scratch.c_str());
    return bytes.str();
}

int Check(int status, const std::string& what) {
    if (status != DIR_SUCCESS) Fail(what + ": " + StatusText(status));
    return status;
}

}  // namespace

int main(int argc, char** argv) {
    const char* usage = "usage: launchsample APPLICATION USER\n";
    if (argc == 2 && (std::strcmp(argv[1], "--help") == 0 || std::strcmp(argv[1], "-h") == 0)) {
        std::fputs(usage, stdout);
        return 0;
    }
    if (argc != 3) {
        std::fputs(usage, stderr);
        return 2;
    }
    std::string application = argv[1], user = argv[2];
    if (!application.empty() && application.front() == '.') application.erase(0, 1);
    std::string leaf = application.substr(0, application.find('.'));
    auto machine = vpr::machine::CurrentMachine();
    if (!machine || machine->trees.empty()) return Fail("no machine attached to a tree (VPR_MACHINE)");

    DIR_CONTEXT context = KMAPPAllocContextHandle();
    if (context < 0) return Fail("nobody is logged in to " + machine->trees.front().name);
    std::string share = "\\\\SERVER\\APPS\\" + leaf;
    std::string program = "%TARGET_PATH%\\" + leaf + ".SH";
    int status = Check(KMAPPExtendSchema(context, KMAPP_SCHEMA_APPLICATIONS), "extend the schema");
    if (status == DIR_SUCCESS)
        status = Check(KMAPPCreateObject(context, ("." + application).c_str(), "App:Application", program.c_str(),
                                         leaf.c_str(), 0),
                       "create " + application);
    KMAPPFreeContextHandle(context);
    if (status != DIR_SUCCESS) return 1;

    std::shared_ptr<Store> store;
    if (Check(Store::Open(machine->trees.front().storeFile, &store), "open the tree") != DIR_SUCCESS) return 1;
    std::string scratch = machine->root + "/launchsample.qmt";
    std::string target = "C:\\APPS\\" + leaf;
    struct Stream {
        const char* attribute;
        std::function<void(HFILE)> write;
    } streams[] = {
        {"App:Macros",
         [&](HFILE f) {
             kmapptWriteMacroEntry(f, 1, "SOURCE_PATH", share.c_str());
             kmapptWriteMacroEntry(f, 1, "TARGET_PATH", target.c_str());
         }},
        {"App:Copy Files",
         [&](HFILE f) {
             kmapptWriteFileEntry(f, 1, 0x8, ("%SOURCE_PATH%\\" + leaf + ".SH").c_str(),
                                  ("%TARGET_PATH%\\" + leaf + ".SH").c_str());
             kmapptWriteFileEntry(f, 1, 0x8, "%SOURCE_PATH%\\README.TXT", "%TARGET_PATH%\\README.TXT");
         }},
        {"App:Registry Settings",
         [&](HFILE f) {
             std::string key = "HKEY_CURRENT_USER\\Software\\Sample\\" + leaf;
             kmapptWriteValueEntry(f, 1, 0x1, key.c_str(), "Home", 2, 14, reinterpret_cast<const BYTE*>("%TARGET_PATH%"));
         }},
        {"App:INI Settings",
         [&](HFILE f) { kmapptWriteIdentEntry(f, 1, 0x1, "WIN.INI", "Sample", leaf.c_str(), "%TARGET_PATH%"); }},
        {"App:Program Groups",
         [&](HFILE f) {
             // A shortcut in the user's Programs menu, in a folder of its own.
             kmapptWriteUserIconEntry(f, 3, ("Sample\\" + leaf + ".lnk").c_str(), "", ("%TARGET_PATH%\\" + leaf + ".SH").c_str(),
                                      "", "", "%TARGET_PATH%", 0, 0, 0, 0);
         }},
    };
    for (const Stream& stream : streams) {
        std::string bytes = Template(scratch, stream.write);
        if (Check(SetStream(*store, application, stream.attribute, std::vector<uint8_t>(bytes.begin(), bytes.end())),
                  std::string("write ") + stream.attribute) != DIR_SUCCESS)
            return 1;
    }
    // Whoever it is granted to may read it.
    if (Check(GrantRights(*store, application, "[Public]", "[Entry Rights]", DIR_ENTRY_BROWSE), "grant") ||
        Check(GrantRights(*store, application, "[Public]", "[All Attributes Rights]", DIR_ATTR_COMPARE | DIR_ATTR_READ),
              "grant"))
        return 1;

    // The association joins the user's others.
    std::vector<std::string> associations = {application + ";1;0"};
    NameParts name;
    std::vector<AttributeValues> read;
    if (ParseFullName(user, &name) == DIR_SUCCESS && store->ReadValues(name, {"App:Associations"}, &read) == DIR_SUCCESS)
        for (const auto& values : read)
            for (const auto& value : values.values) associations.push_back(ValueToText(value));
    if (Check(SetValuesFromText(*store, user, "App:Associations", associations), "associate " + user) != DIR_SUCCESS)
        return 1;
    std::printf("%s: program %s\\%s.SH from %s, granted to %s\n", application.c_str(), target.c_str(), leaf.c_str(),
                share.c_str(), user.c_str());
    return 0;
}
