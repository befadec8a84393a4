#include "PanelFragment.h"

#include "controls/CComposite.h"
#include "controls/CControl.h"
#include "controls/WDelegate.h"
#include "controls/WWidget.h"
#include "controls/WWidgetFactory.h"
#include "controls/XControlHandler.h"
#include "devices/HBlock.h"
#include "devices/HChassis.h"
#include "devices/HRoot.h"
#include "project/XmlFileReader.h"

#include <QBuffer>
#include <QCoreApplication>
#include <QEvent>
#include <QQmlEngine>

namespace {

QByteArray panelFile(const QString &controlsXml)
{
    return QStringLiteral(R"(<?xml version="1.0" encoding="UTF-8"?>
<VDS>
	<Scenes>
		<Scene name="Fragment">
			<Panels>
				<Panel name="Only">
					<Controls>
%1
					</Controls>
				</Panel>
			</Panels>
		</Scene>
	</Scenes>
</VDS>
)")
        .arg(controlsXml)
        .toUtf8();
}

CControl *findControl(CControl *pParent, const QString &name)
{
    for (int i = 0; i < pParent->childCount(); ++i) {
        CControl *pChild = pParent->childAt(i);
        if (pChild->childCount() == 0 && pChild->name() == name)
            return pChild;
        if (CControl *pFound = findControl(pChild, name))
            return pFound;
    }
    return nullptr;
}

} // namespace

PanelFragment::PanelFragment(const QString &controlsXml)
    : m_pEngine(std::make_unique<QQmlEngine>())
    , m_pDeviceRoot(std::make_unique<HRoot>())
    , m_pScenes(std::make_unique<CComposite>())
{
    WWidgetFactory::registerWidgetTypes();

    auto *pChassis = new HChassis;
    pChassis->setNodeID(30216);
    pChassis->setLabel(QStringLiteral("Main DXR"));
    m_pDeviceRoot->addChild(pChassis);
    m_pBlock = new HBlock;
    m_pBlock->setNodeID(9);
    m_pBlock->setIndex(2);
    m_pBlock->setLabel(QStringLiteral("Sel"));
    pChassis->addChild(m_pBlock);

    auto *pFactory = new WWidgetFactory;
    pFactory->setParentItem(&m_parentItem);
    pFactory->setContext(m_pEngine->rootContext());
    WDelegate::instance()->setFactory(pFactory);

    m_pScenes->setKind(QStringLiteral("Scenes"));
    XControlHandler handler;
    handler.setRootComposite(m_pScenes.get());
    handler.setDeviceRoot(m_pDeviceRoot.get());
    QByteArray text = panelFile(controlsXml);
    QBuffer buffer(&text);
    m_parsed = XmlFileReader::parse(buffer, handler);
}

PanelFragment::~PanelFragment()
{
    // The controls hand their widget items to deferred deletion; they must
    // go while the engine that made them still exists.
    m_pScenes.reset();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    WDelegate::instance()->setFactory(nullptr);
    m_pDeviceRoot.reset();
    m_pEngine.reset();
}

CControl *PanelFragment::control(const QString &name) const
{
    return findControl(m_pScenes.get(), name);
}

WWidget *PanelFragment::widget(const QString &controlName) const
{
    CControl *pControl = control(controlName);
    if (!pControl || pControl->widgets().isEmpty())
        return nullptr;
    return pControl->widgets().constFirst();
}
