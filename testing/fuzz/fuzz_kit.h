// What the fuzz targets share. A target defines LLVMFuzzerTestOneInput and
// calls these from it; everything here is made once per process.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace vpr::fuzz {

// Makes a new machine with this code page in a fresh temporary folder and
// makes it the process's current machine, once; the folder is removed when
// the process exits. Aborts when the machine cannot be made.
void UseFuzzMachine(unsigned codePage);

// A folder of this process for the files a target writes: the machine's
// folder when there is one, else a fresh temporary folder; removed when the
// process exits.
const std::string& ScratchFolder();

// Writes the input to one file of the scratch folder and returns its host
// path, for readers that take a file name.
std::string WriteInputFile(const uint8_t* data, size_t size);

// Names what the target found wrong on stderr and aborts, which the fuzzer
// and the corpus replay report as a failure.
[[noreturn]] void Fail(const char* what);

}  // namespace vpr::fuzz
