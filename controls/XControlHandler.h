#pragma once

#include "project/XmlHandler.h"

#include <QString>

class CCanvas;
class CComposite;
class CControl;
class HChassis;
class HNode;
class MProject;

// Reads a panel file (".cpf") into the control tree: scenes, panels and
// controls with their widgets and binding records, each control bound to
// its node of the device tree; on the way it configures the chassis of the
// file's connections, the canvas and the project record.
class XControlHandler : public XmlHandler
{
public:
    XControlHandler();
    ~XControlHandler() override;

    void setRootComposite(CComposite *pRoot) { m_pRootComposite = pRoot; }
    void setDeviceRoot(HNode *pRoot) { m_pDeviceRoot = pRoot; }
    void setDefaultNode(HNode *pNode) { m_pDefaultNode = pNode; }
    void setControlFilter(const QString &filter) { m_controlFilter = filter; }
    void setProject(MProject *pProject) { m_pProject = pProject; }
    void setCanvas(CCanvas *pCanvas) { m_pCanvas = pCanvas; }

    bool startDocument() override;
    bool endDocument() override;
    bool startElement(const QString &namespaceURI, const QString &localName,
                      const QString &qName, const QXmlAttributes &atts) override;
    bool endElement(const QString &namespaceURI, const QString &localName,
                    const QString &qName) override;
    bool characters(const QString &ch) override;
    bool processingInstruction(const QString &target, const QString &data) override;

    // Leaf texts lose line breaks and tabs but keep every blank.
    static QString normalizeText(const QString &text);
    // The chassis that a panel file's connection key names; null for none.
    HChassis *findConnectionChassis(const QString &key) const;

private:
    void openScope(const QString &name);
    void handleText(const QString &text);
    void processWidget(const QString &text);
    void bindControlNode(const QString &connection);
    void applyVersion(const QString &text);

    HNode *m_pDeviceRoot = nullptr;
    HNode *m_pDefaultNode = nullptr;
    CComposite *m_pRootComposite = nullptr;
    CControl *m_pActiveControl = nullptr;
    HChassis *m_pChassis = nullptr;
    CComposite *m_pScene = nullptr;
    CComposite *m_pPanel = nullptr;
    QString m_controlFilter;
    QString m_propertyName;
    QString m_blockName = QStringLiteral("uninitialized");
    int m_nodeId = -1;
    QString m_nodeCategory;
    MProject *m_pProject = nullptr;
    CCanvas *m_pCanvas = nullptr;
};
