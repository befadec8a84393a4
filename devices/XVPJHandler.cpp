#include "XVPJHandler.h"

#include "HChassis.h"
#include "HComposite.h"
#include "HNode.h"
#include "HParameterSetList.h"
#include "NodeCategory.h"
#include "ProxySettings.h"
#include "project/MProject.h"

#include <QApplication>
#include <QDebug>
#include <QMessageBox>
#include <QSettings>
#include <QThread>
#include <QXmlAttributes>

#include <utility>

namespace {

const QString kNodes = QStringLiteral("Nodes");
const QString kNode = QStringLiteral("Node");
const QString kGroups = QStringLiteral("Groups");
const QString kGroup = QStringLiteral("Group");
const QString kRCGroups = QStringLiteral("RCGroups");
const QString kRCGroup = QStringLiteral("RCGroup");
const QString kParameterSets = QStringLiteral("ParameterSets");
const QString kParameterSet = QStringLiteral("ParameterSet");
const QString kParameterSetLists = QStringLiteral("ParameterSetLists");
const QString kPanelList = QStringLiteral("PanelList");
const QString kAssignment = QStringLiteral("Assignment");
const QString kAssign = QStringLiteral("Assign");
const QString kProperty = QStringLiteral("Property");
const QString kProject = QStringLiteral("Project");
const QString kProjectInfo = QStringLiteral("ProjectInfo");
const QString kLogicView = QStringLiteral("LogicView");
const QString kId = QStringLiteral("id");

XVPJHandler::MessageBoxRunner &messageBoxRunner()
{
    static XVPJHandler::MessageBoxRunner s_runner;
    return s_runner;
}

// The design software's type names carry its namespaces.
QString bareClassName(QString className)
{
    className.remove(QStringLiteral("Halvern.Quillon.Nodes."));
    className.remove(QStringLiteral("Devices."));
    return className;
}

} // namespace

XVPJHandler::XVPJHandler() = default;

XVPJHandler::~XVPJHandler()
{
    qDebug() << "XVPJHandler is destroyed.";
}

void XVPJHandler::setMessageBoxRunner(MessageBoxRunner runner)
{
    messageBoxRunner() = std::move(runner);
}

bool XVPJHandler::startDocument()
{
    m_textFlag = false;
    m_scope = NoScope;
    m_depth = 0;
    m_pNode.reset();
    m_pAssignTarget = nullptr;
    m_pPanelList = nullptr;
    m_pActiveChassis = nullptr;
    m_pMainChassis = nullptr;
    m_inLogicView = false;
    return true;
}

bool XVPJHandler::endDocument()
{
    if (m_attach) {
        if (auto *pRoot = qobject_cast<HComposite *>(m_pRoot))
            pRoot->mergeDone();
    }
    return true;
}

bool XVPJHandler::characters(const QString &)
{
    return true;
}

bool XVPJHandler::processingInstruction(const QString &, const QString &)
{
    return true;
}

QString XVPJHandler::errorString() const
{
    if (m_versionRefused)
        return QStringLiteral("design file older than version 4.2 refused");
    return XmlHandler::errorString();
}

bool XVPJHandler::startElement(const QString &, const QString &localName, const QString &,
                               const QXmlAttributes &atts)
{
    pushElement(localName);
    const QString &name = localName;
    const QString parent = parentElement();

    if (name == QLatin1String("RunARXProxyOnPC"))
        readProxyMode(atts);
    else if (name == QLatin1String("ARXProxyIpOnPC"))
        readProxyAddress(atts);

    if (name == kLogicView) {
        if (m_pNode && m_pNode->title() == QLatin1String("Logic"))
            m_inLogicView = true;
        return true;
    }
    if (name == kProject || name == kProjectInfo)
        return processProject(name, atts);
    if (name == kNodes) {
        // A merge marks again what this file places.
        if (m_attach && m_pRoot)
            m_pRoot->clearAttached(true);
        return true;
    }
    if (name == kNode) {
        if (!m_inLogicView && parent == kNodes)
            processNode(atts);
        return true;
    }
    if (name == kGroup) {
        processGroup(parent, atts);
        return true;
    }
    if (name == kRCGroup) {
        processRCGroup(parent, atts);
        return true;
    }
    if (name == kParameterSet) {
        processParamSet(parent, atts);
        return true;
    }
    if (name == kPanelList) {
        processPanelList(parent, atts);
        return true;
    }
    if (m_inLogicView)
        return true;
    return processInScope(name, atts);
}

bool XVPJHandler::endElement(const QString &, const QString &localName, const QString &)
{
    popElement();
    const QString &name = localName;
    if (name == kLogicView) {
        m_inLogicView = false;
        return true;
    }
    // The nodes of a logic block's own view make nothing, and their end
    // tags must not end the logic block's element.
    if (m_inLogicView)
        return true;

    if (name != m_currentElement) {
        if (m_scope == PanelListScope && name == kPanelList)
            closeScope();
        return true;
    }

    if (m_pNode) {
        if (m_pNode->finishParsing()) {
            addActiveNode();
        } else {
            if (m_pNode->hasFlags(HNode::ChassisFlag))
                m_pActiveChassis = nullptr;
            m_pNode.reset();
        }
    }
    // Every "Assign" of an assigned panel list reaches the list; the list's
    // own end tag closes the scope.
    if (!(m_scope == PanelListScope && name == kAssign && m_pPanelList))
        closeScope();
    m_pNode.reset();
    m_pAssignTarget = nullptr;
    return true;
}

void XVPJHandler::readProxyMode(const QXmlAttributes &atts)
{
    const QString value = getAttribute(atts, QStringLiteral("value"));
    qDebug().noquote() << "RunARXProxyOnPC attribute value: " + value;
    if (value == QLatin1String("PCProxyOnly"))
        m_runArxProxyOnPcOnly = true;
    qDebug().noquote() << QStringLiteral("ARX Use PC Proxy: ")
                              + (m_runArxProxyOnPcOnly ? QStringLiteral("true")
                                                       : QStringLiteral("false"));
}

// The first design that carries a proxy address fixes the setting; later
// designs use the stored one, which the user may have changed.
void XVPJHandler::readProxyAddress(const QXmlAttributes &atts)
{
    const QString value = getAttribute(atts, QStringLiteral("value"));
    qDebug().noquote() << "Loading ARXProxyIpOnPC attribute value: " + value;
    m_arxProxyIpOnPc = value;
    QSettings settings(ProxySettings::organisation(), ProxySettings::application());
    if (settings.value(ProxySettings::isArxIpSetKey(), false).toBool()) {
        m_arxProxyIpOnPc = settings.value(ProxySettings::arxIpKey(), value).toString();
        qDebug().noquote() << "PC Ip Setting already set. Using that value instead of VDS: "
                                  + m_arxProxyIpOnPc;
    } else {
        qDebug().noquote() << "PC Ip not yet set. Using VDS's value: " + value;
        settings.setValue(ProxySettings::arxIpKey(), value);
        settings.setValue(ProxySettings::isArxIpSetKey(), true);
    }
}

bool XVPJHandler::processProject(const QString &name, const QXmlAttributes &atts)
{
    if (name == kProjectInfo) {
        openScope(ProjectInfoScope, kProjectInfo);
        m_textFlag = false;
        return true;
    }
    return checkVersion(atts);
}

bool XVPJHandler::checkVersion(const QXmlAttributes &atts)
{
    const QString versionText = getAttribute(atts, QStringLiteral("version"));
    bool ok = false;
    double version = versionText.toDouble(&ok);
    if (!ok)
        version = 0.0;
    if (version >= MinimumVersion)
        return true;
    m_versionRefused = true;
    showVersionWarning(versionText);
    return false;
}

void XVPJHandler::showVersionWarning(const QString &versionText)
{
    const QString text =
        QObject::tr("Varolin Remote builder cannot open this file. (version: ") + versionText
        + QStringLiteral(")\n\n")
        + QObject::tr("Files saved by Varolin Designer versions earlier than 4.2 cannot be "
                      "opened. Please get the latest Varolin Designer from the Halvern "
                      "Professional website.")
        + QStringLiteral("\n\n")
        + QObject::tr("Then open the design file in Varolin Designer and save it again, which "
                      "brings it to the format this program opens, and bring the devices' "
                      "firmware up to date (System->Update Firmware).");
    QMessageBox box(QMessageBox::Warning, QObject::tr("Open Varolin Designer File Error"), text,
                    QMessageBox::Ok);
    if (const MessageBoxRunner &runner = messageBoxRunner()) {
        runner(box);
        return;
    }
    // A box needs a widget application and its thread; elsewhere the parse
    // error line is all.
    if (!qobject_cast<QApplication *>(QCoreApplication::instance())
        || QThread::currentThread() != QCoreApplication::instance()->thread())
        return;
    box.exec();
}

void XVPJHandler::processNode(const QXmlAttributes &atts)
{
    openScope(NodeScope, kNode);
    const QString className = bareClassName(getAttribute(atts, QStringLiteral("className")));
    openNode(m_factory.createNode(className, getAttribute(atts, QStringLiteral("cardType"))));
    if (!m_pNode)
        return; // a kind without a node: its properties are dropped
    m_pNode->setTypenum(getAttribute(atts, QStringLiteral("typeNumber")));
    m_pNode->setPortIndex(getAttribute(atts, QStringLiteral("portIndex")).toInt(nullptr, 10));
    // Nodes of the design stay whether panels use them or not.
    m_pNode->clearFlags(HNode::PrunableFlag);
    bool ok = false;
    const int pin = getAttribute(atts, QStringLiteral("pinIndex")).toInt(&ok, 10);
    if (ok)
        m_pNode->setPinIndex(pin);
}

void XVPJHandler::processGroup(const QString &parent, const QXmlAttributes &atts)
{
    const QString id = getAttribute(atts, kId);
    if (parent == kGroups) {
        openScope(NodeScope, kGroup);
        openNode(m_factory.createNode(kGroup, QString()));
        if (m_pNode)
            m_pNode->setId(id);
    } else if (parent == kAssignment) {
        openScope(NodeScope, kAssignment);
        m_pAssignTarget = findById(NodeCategory::groups(), id);
        if (m_pAssignTarget)
            m_pAssignTarget->clearFlags(HNode::PrunableFlag);
    }
}

void XVPJHandler::processRCGroup(const QString &parent, const QXmlAttributes &atts)
{
    const QString id = getAttribute(atts, kId);
    if (parent == kRCGroups) {
        openScope(NodeScope, kRCGroup);
        openNode(m_factory.createNode(kRCGroup, QString()));
        if (m_pNode)
            m_pNode->setId(id);
        return;
    }
    if (parent != kAssignment)
        return;
    // Assign entries after this one are not a group's.
    m_pAssignTarget = nullptr;
    bool ok = false;
    if (id.toInt(&ok, 10) <= 0 || !ok || !m_pRoot)
        return;
    if (m_pMainChassis)
        m_pRoot->shareRoomCombineState(m_pMainChassis, id);
    if (HNode *pGroup = findById(NodeCategory::rcGroups(), id))
        pGroup->buildChildren(&m_factory, m_attach);
}

void XVPJHandler::processParamSet(const QString &parent, const QXmlAttributes &atts)
{
    const QString id = getAttribute(atts, kId);
    if (parent == kParameterSets) {
        openScope(NodeScope, kParameterSet);
        openNode(m_factory.createNode(kParameterSet, QString()));
        if (!m_pNode) {
            qDebug() << "XVPJHandler::processParamSet - Failed to create HParameterSet";
            return;
        }
        m_pNode->setId(id);
    } else if (parent == kAssignment) {
        openScope(NodeScope, kAssignment);
        // A parameter set takes no "Assign" entries; they must not reach a
        // group named earlier in the same section.
        m_pAssignTarget = nullptr;
        if (HNode *pSet = findById(NodeCategory::parameterSets(), id))
            pSet->clearFlags(HNode::PrunableFlag);
    }
}

void XVPJHandler::processPanelList(const QString &parent, const QXmlAttributes &atts)
{
    const QString id = getAttribute(atts, kId);
    if (parent == kParameterSetLists) {
        openScope(PanelListScope, kPanelList);
        openNode(m_factory.createNode(kPanelList, QString()));
        if (m_pNode)
            m_pNode->setId(id);
    } else if (parent == kAssignment) {
        openScope(PanelListScope, kAssign);
        m_pAssignTarget = nullptr;
        m_pPanelList = qobject_cast<HParameterSetList *>(
            findById(NodeCategory::parameterSetLists(), id));
        if (m_pPanelList)
            m_pPanelList->clearFlags(HNode::PrunableFlag);
    }
}

bool XVPJHandler::processInScope(const QString &name, const QXmlAttributes &atts)
{
    switch (m_scope) {
    case ProjectInfoScope:
        return m_pProject ? m_pProject->startElement(name, atts) : true;
    case PanelListScope:
        if (name == kProperty) {
            if (m_pNode)
                m_pNode->readAttributes(atts);
        } else if (name == kAssign && m_pPanelList) {
            m_pPanelList->addParameterSet(getAttribute(atts, QStringLiteral("targetID")));
        }
        return true;
    case NodeScope:
        if (name == kProperty) {
            if (m_pNode)
                m_pNode->readAttributes(atts);
        } else if (name == kAssign && m_pAssignTarget) {
            m_pAssignTarget->readAssignment(atts, m_attach);
        }
        return true;
    default:
        return true;
    }
}

void XVPJHandler::openScope(VpjScope scope, const QString &closingElement)
{
    m_scope = scope;
    m_textFlag = true;
    m_currentElement = closingElement;
}

void XVPJHandler::closeScope()
{
    m_textFlag = false;
    m_scope = NoScope;
    m_pPanelList = nullptr;
    m_currentElement.clear();
}

void XVPJHandler::openNode(HNode *pNode)
{
    if (m_pNode)
        qDebug().noquote() << "Dropping the unfinished node " + m_pNode->label();
    m_pNode.reset(pNode);
}

HNode *XVPJHandler::findById(const QString &category, const QString &id) const
{
    return m_pRoot ? m_pRoot->findByCategoryAndProperty(category, kId, id) : nullptr;
}

void XVPJHandler::addActiveNode()
{
    if (!m_pNode)
        return;
    // From here on the node is placed or deleted on every path.
    HNode *pNode = m_pNode.release();
    if (pNode->hasFlags(HNode::ChassisFlag)) {
        if (auto *pChassis = qobject_cast<HChassis *>(pNode)) {
            placeChassis(pChassis);
            return;
        }
    }
    placeNode(pNode);
}

void XVPJHandler::placeChassis(HChassis *pChassis)
{
    if (!m_pRoot) {
        qDebug() << "Error in XVPJHandler::addActiveNode() - m_pRoot is null.";
        m_pActiveChassis = nullptr;
        delete pChassis;
        return;
    }
    m_pActiveChassis = pChassis;
    m_chassisList.append(pChassis);
    const bool isMain = pChassis->hasFlags(HNode::MainChassisFlag | HNode::ChassisFlag);
    if (isMain) {
        qDebug().noquote() << "Main Chassis set: " + pChassis->title();
        handOutMainChassis(pChassis);
    }
    applyDesignFields(pChassis);

    if (m_attach) {
        auto *pExisting = qobject_cast<HChassis *>(pChassis->findCounterpart(m_pRoot));
        if (pExisting) {
            // The chassis of the open project stays and takes this one's
            // place; the nodes that follow go under it.
            m_pActiveChassis = pExisting;
            pExisting->updateFrom(pChassis);
            m_chassisList.replace(m_chassisList.indexOf(pChassis), pExisting);
            if (m_pMainChassis == pChassis)
                handOutMainChassis(pExisting);
            delete pChassis;
            applyDesignFields(pExisting);
            pExisting->setFlags(HNode::PlacedFlag);
            pExisting->roomCombineInfo()->clear();
            return;
        }
    }
    m_pRoot->addChild(pChassis);
    pChassis->setFlags(HNode::PlacedFlag);
}

void XVPJHandler::placeNode(HNode *pNode)
{
    applyDesignFields(pNode);
    // Device nodes go under the chassis read last; groups, sets, lists and
    // room groups under the main chassis, even when the chassis read last
    // was refused.
    HNode *pParent = pNode->selectParent(m_pMainChassis, m_pActiveChassis);
    if (!pParent) {
        if (!m_pActiveChassis)
            qDebug() << "ActiveChassis is null. Deleting parsed node.";
        else
            qDebug() << "Failed to select chassis to attach node.";
        delete pNode;
        return;
    }
    if (m_attach) {
        if (HNode *pExisting = pNode->findCounterpart(pParent)) {
            pParent->moveChildToEnd(pExisting);
            pExisting->updateFrom(pNode);
            pExisting->setFlags(HNode::PlacedFlag);
            delete pNode;
            pParent->childAttached(pExisting);
            return;
        }
    }
    pParent->addChild(pNode);
    pNode->setFlags(HNode::PlacedFlag);
    pParent->childAttached(pNode);
}

void XVPJHandler::applyDesignFields(HNode *pNode) const
{
    pNode->setMainChassis(m_pMainChassis);
    pNode->setArxProxyOnPc(m_runArxProxyOnPcOnly);
    pNode->setArxProxyIpOnPc(m_arxProxyIpOnPc);
}

void XVPJHandler::handOutMainChassis(HChassis *pMain)
{
    m_pMainChassis = pMain;
    for (HChassis *pChassis : std::as_const(m_chassisList))
        pChassis->setMainChassis(pMain);
}
