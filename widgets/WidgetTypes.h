#pragma once

// Makes the interactive control widgets known: their panel-file type names
// to the widget factory and their classes to QML. Called once at start-up,
// before the first panel is read; further calls do nothing.
class WidgetTypes
{
public:
    static void registerTypes();
};
