#include "atomicsave.h"

#include <cctype>
#include <cerrno>
#include <cstdlib>
#include <cstring>

#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
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
    // Holds the temporary file's lock until the save ends, so that another
    // save of the same file never takes it for a stale one.
    int lock = -1;
};

// Temporary files are named target + kTemporaryInfix + six characters of
// mkstemp; previous versions target + kPreviousInfix + a number. Both names
// are the editor's own, which is what lets a later save remove them.
const char kTemporaryInfix[] = ".save-";
const char kPreviousInfix[] = ".previous";
const std::size_t kTemporaryTail = 6;

bool allOf(const std::string& text, std::size_t from, int (*test)(int))
{
    if (from >= text.size())
        return false;
    for (std::size_t i = from; i < text.size(); ++i)
        if (!test(static_cast<unsigned char>(text[i])))
            return false;
    return true;
}

// A temporary file no save holds any more: a save killed before its rename
// left it. The lock test runs on the open file, so a live save's file is kept.
bool staleTemporary(const std::string& path)
{
    const int fd = open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0)
        return false;
    struct stat st;
    const bool stale = fstat(fd, &st) == 0 && S_ISREG(st.st_mode) && flock(fd, LOCK_EX | LOCK_NB) == 0;
    close(fd);
    return stale;
}

// Removes what killed saves of target left beside it: temporary files and
// previous versions kept for a rollback that never came.
void removeLeftovers(const std::string& target)
{
    const std::size_t slash = target.rfind('/');
    const std::string folder = slash == std::string::npos ? std::string(".") : target.substr(0, slash + 1);
    const std::string base = slash == std::string::npos ? target : target.substr(slash + 1);
    const std::string temporary = base + kTemporaryInfix;
    const std::string previous = base + kPreviousInfix;
    DIR* dir = opendir(folder.c_str());
    if (!dir)
        return;
    while (dirent* entry = readdir(dir)) {
        const std::string name = entry->d_name;
        const std::string path = (slash == std::string::npos ? std::string() : folder) + name;
        if (name.size() == temporary.size() + kTemporaryTail && name.compare(0, temporary.size(), temporary) == 0
            && allOf(name, temporary.size(), [](int c) { return std::isalnum(c); })) {
            if (staleTemporary(path))
                unlink(path.c_str());
        } else if (name.compare(0, previous.size(), previous) == 0 && allOf(name, previous.size(), [](int c) { return std::isdigit(c); })) {
            struct stat st;
            if (lstat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode))
                unlink(path.c_str());
        }
    }
    closedir(dir);
}

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
    std::string tmp = file.target + kTemporaryInfix + std::string(kTemporaryTail, 'X');
    const int fd = mkstemp(&tmp[0]);
    if (fd < 0) {
        *error = reason("Cannot create a file beside", file.target);
        return false;
    }
    file.temporary = tmp;
    file.lock = dup(fd);
    if (file.lock >= 0)
        flock(file.lock, LOCK_EX);
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
        std::string name = file.target + kPreviousInfix + std::to_string(attempt);
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
        removeLeftovers(files[i].target);
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
        if (file.lock >= 0)
            close(file.lock);
    }
    m_entries.clear();
    return ok;
}
