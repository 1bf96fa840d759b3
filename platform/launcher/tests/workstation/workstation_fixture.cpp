#include "workstation_fixture.h"

#include <sys/stat.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "vpr/directory/names.h"
#include "vpr/directory/value_codec.h"
#include "vpr/win/path.h"

namespace fs = std::filesystem;

namespace vpr::launcher {

namespace {

std::string HostOf(const std::string& windowsPath) {
    std::string host;
    EXPECT_TRUE(vpr::win::ResolveHostPath(windowsPath.c_str(), &host)) << windowsPath;
    return host;
}

}  // namespace

WorkstationTest::WorkstationTest(vpr::machine::Platform platform) : platform_(platform) {}

void WorkstationTest::SetUp() {
    machine = std::make_unique<vpr::testing::TempMachine>(platform_, "jdoe");
    // A file server share.
    {
        auto facts = *machine->machine();
        std::string error;
        fs::create_directories(machine->root() + "/server/apps");
        ASSERT_TRUE(vpr::machine::SetMachineFact(&facts, "unc.\\\\SERVER\\APPS", machine->root() + "/server/apps",
                                                 &error))
            << error;
        ASSERT_TRUE(facts.Save(&error)) << error;
        ASSERT_TRUE(vpr::machine::ReloadMachine(&error)) << error;
    }
    tree.Org("acme").Unit("sales.acme").User("admin.acme", "Admin");
    tree.User("jdoe.sales.acme", "John Doe").User("mary.acme", "Mary").Group("staff.acme", {"jdoe.sales.acme"});
    tree.LogIn("admin.acme");
    admin = KMAPPAllocContextHandle();
    ASSERT_GT(admin, 0);
    ASSERT_EQ(KMAPPExtendSchema(admin, KMAPP_SCHEMA_APPLICATIONS), 0);
    LogIn("jdoe.sales.acme");
}

void WorkstationTest::TearDown() {
    if (context > 0) KMAPPFreeContextHandle(context);
    if (admin > 0) KMAPPFreeContextHandle(admin);
}

void WorkstationTest::LogIn(const std::string& user) {
    if (context > 0) KMAPPFreeContextHandle(context);
    tree.LogIn(user);
    context = KMAPPAllocContextHandle();
    ASSERT_GT(context, 0);
}

void WorkstationTest::App(const std::string& name, const std::string& path) {
    std::string leaf = name.substr(0, name.find('.'));
    std::string program = path.empty() ? "\\\\SERVER\\APPS\\" + leaf + ".SH" : path;
    if (path.empty()) WriteFile(program, "#!/bin/sh\nexit 0\n", true);
    ASSERT_EQ(KMAPPCreateObject(admin, ("." + name).c_str(), "App:Application", program.c_str(), leaf.c_str(), 0), 0);
    // Whoever receives it may read it.
    tree.Grant(name, "[Public]", "[Entry Rights]", DIR_ENTRY_BROWSE);
    tree.Grant(name, "[Public]", "[All Attributes Rights]", DIR_ATTR_COMPARE | DIR_ATTR_READ);
}

void WorkstationTest::Associate(const std::string& holder, const std::string& application, DWORD flags) {
    std::vector<std::string> values;
    values.push_back(application + ";" + std::to_string(flags) + ";0");
    // Keep what the holder had.
    directory::NameParts name;
    std::vector<directory::AttributeValues> read;
    if (directory::ParseName(holder, {}, &name) == DIR_SUCCESS &&
        tree.store().ReadValues(name, {"App:Associations"}, &read) == DIR_SUCCESS)
        for (const auto& attribute : read)
            for (const auto& value : attribute.values) values.push_back(directory::ValueToText(value));
    SetAssociations(holder, values);
}

void WorkstationTest::SetAssociations(const std::string& holder, const std::vector<std::string>& values) {
    tree.Set(holder, "App:Associations", values);
    // The holder reads its own associations, as the pages grant it (and with
    // it everybody in a group or container).
    tree.Grant(holder, holder, "App:Associations", DIR_ATTR_COMPARE | DIR_ATTR_READ);
}

void WorkstationTest::SetTemplate(const std::string& application, const std::string& attribute,
                                  const std::function<void(HFILE)>& write) {
    std::string path = machine->root() + "/template.qmt";
    HFILE file = HFILE_ERROR;
    ASSERT_EQ(kmapptCreate(path.c_str(), &file), 0);
    write(file);
    kmapptClose(file);
    std::ifstream in(path, std::ios::binary);
    std::stringstream bytes;
    bytes << in.rdbuf();
    tree.Stream(application, attribute, bytes.str());
}

void WorkstationTest::WriteFile(const std::string& windowsPath, const std::string& content, bool program) {
    auto facts = machine->machine();
    std::string host;
    // The folder may not exist yet: make it from the name as written.
    std::string folder = windowsPath.substr(0, windowsPath.rfind('\\'));
    std::string hostFolder;
    if (!vpr::win::ResolveHostPath(folder.c_str(), &hostFolder) || !fs::exists(hostFolder)) {
        ASSERT_TRUE(vpr::win::ResolveHostPath(folder.c_str(), &hostFolder)) << folder;
        fs::create_directories(hostFolder);
    }
    host = HostOf(windowsPath);
    std::ofstream(host, std::ios::binary) << content;
    if (program) ::chmod(host.c_str(), 0755);
}

std::string WorkstationTest::ReadFile(const std::string& windowsPath) const {
    std::ifstream in(HostOf(windowsPath), std::ios::binary);
    std::stringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

bool WorkstationTest::Exists(const std::string& windowsPath) const {
    return GetFileAttributesA(windowsPath.c_str()) != INVALID_FILE_ATTRIBUTES;
}

WorkstationTest::Result WorkstationTest::Process(const std::string& application, const std::string& text,
                                                 KmappStatusCallback callback) {
    char buffer[1255] = {};
    text.copy(buffer, 1254);
    Result result;
    result.result = KMAPPProcessApplication(context, application.c_str(), &result.detail, buffer, 1254, callback);
    result.buffer = buffer;
    return result;
}

std::vector<std::string> WorkstationTest::Starts() const {
    std::vector<std::string> starts;
    for (const auto& entry : machine->machine()->ReadJournal())
        if (entry.kind == "start") starts.push_back(entry.text);
    return starts;
}

std::vector<std::string> WorkstationTest::LogLines() const {
    std::vector<std::string> lines;
    std::ifstream in(machine->HostPath("C:\\WINDOWS\\KMAPP32.LOG"));
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
}

}  // namespace vpr::launcher
