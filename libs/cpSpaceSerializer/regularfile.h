#ifndef REGULARFILE_H
#define REGULARFILE_H

#include <cstddef>
#include <string>

// The most any file is read into memory: far above any level, physics file,
// sprite sheet or image the editor writes or uses, low enough that a link to
// /dev/zero or a huge file is refused instead of filling memory.
constexpr std::size_t kMaxReadBytes = std::size_t(256) << 20;

// The outcome of reading one file; error is a short reason a user can read.
struct FileRead
{
    enum Status { Read, Missing, Refused };
    Status status = Missing;
    std::string error;

    bool ok() const { return status == Read; }
};

// The one road by which the editor reads a file: only a regular file (a
// symbolic link is followed to one) of at most limit bytes is read, whole,
// into content. A FIFO, device, socket or folder is refused without blocking;
// a missing file (or a missing name) is Missing, any other failure Refused.
// content is left empty unless the file was read.
FileRead readRegularFile(const std::string& path, std::string& content,
                         std::size_t limit = kMaxReadBytes);

#endif // REGULARFILE_H
