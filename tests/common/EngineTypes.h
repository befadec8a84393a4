#pragma once

// What the program's start-up does for the engine's factories, for tests
// that link the engine alone: the widget base's own widget classes, the
// interactive widgets, room combining and the amplifiers' protocols
// register their types. Once per process; further calls do nothing.
namespace EngineTypes {

void registerAll();

} // namespace EngineTypes
