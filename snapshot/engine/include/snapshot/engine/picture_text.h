// A picture file (files.txt, registry.txt, groups.bin) as text, one line a
// record, fields separated by tabs:
//
//   header     <Windows 32-bit Picture>
//   directory  PATH
//   file       NAME  SIZE  YYYY-MM-DD HH:MM:SS   (the last-write time)
//   key        KEY
//   value      NAME  TYPE  LENGTH  DATA-IN-HEX
//   item       GROUP  TEXT1  TEXT2  TEXT3  TEXT4  INTEGER1  TEXT5  INTEGER2
//   error      damaged record at offset N         (reading stops there)
#pragma once

#include <string>
#include <vector>

namespace snapshot {

// The lines of the picture; false when it cannot be opened or is damaged
// (the lines then end with the error line).
bool PictureText(const std::string& path, std::vector<std::string>* lines);

}  // namespace snapshot
