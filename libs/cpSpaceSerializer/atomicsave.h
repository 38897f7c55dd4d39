#ifndef ATOMICSAVE_H
#define ATOMICSAVE_H

#include <cstdio>
#include <functional>
#include <string>
#include <vector>

// Saves one or more files as one step: every file is written in full to a
// temporary file beside its target first, and only when all of them are
// written are they renamed over their targets. A failure on the way leaves
// every target as it was, so a level and its physics file never disagree and
// a failed write never destroys what the user saved. A level and its physics
// file are saved through here; a file written alone (the colour sample export)
// needs no partner and is written through QSaveFile.
class AtomicSave
{
public:
    // Writes the whole content to the open file; false on failure.
    typedef std::function<bool(std::FILE*)> Writer;

    // The file at path (a symbolic link is followed to its target) will be
    // written by writer.
    void add(const std::string& path, Writer writer);
    void add(const std::string& path, const std::string& content);

    // Writes and renames every added file; true only when all of them were
    // replaced. On false every target is as before and errorString() says why.
    // Temporary files and previous versions that killed saves of the same
    // targets left beside them are removed first.
    bool commit();
    // Empty after a successful commit.
    const std::string& errorString() const { return m_error; }

private:
    struct Entry
    {
        std::string path;
        Writer writer;
    };
    std::vector<Entry> m_entries;
    std::string m_error;
};

#endif // ATOMICSAVE_H
