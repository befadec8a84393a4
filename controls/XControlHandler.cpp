#include "XControlHandler.h"

#include "controls/CCanvas.h"
#include "controls/CComposite.h"
#include "controls/CPanelHost.h"
#include "devices/HBlock.h"
#include "devices/HChassis.h"
#include "project/MProject.h"

#include <QDebug>
#include <QStringList>

namespace {
const QString kChassis = QStringLiteral("Chassis");
const QString kControl = QStringLiteral("Control");
const QString kProperty = QStringLiteral("Property");
const QString kWidget = QStringLiteral("widget");
const QString kAttributes = QStringLiteral("attributes");
const QString kConnection = QStringLiteral("Connection");
const QString kCanvas = QStringLiteral("Canvas");
const QString kProject = QStringLiteral("Project");
const QString kVersion = QStringLiteral("Version");
const QString kBlank = QStringLiteral("&sp;");
} // namespace

XControlHandler::XControlHandler() = default;

XControlHandler::~XControlHandler() = default;

bool XControlHandler::startDocument()
{
    XmlHandler::startDocument();
    m_pScene = m_pRootComposite;
    m_pPanel = m_pRootComposite;
    m_pActiveControl = nullptr;
    m_pChassis = nullptr;
    return true;
}

bool XControlHandler::endDocument()
{
    return true;
}

bool XControlHandler::processingInstruction(const QString &, const QString &)
{
    return true;
}

void XControlHandler::openScope(const QString &name)
{
    m_textFlag = true;
    m_currentElement = name;
}

bool XControlHandler::startElement(const QString &, const QString &localName, const QString &,
                                   const QXmlAttributes &atts)
{
    pushElement(localName);
    const QString parent = parentElement();

    if (localName == kControl) {
        const QString name = getAttribute(atts, QStringLiteral("name"));
        if ((m_controlFilter.isEmpty() || m_controlFilter == name)
            && parent == QLatin1String("Controls") && m_pPanel) {
            openScope(localName);
            auto *pControl = new CControl;
            m_pActiveControl = pControl;
            pControl->setModel(m_pRootComposite ? m_pRootComposite->model() : nullptr);
            pControl->setType(kControl);
            pControl->setName(name);
            pControl->setKind(getAttribute(atts, QStringLiteral("type")));
            if (m_pDefaultNode)
                pControl->setNode(m_pDefaultNode);
            m_pPanel->addChild(pControl);
        }
    } else if (localName == kVersion) {
        openScope(localName);
    } else if (localName == QLatin1String("Scene")) {
        if (parent == QLatin1String("Scenes") && m_pRootComposite) {
            m_pRootComposite->setKind(QStringLiteral("Scenes"));
            auto *pScene = new CComposite;
            pScene->setType(QStringLiteral("Scene"));
            pScene->setName(getAttribute(atts, QStringLiteral("name")));
            pScene->setModel(m_pRootComposite->model());
            m_pRootComposite->addChild(pScene);
            m_pScene = pScene;
            m_pPanel = pScene;
        }
    } else if (localName == QLatin1String("Panel")) {
        if (parent == QLatin1String("Panels") && m_pScene) {
            auto *pPanel = new CComposite;
            pPanel->setType(QStringLiteral("Panel"));
            pPanel->setName(getAttribute(atts, QStringLiteral("name")));
            pPanel->setPanelKind(getAttribute(atts, QStringLiteral("type")));
            pPanel->setModel(m_pRootComposite ? m_pRootComposite->model() : nullptr);
            m_pScene->addChild(pPanel);
            m_pPanel = pPanel;
        }
    } else if (localName == kConnection) {
        if (parent == QLatin1String("Connections")) {
            openScope(localName);
            if (m_pDeviceRoot) {
                const QString key = getAttribute(atts, QStringLiteral("name"));
                m_pChassis = findConnectionChassis(key);
                if (!m_pChassis) {
                    m_pChassis = new HChassis;
                    m_pDeviceRoot->addChild(m_pChassis);
                    m_pChassis->setLabel(key);
                }
            }
        }
    } else if (localName == kProject) {
        openScope(localName);
    } else if (localName == kCanvas) {
        openScope(localName);
        if (m_pCanvas)
            m_pCanvas->reset();
    } else if (localName == kProperty) {
        if (m_textFlag)
            m_propertyName = getAttribute(atts, QStringLiteral("name"));
    }
    return true;
}

bool XControlHandler::endElement(const QString &, const QString &localName, const QString &)
{
    popElement();
    if (localName == QLatin1String("Scene")) {
        m_pScene = m_pRootComposite;
        m_pPanel = m_pRootComposite;
        return true;
    }
    if (localName == QLatin1String("Panel")) {
        m_pPanel = m_pScene;
        return true;
    }
    if (localName != m_currentElement) {
        // The element that contains the one that ended.
        if (elementAt(m_depth - 1) != kProperty)
            return true;
        if (m_propertyName == kWidget) {
            if (m_pActiveControl)
                m_pActiveControl->endWidget(localName);
        } else if (m_propertyName == kAttributes) {
            if (m_currentElement == kControl) {
                if (m_pActiveControl)
                    m_pActiveControl->updateDecimals();
            } else if (m_currentElement == kConnection) {
                if (m_pChassis)
                    m_pChassis->connectionPropertyDone(localName);
            } else if (m_currentElement == kCanvas) {
                if (m_pCanvas)
                    m_pCanvas->propertyDone(localName);
            }
        }
        return true;
    }
    m_textFlag = false;
    m_currentElement.clear();
    m_pActiveControl = nullptr;
    m_pChassis = nullptr;
    m_propertyName.clear();
    return true;
}

QString XControlHandler::normalizeText(const QString &text)
{
    // Most texts of a panel file are plain values ("30", "#336699", "Label
    // 1"): with nothing to collapse and no marker to undo, they stand as
    // they are, without the copies below.
    bool plain = true;
    bool blank = true;
    for (const QChar c : text) {
        if (c == QLatin1Char(' '))
            continue;
        if (c.isSpace() || c == QLatin1Char('&')) {
            plain = false;
            break;
        }
        blank = false;
    }
    if (plain)
        return blank ? QString() : text;
    if (text.trimmed().isEmpty())
        return QString();
    if (!text.contains(QLatin1Char(' ')))
        return text.simplified();
    QString marked = text;
    marked.replace(QLatin1Char(' '), kBlank);
    marked = marked.simplified();
    marked.replace(kBlank, QStringLiteral(" "));
    return marked;
}

bool XControlHandler::characters(const QString &ch)
{
    if (!m_textFlag)
        return true;
    const QString text = normalizeText(ch);
    if (text.isEmpty())
        return true;
    // The text counts as one more level, so its element is the parent.
    pushElement(text);
    handleText(text);
    popElement();
    return true;
}

void XControlHandler::handleText(const QString &text)
{
    const QString parent = parentElement();
    if (m_propertyName == kWidget) {
        processWidget(text);
        return;
    }
    if (m_propertyName == kAttributes) {
        if (m_currentElement == kControl) {
            if (m_pActiveControl)
                m_pActiveControl->setAttribute(grandparentElement(), parent, text);
        } else if (m_currentElement == kConnection) {
            if (m_pChassis)
                m_pChassis->setConnectionProperty(parent, text);
        } else if (m_currentElement == kCanvas) {
            if (m_pCanvas)
                m_pCanvas->setAttribute(parent, text);
        } else if (m_currentElement == kProject) {
            if (m_pProject)
                m_pProject->setValue(grandparentElement(), parent, text);
        } else if (m_currentElement == kVersion) {
            applyVersion(text);
        }
        return;
    }
    if (m_currentElement == kVersion) {
        applyVersion(text);
        return;
    }
    if (parent == QLatin1String("block")) {
        m_blockName = text;
        m_nodeId = -1;
        m_nodeCategory.clear();
    } else if (parent == QLatin1String("nodeID")) {
        bool ok = false;
        const int id = text.toInt(&ok);
        m_nodeId = ok ? id : 0;
    } else if (parent == QLatin1String("nodeCategory")) {
        m_nodeCategory = text;
    } else if (parent == QLatin1String("id")) {
        bool ok = false;
        const quint32 id = text.toUInt(&ok);
        if (m_pActiveControl)
            m_pActiveControl->setId(ok ? id : 0);
    } else if (parent == QLatin1String("connection")) {
        bindControlNode(text);
    }
}

void XControlHandler::applyVersion(const QString &text)
{
    if (parentElement() != QLatin1String("fileVersion"))
        return;
    if (m_pRootComposite && m_pRootComposite->model())
        m_pRootComposite->model()->setVersionText(text);
}

void XControlHandler::processWidget(const QString &text)
{
    if (!m_pActiveControl) {
        qDebug().noquote().nospace() << "m_pActiveControl not defined while trying to processWidget( " << text
                                     << ")";
        return;
    }
    m_pActiveControl->setWidgetAttribute(grandparentElement(), parentElement(), text);
}

HChassis *XControlHandler::findConnectionChassis(const QString &key) const
{
    if (!m_pDeviceRoot)
        return nullptr;
    const QStringList parts = key.split(QStringLiteral("|||"));
    HNode *pFound = nullptr;
    if (parts.size() == 2 && parts.first() == kChassis) {
        bool ok = false;
        const int nodeId = parts.at(1).toInt(&ok);
        pFound = m_pDeviceRoot->findByCategoryAndNodeID(kChassis, ok ? nodeId : 0);
    } else {
        pFound = m_pDeviceRoot->findByCategoryAndProperty(kChassis, QStringLiteral("label"), key);
    }
    return qobject_cast<HChassis *>(pFound);
}

void XControlHandler::bindControlNode(const QString &connection)
{
    if (!m_pActiveControl || !m_pDeviceRoot)
        return;
    HChassis *pChassis = findConnectionChassis(connection);
    if (!pChassis)
        return;
    HNode *pNode = nullptr;
    if (m_nodeId > 0 && !m_nodeCategory.isEmpty())
        pNode = pChassis->findByCategoryAndNodeID(m_nodeCategory, m_nodeId);
    if (!pNode)
        pNode = pChassis->findByProperty(QStringLiteral("label"), m_blockName);
    if (!pNode) {
        auto *pBlock = new HBlock;
        pBlock->setLabel(m_blockName);
        pChassis->addChild(pBlock);
        pNode = pBlock;
    }
    m_pActiveControl->setNode(pNode);
    if (pNode->title() == QLatin1String("Group") && pNode->typenum() == QLatin1String("3"))
        pNode->setLabel(m_blockName);
    pNode->setUsed(true);
    pNode->finishParsing();
}
