#include "regularfile.h"

#include <cerrno>
#include <cstring>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

FileRead refused(const std::string& why)
{
    FileRead result;
    result.status = FileRead::Refused;
    result.error = why;
    return result;
}

std::string megabytes(std::size_t bytes)
{
    return std::to_string(bytes >> 20) + " MB";
}

// Closes the descriptor on every way out.
struct Descriptor
{
    int fd;
    ~Descriptor()
    {
        if (fd >= 0)
            close(fd);
    }
};

} // namespace

FileRead readRegularFile(const std::string& path, std::string& content, std::size_t limit)
{
    content.clear();
    if (path.empty()) {
        FileRead missing;
        missing.error = "no file name given";
        return missing;
    }
    // Non-blocking, so that opening a FIFO returns at once instead of waiting
    // for a writer; the type is checked on the open file, so nothing can be
    // swapped in between a check and the open.
    Descriptor file { open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY) };
    if (file.fd < 0) {
        if (errno == ENOENT || errno == ENOTDIR) {
            FileRead missing;
            missing.error = "the file does not exist";
            return missing;
        }
        if (errno == ELOOP)
            return refused("its symbolic links form a loop");
        return refused(std::strerror(errno));
    }
    struct stat st;
    if (fstat(file.fd, &st) != 0)
        return refused(std::strerror(errno));
    if (S_ISDIR(st.st_mode))
        return refused("it is a folder, not a file");
    if (!S_ISREG(st.st_mode))
        return refused("it is not a regular file (a device, pipe or socket)");
    if (st.st_size < 0 || std::size_t(st.st_size) > limit)
        return refused("it is larger than " + megabytes(limit) + ", the most the editor reads");

    // A regular file never blocks; the flag is dropped anyway so that a short
    // read means the end of the file.
    fcntl(file.fd, F_SETFL, fcntl(file.fd, F_GETFL) & ~O_NONBLOCK);
    content.resize(std::size_t(st.st_size));
    std::size_t filled = 0;
    for (;;) {
        // A file that grows while it is read is still held to the limit.
        if (filled == content.size()) {
            if (content.size() > limit) {
                content.clear();
                return refused("it is larger than " + megabytes(limit) + ", the most the editor reads");
            }
            content.resize(content.size() + 65536);
        }
        const ssize_t n = read(file.fd, &content[filled], content.size() - filled);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            const std::string why = std::strerror(errno);
            content.clear();
            return refused(why);
        }
        if (n == 0)
            break;
        filled += std::size_t(n);
    }
    content.resize(filled);
    FileRead result;
    result.status = FileRead::Read;
    return result;
}
