#include "VModeManager.h"

namespace {
VModeManager *s_pInstance = nullptr;
}

VModeManager *VModeManager::instance()
{
    if (!s_pInstance)
        s_pInstance = new VModeManager;
    return s_pInstance;
}

void VModeManager::destroyInstance()
{
    delete s_pInstance;
    s_pInstance = nullptr;
}

VModeManager::~VModeManager()
{
    if (s_pInstance == this)
        s_pInstance = nullptr;
}
