#pragma once

// Makes room combining known to the factories below it: the group and room
// node classes to the node factory ("RCGroup", "RCRoom", "RCGroupCombo"),
// the room widgets' panel-file type names to the widget factory and their
// classes to QML. Called once at start-up, before the first design is
// read; further calls do nothing.
class RoomCombineTypes
{
public:
    static void registerTypes();
};
