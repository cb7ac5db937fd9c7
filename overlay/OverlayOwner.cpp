#include "OverlayOwner.h"

#include <QtGlobal>

namespace {
OverlayOwner *theOwner = nullptr;
}

OverlayOwner &OverlayOwner::get()
{
    Q_ASSERT(theOwner);
    return *theOwner;
}

OverlayOwner *OverlayOwner::ifAny()
{
    return theOwner;
}

OverlayOwner::OverlayOwner()
{
    Q_ASSERT(!theOwner);
    theOwner = this;
}

OverlayOwner::~OverlayOwner()
{
    if (theOwner == this)
        theOwner = nullptr;
}
