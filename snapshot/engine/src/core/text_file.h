// Text files of the engine: lists such as inifiles.txt and the logs, copies
// of ini and text files. Lines are written with CR LF; on reading a line ends
// at LF, with a CR before it dropped, so files of either kind read the same.
#pragma once

#include <string>
#include <vector>

#include "windows.h"

namespace snapshot {

// Every line of the file; false when it cannot be opened or read.
bool ReadTextLines(const std::string& path, std::vector<std::string>* lines);

// The value of the first "key=value" line whose key equals `key` in locale
// upper case; "" when there is none.
std::string LookupListValue(const std::vector<std::string>& lines, const std::string& key);

// The text before the first "=" (the whole line when it has none), and the
// text after it.
std::string KeyOfLine(const std::string& line);
std::string ValueOfLine(const std::string& line);

class TextFileWriter {
public:
    TextFileWriter() = default;
    ~TextFileWriter();
    TextFileWriter(const TextFileWriter&) = delete;
    TextFileWriter& operator=(const TextFileWriter&) = delete;

    // Creates the file anew, or opens it for appending (made when missing).
    bool Create(const std::string& path);
    bool OpenForAppend(const std::string& path);
    // Writes the line and CR LF; false when the write fails.
    bool WriteLine(const std::string& line);
    bool Close();
    bool IsOpen() const { return file_ != HFILE_ERROR; }

private:
    HFILE file_ = HFILE_ERROR;
};

// Appends one line to a file (made when missing).
bool AppendLine(const std::string& path, const std::string& line);

}  // namespace snapshot
