#pragma once

// Has every family of the engine register its types with the factories
// below it: the widget base's own widget classes, the interactive widgets,
// room combining (nodes and widgets) and the amplifiers' protocols. Done
// once at start-up, before the view loads and the first project is read;
// further calls do nothing.
class MEngineTypes
{
public:
    static void registerAll();
};
