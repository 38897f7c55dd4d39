#include "atomicsave.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// A file being replaced: its target, the written temporary file, and a second
// name of the previous file kept until every rename has worked.
struct Pending
{
    std::string target;
    std::string temporary;
    std::string backup;
    bool existed = false;
    bool replaced = false;
};

// Writes through a symbolic link to its target, as an in-place write would.
std::string resolvedTarget(const std::string& path)
{
    std::string target = path;
    if (char* resolved = realpath(path.c_str(), nullptr)) {
        target = resolved;
        std::free(resolved);
    }
    return target;
}

std::string reason(const std::string& what, const std::string& path)
{
    return what + " " + path + ": " + std::strerror(errno);
}

// The new file keeps the previous file's permissions, or gets the usual ones.
mode_t modeFor(const std::string& target, bool* existed, bool* folder)
{
    struct stat st;
    *existed = stat(target.c_str(), &st) == 0;
    *folder = *existed && S_ISDIR(st.st_mode);
    if (*existed)
        return st.st_mode & 07777;
    const mode_t mask = umask(0);
    umask(mask);
    return 0666 & ~mask;
}

bool writeTemporary(Pending& file, const AtomicSave::Writer& writer, std::string* error)
{
    bool folder = false;
    const mode_t mode = modeFor(file.target, &file.existed, &folder);
    if (folder) {
        *error = "A folder is in the place of " + file.target;
        return false;
    }
    // A file the user made read-only stays as it is, as an in-place write would.
    if (file.existed && access(file.target.c_str(), W_OK) != 0) {
        *error = reason("Cannot write", file.target);
        return false;
    }
    std::string tmp = file.target + ".XXXXXX";
    const int fd = mkstemp(&tmp[0]);
    if (fd < 0) {
        *error = reason("Cannot create a file beside", file.target);
        return false;
    }
    file.temporary = tmp;
    fchmod(fd, mode);
    std::FILE* out = fdopen(fd, "w");
    if (!out) {
        *error = reason("Cannot write", file.target);
        close(fd);
        return false;
    }
    bool ok = writer(out);
    ok = ok && std::fflush(out) == 0 && !std::ferror(out);
    ok = ok && fsync(fileno(out)) == 0;
    ok = (std::fclose(out) == 0) && ok;
    if (!ok)
        *error = reason("Cannot write", file.target);
    return ok;
}

// A second name for the previous file, so that it can come back if a later
// rename of the group fails.
bool keepPrevious(Pending& file, std::string* error)
{
    if (!file.existed)
        return true;
    for (int attempt = 0; attempt < 100; ++attempt) {
        std::string name = file.target + ".previous" + std::to_string(attempt);
        if (link(file.target.c_str(), name.c_str()) == 0) {
            file.backup = name;
            return true;
        }
        if (errno != EEXIST)
            break;
    }
    *error = reason("Cannot keep the previous version of", file.target);
    return false;
}

} // namespace

void AtomicSave::add(const std::string& path, Writer writer)
{
    m_entries.push_back({path, std::move(writer)});
}

void AtomicSave::add(const std::string& path, const std::string& content)
{
    add(path, [content](std::FILE* out) {
        return std::fwrite(content.data(), 1, content.size(), out) == content.size();
    });
}

bool AtomicSave::commit()
{
    m_error.clear();
    std::vector<Pending> files(m_entries.size());
    bool ok = true;
    for (size_t i = 0; ok && i < m_entries.size(); ++i) {
        if (m_entries[i].path.empty()) {
            m_error = "No file name given";
            ok = false;
            break;
        }
        files[i].target = resolvedTarget(m_entries[i].path);
        ok = writeTemporary(files[i], m_entries[i].writer, &m_error);
    }
    // With several files, each previous one keeps a second name until all are replaced.
    for (size_t i = 0; ok && files.size() > 1 && i < files.size(); ++i)
        ok = keepPrevious(files[i], &m_error);
    for (size_t i = 0; ok && i < files.size(); ++i) {
        files[i].replaced = std::rename(files[i].temporary.c_str(), files[i].target.c_str()) == 0;
        if (!files[i].replaced) {
            m_error = reason("Cannot replace", files[i].target);
            ok = false;
        }
    }
    for (Pending& file : files) {
        if (!ok && file.replaced) {
            // Put back what was there before the group started.
            if (file.existed)
                std::rename(file.backup.c_str(), file.target.c_str());
            else
                unlink(file.target.c_str());
        }
        if (!file.replaced && !file.temporary.empty())
            unlink(file.temporary.c_str());
        if (!file.backup.empty())
            unlink(file.backup.c_str());
    }
    m_entries.clear();
    return ok;
}
