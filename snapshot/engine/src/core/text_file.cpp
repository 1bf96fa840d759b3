#include "text_file.h"

#include "text.h"

namespace snapshot {

bool ReadTextLines(const std::string& path, std::vector<std::string>* lines) {
    lines->clear();
    HFILE file = _lopen(path.c_str(), OF_READ | OF_SHARE_DENY_NONE);
    if (file == HFILE_ERROR) return false;
    std::string content;
    char chunk[64 * 1024];
    bool ok = true;
    for (;;) {
        UINT got = _lread(file, chunk, sizeof chunk);
        if (got == static_cast<UINT>(HFILE_ERROR)) {
            ok = false;
            break;
        }
        if (got == 0) break;
        content.append(chunk, got);
    }
    _lclose(file);
    size_t start = 0;
    while (start < content.size()) {
        size_t end = content.find('\n', start);
        size_t next = end == std::string::npos ? content.size() : end + 1;
        if (end == std::string::npos) end = content.size();
        if (end > start && content[end - 1] == '\r') --end;
        lines->push_back(content.substr(start, end - start));
        start = next;
    }
    return ok;
}

std::string LookupListValue(const std::vector<std::string>& lines, const std::string& key) {
    std::string upperKey = UpperCase(key);
    for (const auto& line : lines)
        if (UpperCase(KeyOfLine(line)) == upperKey) return ValueOfLine(line);
    return "";
}

std::string KeyOfLine(const std::string& line) {
    size_t equals = line.find('=');
    return equals == std::string::npos ? line : line.substr(0, equals);
}

std::string ValueOfLine(const std::string& line) {
    size_t equals = line.find('=');
    return equals == std::string::npos ? std::string() : line.substr(equals + 1);
}

TextFileWriter::~TextFileWriter() { Close(); }

bool TextFileWriter::Create(const std::string& path) {
    Close();
    file_ = _lcreat(path.c_str(), 0);
    return file_ != HFILE_ERROR;
}

bool TextFileWriter::OpenForAppend(const std::string& path) {
    Close();
    file_ = _lopen(path.c_str(), OF_WRITE | OF_SHARE_DENY_NONE);
    if (file_ == HFILE_ERROR) return Create(path);
    if (_llseek(file_, 0, FILE_END) < 0) {
        Close();
        return false;
    }
    return true;
}

bool TextFileWriter::WriteLine(const std::string& line) {
    if (file_ == HFILE_ERROR) return false;
    std::string bytes = line + "\r\n";
    return _lwrite(file_, bytes.data(), static_cast<UINT>(bytes.size())) == bytes.size();
}

bool TextFileWriter::Close() {
    if (file_ == HFILE_ERROR) return true;
    HFILE file = file_;
    file_ = HFILE_ERROR;
    return _lclose(file) != HFILE_ERROR;
}

bool AppendLine(const std::string& path, const std::string& line) {
    TextFileWriter writer;
    return writer.OpenForAppend(path) && writer.WriteLine(line) && writer.Close();
}

}  // namespace snapshot
