#pragma once
// The single-byte code page of robot files and text files (Windows-1252). Inside the libraries
// text is UTF-8; it is converted only at the file boundary. Characters the code page cannot
// represent become '?', and so do malformed UTF-8 sequences.

#include <string>
#include <string_view>

namespace torvane {

std::string Utf8ToCodepage(std::string_view utf8);
std::string CodepageToUtf8(std::string_view bytes);

}  // namespace torvane
