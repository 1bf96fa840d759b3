// Private profile reads against the plainest program that reads the whole
// file once and looks every key up in memory, at 50, 500 and 5,000 keys.
// Both read every key of the file once. Run by hand from a release tree
// (scripts/bench.sh).
#include <strings.h>

#include <fstream>
#include <map>
#include <sstream>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include "vpr/testing/bench.h"
#include "vpr/testing/temp_machine.h"
#include "vpr/win/profile.h"

namespace {

constexpr int kKeysPerSection = 50;

struct NoCase {
    bool operator()(const std::string& a, const std::string& b) const { return ::strcasecmp(a.c_str(), b.c_str()) < 0; }
};
using Section = std::map<std::string, std::string, NoCase>;

std::string Trim(const std::string& s) {
    size_t begin = s.find_first_not_of(" \t\r");
    if (begin == std::string::npos) return "";
    return s.substr(begin, s.find_last_not_of(" \t\r") - begin + 1);
}

// Reads and parses the whole file, first key of a name winning.
std::map<std::string, Section, NoCase> ReadOnce(const std::string& hostPath) {
    std::ifstream in(hostPath, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    std::map<std::string, Section, NoCase> sections;
    Section* current = nullptr;
    std::string line;
    while (std::getline(text, line)) {
        line = Trim(line);
        if (line.empty() || line[0] == ';') continue;
        if (line[0] == '[') {
            current = &sections[Trim(line.substr(1, line.find(']') - 1))];
        } else if (size_t eq = line.find('='); current && eq != std::string::npos) {
            current->emplace(Trim(line.substr(0, eq)), Trim(line.substr(eq + 1)));
        }
    }
    return sections;
}

void Measure(const vpr::testing::TempMachine& machine, int keys) {
    std::string file = "BENCH" + std::to_string(keys) + ".INI";
    std::string hostPath = machine.HostPath("C:\\WINDOWS\\" + file);
    std::vector<std::pair<std::string, std::string>> names;
    {
        std::string text;
        for (int i = 0; i < keys; ++i) {
            if (i % kKeysPerSection == 0) text += "[Section " + std::to_string(i / kKeysPerSection) + "]\r\n";
            std::string key = "Key" + std::to_string(i);
            text += key + "=C:\\PROGRAM FILES\\SAMPLE\\VALUE" + std::to_string(i) + ".DAT\r\n";
            names.emplace_back("Section " + std::to_string(i / kKeysPerSection), key);
        }
        std::ofstream(hostPath, std::ios::binary) << text;
    }
    // A program's ini files were written long before it reads them; a file
    // changed within the last tick of the file system's clock is read again
    // on every call (see profile.cpp), which is not what this measures.
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    vpr::testing::BenchWork ours{static_cast<size_t>(keys), [&] {
        char buffer[256];
        for (const auto& [section, key] : names) {
            if (GetPrivateProfileStringA(section.c_str(), key.c_str(), "", buffer, sizeof buffer, file.c_str()) == 0) {
                throw std::runtime_error("missing " + key);
            }
        }
    }};
    vpr::testing::BenchWork baseline{static_cast<size_t>(keys), [&] {
        char buffer[256];
        auto sections = ReadOnce(hostPath);
        for (const auto& [section, key] : names) {
            auto s = sections.find(section);
            auto k = s->second.find(key);
            if (k == s->second.end()) throw std::runtime_error("missing " + key);
            buffer[k->second.copy(buffer, sizeof buffer - 1)] = '\0';
        }
    }};
    vpr::testing::CompareBench("ini read every key (" + std::to_string(keys) + " keys)", ours, baseline, ">= 0.3");
}

}  // namespace

int main() {
    vpr::testing::TempMachine machine(vpr::machine::Platform::NT4, "bench");
    vpr::testing::PrintBenchHeader("ini_bench: GetPrivateProfileStringA against reading the file once");
    for (int keys : {50, 500, 5000}) Measure(machine, keys);
    return 0;
}
