#pragma once
// The executable's own path, and the files that lie beside it.
#include <cstdint>
#include <string>
#include <string_view>

namespace sys {

// Writes the full path of the running executable into buffer as NUL-terminated text and
// returns its length. A path that does not fit is cut to size - 1 characters and size is
// returned; 0 means the path could not be read (buffer then holds empty text when size > 0).
// The module handle is accepted for the callers' sake; only the program itself (nullptr) is
// known.
std::uint32_t GetModuleFileNameA(const void* module, char* buffer, std::uint32_t size);

// The full path of the running executable ("" when it cannot be read); the path it was
// started from also after its file has been replaced.
std::string ExecutablePath();

// The directory rule for files beside the program: a path longer than 2 characters is cut
// right after its last '/', and becomes empty when it holds none; a shorter path stays as it
// is. The result is a prefix to which a file name is appended.
std::string DirectoryPrefix(std::string_view path);

// DirectoryPrefix of the executable's full path, followed by file_name. The whole path is
// used, however long: a path cut to a fixed buffer would name some other directory.
std::string PathBesideExecutable(std::string_view file_name);

}  // namespace sys
