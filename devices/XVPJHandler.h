#pragma once

#include "HNodeFactory.h"
#include "project/XmlHandler.h"

#include <QList>
#include <QString>

#include <functional>
#include <memory>

class HChassis;
class HNode;
class HParameterSetList;
class MProject;
class QMessageBox;

// Reads a design-project file (".vpj") into the device tree and the project
// record: each "Node" element becomes a node through the factory, its
// "Property" elements go to the node, and when its element ends the node
// decides whether it stays and is placed: a chassis under the root, a card
// or block under the chassis read last, a group, parameter set, panel list
// or room-combining group under the main chassis. The "Assignment" section
// then feeds groups and panel lists and builds the rooms.
//
// Nodes follow their chassis in file order, so the nodes after a chassis the
// device lists do not know are dropped until the next known chassis.
class XVPJHandler : public XmlHandler
{
public:
    // Runs a prepared modal message box in place of QMessageBox::exec and
    // returns its result; tests answer the old-version warning with it.
    using MessageBoxRunner = std::function<int(QMessageBox &box)>;

    // Files of older design software are refused.
    static constexpr double MinimumVersion = 4.2;

    XVPJHandler();
    ~XVPJHandler() override;

    // The tree to read into; not owned.
    void setRoot(HNode *pRoot) { m_pRoot = pRoot; }
    // The record to fill; not owned.
    void setProject(MProject *pProject) { m_pProject = pProject; }
    // The file is merged into a tree that holds a project already.
    void setMerging(bool merging) { m_attach = merging; }

    bool startDocument() override;
    bool endDocument() override;
    bool startElement(const QString &namespaceURI, const QString &localName,
                      const QString &qName, const QXmlAttributes &atts) override;
    bool endElement(const QString &namespaceURI, const QString &localName,
                    const QString &qName) override;
    bool characters(const QString &ch) override;
    bool processingInstruction(const QString &target, const QString &data) override;
    // Why the reader stopped the parse, for the fatal-error line.
    QString errorString() const override;

    HChassis *mainChassis() const { return m_pMainChassis; }
    HChassis *activeChassis() const { return m_pActiveChassis; }
    QList<HChassis *> chassisList() const { return m_chassisList; }
    bool runArxProxyOnPcOnly() const { return m_runArxProxyOnPcOnly; }
    QString arxProxyIpOnPc() const { return m_arxProxyIpOnPc; }
    bool versionRefused() const { return m_versionRefused; }

    // Null restores QMessageBox::exec.
    static void setMessageBoxRunner(MessageBoxRunner runner);

private:
    enum VpjScope {
        NoScope = 0,
        NodeScope = 1,
        ProjectInfoScope = 2,
        PanelListScope = 3,
    };

    void readProxyMode(const QXmlAttributes &atts);
    void readProxyAddress(const QXmlAttributes &atts);
    bool processProject(const QString &name, const QXmlAttributes &atts);
    bool checkVersion(const QXmlAttributes &atts);
    void processNode(const QXmlAttributes &atts);
    void processGroup(const QString &parent, const QXmlAttributes &atts);
    void processRCGroup(const QString &parent, const QXmlAttributes &atts);
    void processParamSet(const QString &parent, const QXmlAttributes &atts);
    void processPanelList(const QString &parent, const QXmlAttributes &atts);
    bool processInScope(const QString &name, const QXmlAttributes &atts);

    void openScope(VpjScope scope, const QString &closingElement);
    void closeScope();
    // Makes the open node; a node still open is deleted, not leaked.
    void openNode(HNode *pNode);
    // The node of the category under the root whose id text is the text.
    HNode *findById(const QString &category, const QString &id) const;

    // Places the open node, or deletes it when it has nowhere to go.
    void addActiveNode();
    void placeChassis(HChassis *pChassis);
    void placeNode(HNode *pNode);
    void applyDesignFields(HNode *pNode) const;
    void handOutMainChassis(HChassis *pMain);

    static void showVersionWarning(const QString &versionText);

    HChassis *m_pActiveChassis = nullptr;
    HChassis *m_pMainChassis = nullptr;
    HNode *m_pRoot = nullptr;
    MProject *m_pProject = nullptr;
    HNodeFactory m_factory;
    // Owned until placed.
    std::unique_ptr<HNode> m_pNode;
    HNode *m_pAssignTarget = nullptr;
    HParameterSetList *m_pPanelList = nullptr;
    bool m_inLogicView = false;
    bool m_attach = false;
    int m_scope = NoScope;
    bool m_runArxProxyOnPcOnly = false;
    QString m_arxProxyIpOnPc;
    QList<HChassis *> m_chassisList;
    bool m_versionRefused = false;
};
