#ifndef JOINTKINDS_H
#define JOINTKINDS_H

#include <chipmunk/chipmunk.h>

// The joint kinds a physics file holds, each described once: its element type,
// its Chipmunk kind test, the values the file keeps (with getters, setters and
// the bound of physicsrules.h each is read with) and how a joint is built from
// the values read. The writer, the reader and the editor's joint items all work
// from these descriptors; the table is static and owned by no one.

// The values the reader took from one constraint element, by parameter index.
struct JointValues
{
    static const int capacity = 6;
    cpVect points[capacity] = {};
    double numbers[capacity] = {};
    // The parameter's element was in the file.
    bool present[capacity] = {};
    // The joint was saved outside the space.
    bool outside = false;
};

struct JointParameter
{
    // How a value is bounded where it enters: a Magnitude or Length outside its
    // rule reads as 0, a Ratio outside its rule refuses the joint, a Point reads
    // each coordinate as a magnitude, Written is only written (solver state).
    enum class Bound { Point, Magnitude, Length, Ratio, Written };

    const char* name;
    Bound bound;
    // Exactly one pair is set, for a point or for a number.
    cpVect (*point)(const cpConstraint*);
    void (*setPoint)(cpConstraint*, cpVect);
    cpFloat (*number)(const cpConstraint*);
    void (*setNumber)(cpConstraint*, cpFloat);

    bool isPoint() const { return point != nullptr; }
    // True when the value passes this parameter's bound.
    bool accepts(double value) const;
    bool accepts(cpVect value) const;
    // The value as the reader keeps it (0 for one outside a Magnitude or Length bound).
    double kept(double value) const;
};

struct JointKind
{
    const char* type;
    cpBool (*is)(const cpConstraint*);
    const JointParameter* parameters;
    int count;
    // Builds the joint between two usable bodies from values that passed accepts().
    cpConstraint* (*make)(cpBody* a, cpBody* b, const JointValues& values);
    // Why the reader skips a joint whose values fail accepts().
    const char* refusal;
    // A test over several values (a groove's length); null when there is none.
    bool (*acceptsValues)(const JointValues& values);

    // The parameter of that name; null when the kind has none.
    const JointParameter* parameter(const char* name) const;
    // True when every Ratio parameter and the kind's own test pass.
    bool accepts(const JointValues& values) const;
};

// Every kind, in the order the writer tests them.
const JointKind* jointKinds(int* count);
// The kind of the constraint, or of the element type; null when none matches.
const JointKind* jointKindOf(const cpConstraint* constraint);
const JointKind* jointKindNamed(const char* type);

#endif // JOINTKINDS_H
