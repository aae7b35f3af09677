#pragma once
// Replacing a file's whole contents so that a failure at any step leaves the old contents as
// they were: the bytes go to a temporary file beside it ("<name>.new"), which takes the old
// file's mode and owner, is synced and renamed over the old one; the directory is synced
// after, so that the rename outlives a power cut.
//
// Where the directory cannot be written, or the old file's owner cannot be given to a new
// file, the old file is written over in place instead: every byte from its start, without
// truncating it first (a longer old file is cut to the new length only once all bytes are
// in), then synced. A failure there can leave the file partly written, never emptied. A
// path that names no regular file (a device) is written in place as well. A symbolic link
// is followed: the file it names is replaced, the link stays.
#include <sys/types.h>

#include <cstdint>
#include <span>
#include <string>

namespace sys {

// The mode of a file created where there was none; the umask applies, as to any new file.
inline constexpr mode_t kOwnerOnlyFileMode = 0600;  // a file that holds a secret
inline constexpr mode_t kSharedFileMode = 0666;     // a file others may need to read

// Writes bytes as the whole new contents of the file at path. Returns 0, or the error number
// of the step that failed. An existing file that its user may not write is refused (EACCES),
// as it would be by writing it directly.
int ReplaceFileContents(const std::string& path, std::span<const std::uint8_t> bytes,
                        mode_t new_file_mode);

// The steps of a replacement, for tests that fail one on purpose.
enum class ReplaceStep { kCreateTemporary, kGiveOwner, kWrite, kSync, kRename };
// Called before each step; a non-zero result fails that step with that error number, as if
// the system call had. Null (the default): no step is failed.
using ReplaceFault = int (*)(ReplaceStep step);
void SetReplaceFault(ReplaceFault fault);

}  // namespace sys
