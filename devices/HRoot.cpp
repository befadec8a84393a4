#include "HRoot.h"

HRoot::HRoot(QObject *parent)
    : QObject(parent)
{
}

HRoot::~HRoot() = default;
