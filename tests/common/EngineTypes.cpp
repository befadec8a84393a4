#include "EngineTypes.h"

#include "amplifiers/AmplifierTypes.h"
#include "controls/WWidgetFactory.h"
#include "roomcombine/RoomCombineTypes.h"
#include "widgets/WidgetTypes.h"

void EngineTypes::registerAll()
{
    WWidgetFactory::registerWidgetTypes();
    WidgetTypes::registerTypes();
    RoomCombineTypes::registerTypes();
    AmplifierTypes::registerTypes();
}
