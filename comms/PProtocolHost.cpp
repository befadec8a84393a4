#include "comms/PProtocolHost.h"

namespace {
PProtocolHost::ModelResolver s_resolver = nullptr;
}

PProtocolHost::~PProtocolHost() = default;

void PProtocolHost::setModelResolver(ModelResolver resolver)
{
    s_resolver = resolver;
}

PProtocolHost *PProtocolHost::ofModel(MModel *pModel)
{
    return pModel && s_resolver ? s_resolver(pModel) : nullptr;
}
