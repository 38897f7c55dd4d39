#include "cpSpaceSerializer.h"

cpSpaceSerializer::cpSpaceSerializer() : delegate(nullptr), space(nullptr) { }
cpSpaceSerializer::cpSpaceSerializer(cpSpaceSerializerDelegate* d) : delegate(d), space(nullptr) { }
cpSpaceSerializer::~cpSpaceSerializer() = default;

bool cpSpaceSerializer::save(cpSpace*, const char*) { return false; }
TiXmlElement* cpSpaceSerializer::createShapeElm(cpShape*) { return nullptr; }
TiXmlElement* cpSpaceSerializer::createConstraintElm(cpConstraint*) { return nullptr; }
