#include "IComposite.h"

IComposite::IComposite(QObject *parent)
    : QObject(parent)
{
}

IComposite::~IComposite() = default;
