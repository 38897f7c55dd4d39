#include "CCActionTarget.h"

#include "CCActionManager.h"

CCActionTarget::~CCActionTarget()
{
    // Running actions hold this target's address; nothing is put back on a
    // target that is going away.
    if (gSharedManager)
        gSharedManager->forgetTarget(this);
}
