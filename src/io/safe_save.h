#pragma once
#include <cstddef>
#include <functional>
#include <string>

namespace tolvane {

// One write to the open file: like POSIX write(), returns the bytes written
// or -1 with errno set. Tests pass one that fails part way, or one that keeps
// the bytes in memory; an empty one is POSIX write() itself.
using Write_Function = std::function<long(int fd, const void* data, std::size_t size)>;

// Takes the next bytes of the file; false when they could not be written.
using Byte_Sink = std::function<bool(const void* data, std::size_t size)>;

// Writes the file whose bytes produce() hands to its sink, in order; produce
// returns false when it gave up. The bytes go to a temporary file beside the
// target, which is synced and renamed over it, so a failed save or a power
// loss leaves the old file as it was. A hard-linked target is written in
// place once that copy is complete, keeping its links; a symbolic link keeps
// pointing at the new content; a target that is not a regular file (a
// device) is written directly. When write_fn keeps every byte to itself (the
// file it is handed stays empty), the target is left alone and no file is
// made beside it: until a byte lands in that file, it is one in memory.
// Throws Toolkit_Error "Cannot create file <path>" or "Stream write error".
void Save_File(const std::string& path, const std::function<bool(const Byte_Sink&)>& produce);
void Save_File(const std::string& path, const std::function<bool(const Byte_Sink&)>& produce,
               const Write_Function& write_fn);

}  // namespace tolvane
