#ifndef SPACEHELPERS_H
#define SPACEHELPERS_H

#include "cpCompat.h"
#include "cpSpaceSerializer.h"

#include "PhysicsFileText.h"
#include "SpaceTestSupport.h"

#include <QByteArray>
#include <QFile>
#include <QList>
#include <QString>
#include <QStringList>

#include <set>
#include <vector>

inline std::vector<cpShape*> shapesOf(cpSpace* space)
{
    std::vector<cpShape*> out;
    cpSpaceEachShape(space, [](cpShape* s, void* d) { static_cast<std::vector<cpShape*>*>(d)->push_back(s); }, &out);
    return out;
}
inline std::vector<cpConstraint*> constraintsOf(cpSpace* space)
{
    std::vector<cpConstraint*> out;
    cpSpaceEachConstraint(space, [](cpConstraint* c, void* d) { static_cast<std::vector<cpConstraint*>*>(d)->push_back(c); }, &out);
    return out;
}

// Frees the space with every shape, body and constraint in it or attached to
// it (bodies kept outside the space are reached through their shapes and joints).
inline void freeSpaceAndContents(cpSpace* space)
{
    freeSpaceWithContents(space);
}

inline bool writeAll(const QString& path, const QByteArray& bytes)
{
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return false;
    return f.write(bytes) == bytes.size();
}

// Records every callback; ids are handed out as 1, 2, 3... in order of first use.
class RecordingDelegate : public cpSpaceSerializerDelegate
{
public:
    QStringList calls;
    std::set<long long> refuseBodies, refuseShapes, refuseConstraints;
    std::vector<const void*> known;

    long long idFor(const void* p)
    {
        for (size_t i = 0; i < known.size(); ++i)
            if (known[i] == p)
                return static_cast<long long>(i + 1);
        known.push_back(p);
        return static_cast<long long>(known.size());
    }
    long long makeId(cpShape* s) override { return idFor(s); }
    long long makeId(cpBody* b) override { return idFor(b); }
    long long makeId(cpConstraint* c) override { return idFor(c); }
    bool writing(cpShape*, long long id) override { calls << QStringLiteral("write shape %1").arg(id); return true; }
    bool writing(cpBody*, long long id) override { calls << QStringLiteral("write body %1").arg(id); return true; }
    bool writing(cpConstraint*, long long id) override { calls << QStringLiteral("write constraint %1").arg(id); return true; }
    bool reading(cpShape*, long long id) override
    {
        calls << QStringLiteral("shape %1").arg(id);
        return !refuseShapes.count(id);
    }
    bool reading(cpBody*, long long id) override
    {
        calls << QStringLiteral("body %1").arg(id);
        return !refuseBodies.count(id);
    }
    bool reading(cpConstraint*, long long id) override
    {
        calls << QStringLiteral("constraint %1").arg(id);
        return !refuseConstraints.count(id);
    }
};

#endif // SPACEHELPERS_H
