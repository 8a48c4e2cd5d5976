// The program's command-line words.
//
// The shell has split the command line already, so the words are argv's:
// ParamStr(0) is the program's name, ParamStr(1) the first argument. Empty
// words are skipped (an empty quoted word is no argument), and a word may be
// of any length.
#pragma once

#include <string>

namespace rtl {

// Called once by the program entry, before anything asks for a word.
void SetArguments(int argc, const char* const* argv);

// Argument `index`; an empty text beyond the last one (or before the entry set them).
std::string ParamStr(int index);
// The number of arguments after the program's name.
int ParamCount();

}  // namespace rtl
