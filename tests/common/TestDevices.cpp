#include "TestDevices.h"

#include "NodeProperties.h"
#include "devices/HBlock.h"
#include "devices/HChassis.h"
#include "devices/HRoot.h"

namespace TestDevices {

HChassis *addLocalChassis(HRoot *pRoot, const QString &label, quint16 port)
{
    auto *pChassis = new HChassis;
    NodeProperties::read(*pChassis, {QStringLiteral("title=DXR-880"), QStringLiteral("label=") + label,
                                     QStringLiteral("ipAddress=127.0.0.1"),
                                     QStringLiteral("serialPortNumber=%1").arg(port)});
    pRoot->addChild(pChassis);
    auto *pBlock = new HBlock;
    NodeProperties::read(*pBlock, {QStringLiteral("title=Gain"), QStringLiteral("label=Gain 1")});
    pChassis->addChild(pBlock);
    pBlock->setUsed(true);
    return pChassis;
}

QByteArray oneFaderPanel()
{
    return R"(<?xml version="1.0"?>
<VDS>
	<Scenes>
		<Scene name="Only">
			<Panels>
				<Panel name="Page">
					<Controls>
						<Control name="Gain" type="Slider">
							<block>Music Gain</block>
							<nodeID>2</nodeID>
							<nodeCategory>Blocks</nodeCategory>
							<connection>Chassis|||1</connection>
							<Property name="attributes">
								<range>
									<transform>strV</transform>
								</range>
							</Property>
						</Control>
					</Controls>
				</Panel>
			</Panels>
		</Scene>
	</Scenes>
</VDS>
)";
}

} // namespace TestDevices
