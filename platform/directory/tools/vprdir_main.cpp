// vprdir: makes, edits, dumps and checks directory tree stores.
#include <algorithm>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iostream>
#include <iterator>
#include <sstream>
#include <string>
#include <vector>

#include "vpr/directory/client.h"
#include "vpr/directory/tree_admin.h"
#include "vpr/directory/value_codec.h"
#include "vpr/machine/atomic_file.h"

using namespace vpr::directory;

namespace {

constexpr const char* kUsage =
    "usage: vprdir COMMAND STORE ARGUMENTS\n"
    "  create STORE TREE [ADMINISTRATOR]          a new tree with the base schema; the\n"
    "                                             administrator (a user's complete name)\n"
    "                                             holds every right in it\n"
    "  add STORE NAME CLASS [ATTRIBUTE=VALUE...]  an object (container, user, group, ...)\n"
    "  set STORE NAME ATTRIBUTE [VALUE...]        replaces the attribute's values\n"
    "  member STORE GROUP MEMBER                  adds a member to a group\n"
    "  grant STORE OBJECT TRUSTEE ATTRIBUTE RIGHTS\n"
    "                                             rights of a trustee (\"[Public]\" too) on an\n"
    "                                             attribute, \"[Entry Rights]\" or\n"
    "                                             \"[All Attributes Rights]\"; 0 takes them away\n"
    "  stream STORE NAME ATTRIBUTE FILE           a stream value from a file (- for input)\n"
    "  read-stream STORE NAME ATTRIBUTE FILE      a stream value's bytes into a file (- for\n"
    "                                             output)\n"
    "  get STORE NAME ATTRIBUTE [FILE]            the attribute's values, one a line, as set\n"
    "                                             takes them (no FILE or -: output)\n"
    "  remove STORE NAME                          an object without subordinates\n"
    "  attribute STORE NAME SYNTAX single|multi   defines an attribute\n"
    "  class STORE NAME [container] [abstract] [super=C] [in=C] [mandatory=A] [optional=A]...\n"
    "                                             defines a class\n"
    "  optional STORE CLASS ATTRIBUTE             lets a class hold one more attribute\n"
    "  rights STORE TRUSTEE OBJECT ATTRIBUTE      effective rights\n"
    "  dump STORE [schema]                        the tree as text\n"
    "  check STORE                                consistency check\n"
    "Values: text as it stands, numbers in decimal or 0x hex, octets as text or\n"
    "hex:0a1b, typed names as name;level;interval, ACLs as attribute;trustee;rights.\n";

int Usage() {
    std::fputs(kUsage, stderr);
    return 2;
}

int Report(int status, const std::string& what) {
    if (status == DIR_SUCCESS) return 0;
    std::fprintf(stderr, "vprdir: %s: %s (%d)\n", what.c_str(), StatusText(status).c_str(), status);
    return 1;
}

bool ParseRights(const std::string& text, uint32_t* rights) {
    Value value;
    if (ValueFromText(DIR_SYNTAX_INTEGER, text, &value) != DIR_SUCCESS) return false;
    *rights = GetU32(value.bytes.data());
    return true;
}

// "name=value" arguments, grouped by name in the order met.
bool SplitAssignments(const std::vector<std::string>& args, TextValues* out) {
    for (const std::string& arg : args) {
        size_t equals = arg.find('=');
        if (equals == std::string::npos || equals == 0) return false;
        std::string name = arg.substr(0, equals);
        auto it = std::find_if(out->begin(), out->end(),
                               [&](const auto& entry) { return entry.first == name; });
        if (it == out->end()) it = out->insert(out->end(), {name, {}});
        it->second.push_back(arg.substr(equals + 1));
    }
    return true;
}

// Output of read-stream and get: "-" is the standard output; a file is
// replaced whole only once everything is known to be there.
int WriteOutput(const std::string& file, const std::string& bytes) {
    if (file == "-") {
        std::fwrite(bytes.data(), 1, bytes.size(), stdout);
        return 0;  // a failed write shows when the standard output is closed
    }
    std::string error;
    if (vpr::machine::WriteFileAtomically(file, bytes, &error)) return 0;
    std::fprintf(stderr, "vprdir: %s\n", error.c_str());
    return 1;
}

int ReadStreamCommand(Store& store, const std::string& object, const std::string& attribute,
                      const std::string& file) {
    NameParts name;
    std::vector<uint8_t> content;
    int status = ParseFullName(object, &name);
    if (status == DIR_SUCCESS) status = store.ReadStream(name, attribute, &content);
    if (status != DIR_SUCCESS) return Report(status, "read " + attribute + " of " + object);
    return WriteOutput(file, std::string(content.begin(), content.end()));
}

// Each value as the line that set takes back. A stream has no such form, nor
// has a text holding a line break: both are refused rather than written cut.
int GetCommand(Store& store, const std::string& object, const std::string& attribute,
               const std::string& file) {
    NameParts name;
    AttributeDef def;
    std::vector<AttributeValues> values;
    int status = ParseFullName(object, &name);
    if (status == DIR_SUCCESS) status = store.ReadValues(name, {attribute}, &values);
    if (status == DIR_SUCCESS) status = store.GetAttribute(attribute, &def);
    if (status != DIR_SUCCESS) return Report(status, "get " + attribute + " of " + object);
    if (def.syntax == DIR_SYNTAX_STREAM) {
        std::fprintf(stderr, "vprdir: %s of %s is a stream: read it with read-stream\n",
                     attribute.c_str(), object.c_str());
        return 1;
    }
    std::string lines;
    for (const AttributeValues& found : values) {
        for (const Value& value : found.values) {
            std::string text = ValueToText(value);
            if (text.find_first_of("\r\n") != std::string::npos) {
                std::fprintf(stderr, "vprdir: a value of %s of %s holds a line break\n",
                             attribute.c_str(), object.c_str());
                return 1;
            }
            lines += text + "\n";
        }
    }
    return WriteOutput(file, lines);
}

int DefineClass(Store& store, const std::string& name, const std::vector<std::string>& args) {
    ClassDef cls{name, false, true, {}, {}, {}, {}, {}};
    std::vector<std::string> assignments;
    for (const std::string& arg : args) {
        if (arg == "container")
            cls.container = true;
        else if (arg == "abstract")
            cls.effective = false;
        else
            assignments.push_back(arg);
    }
    TextValues lists;
    if (!SplitAssignments(assignments, &lists)) return Usage();
    for (auto& [key, values] : lists) {
        std::vector<std::string>* list = key == "super"       ? &cls.superClasses
                                         : key == "in"        ? &cls.containment
                                         : key == "mandatory" ? &cls.mandatory
                                         : key == "optional"  ? &cls.optional
                                                              : nullptr;
        if (!list) return Usage();
        *list = values;
    }
    if (cls.superClasses.empty()) cls.superClasses = {"Top"};
    return Report(store.DefineClass(cls), "define class " + name);
}

int Run(const std::vector<std::string>& args) {
    if (args.size() < 2) return Usage();
    const std::string& command = args[0];
    const std::string& path = args[1];
    std::vector<std::string> rest(args.begin() + 2, args.end());

    std::shared_ptr<Store> store;
    if (command == "create") {
        if (rest.empty() || rest.size() > 2) return Usage();
        return Report(Store::Create(path, rest[0], &store, rest.size() == 2 ? rest[1] : ""), "create " + path);
    }
    int status = Store::Open(path, &store);
    if (status != DIR_SUCCESS) return Report(status, "open " + path);

    if (command == "add" && rest.size() >= 2) {
        TextValues values;
        if (!SplitAssignments({rest.begin() + 2, rest.end()}, &values)) return Usage();
        return Report(AddObjectFromText(*store, rest[0], rest[1], values), "add " + rest[0]);
    }
    if (command == "set" && rest.size() >= 2)
        return Report(SetValuesFromText(*store, rest[0], rest[1], {rest.begin() + 2, rest.end()}),
                      "set " + rest[1] + " of " + rest[0]);
    if (command == "member" && rest.size() == 2)
        return Report(AddGroupMember(*store, rest[0], rest[1]), "add " + rest[1] + " to " + rest[0]);
    if (command == "grant" && rest.size() == 4) {
        uint32_t rights;
        if (!ParseRights(rest[3], &rights)) return Usage();
        return Report(GrantRights(*store, rest[0], rest[1], rest[2], rights),
                      "grant " + rest[1] + " rights on " + rest[0]);
    }
    if (command == "stream" && rest.size() == 3) {
        std::ifstream file;
        if (rest[2] != "-") {
            file.open(rest[2], std::ios::binary);
            if (!file) {
                std::fprintf(stderr, "vprdir: cannot read %s\n", rest[2].c_str());
                return 1;
            }
        }
        std::istream& in = rest[2] == "-" ? std::cin : file;
        std::vector<uint8_t> content((std::istreambuf_iterator<char>(in)),
                                     std::istreambuf_iterator<char>());
        return Report(SetStream(*store, rest[0], rest[1], content),
                      "write " + rest[1] + " of " + rest[0]);
    }
    if (command == "read-stream" && rest.size() == 3)
        return ReadStreamCommand(*store, rest[0], rest[1], rest[2]);
    if (command == "get" && (rest.size() == 2 || rest.size() == 3))
        return GetCommand(*store, rest[0], rest[1], rest.size() == 3 ? rest[2] : "-");
    if (command == "remove" && rest.size() == 1) {
        NameParts name;
        status = ParseFullName(rest[0], &name);
        if (status == DIR_SUCCESS) status = store->RemoveObject(name);
        return Report(status, "remove " + rest[0]);
    }
    if (command == "attribute" && rest.size() == 3 && (rest[2] == "single" || rest[2] == "multi")) {
        uint32_t syntax;
        if (!ParseRights(rest[1], &syntax)) return Usage();
        return Report(store->DefineAttribute({rest[0], syntax, rest[2] == "single"}),
                      "define attribute " + rest[0]);
    }
    if (command == "class" && !rest.empty())
        return DefineClass(*store, rest[0], {rest.begin() + 1, rest.end()});
    if (command == "optional" && rest.size() == 2)
        return Report(store->AddOptionalAttribute(rest[0], rest[1]),
                      "add " + rest[1] + " to " + rest[0]);
    if (command == "rights" && rest.size() == 3) {
        NameParts trustee, object;
        bool isPublic = rest[0] == DIR_PUBLIC_NAME;
        status = isPublic ? DIR_SUCCESS : ParseFullName(rest[0], &trustee);
        if (status == DIR_SUCCESS) status = ParseFullName(rest[1], &object);
        uint32_t rights = 0;
        if (status == DIR_SUCCESS)
            status = store->EffectiveRights(trustee, isPublic, object, rest[2], &rights);
        if (status == DIR_SUCCESS) std::printf("0x%02X\n", rights);
        return Report(status, "rights of " + rest[0]);
    }
    if (command == "dump" && (rest.empty() || (rest.size() == 1 && rest[0] == "schema"))) {
        std::string text;
        status = DumpTree(*store, !rest.empty(), &text);
        if (status == DIR_SUCCESS) std::fputs(text.c_str(), stdout);
        return Report(status, "dump " + path);
    }
    if (command == "check" && rest.empty()) {
        std::vector<std::string> problems;
        status = store->Check(&problems);
        if (status != DIR_SUCCESS) return Report(status, "check " + path);
        for (const std::string& problem : problems) std::printf("%s\n", problem.c_str());
        if (problems.empty()) std::printf("no problems\n");
        return problems.empty() ? 0 : 1;
    }
    return Usage();
}

}  // namespace

int main(int argc, char** argv) {
    std::vector<std::string> args(argv + 1, argv + argc);
    bool usage = args.size() == 1 && (args[0] == "--help" || args[0] == "-h");
    if (usage) std::fputs(kUsage, stdout);
    int status = usage ? 0 : Run(args);
    // What was printed must have reached the standard output whole.
    std::string error;
    if (!vpr::machine::CloseStandardOutput(&error)) {
        std::fprintf(stderr, "vprdir: %s\n", error.c_str());
        return 1;
    }
    return status;
}
