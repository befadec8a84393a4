#include "WDropList.h"

#include "comms/PProtocol.h"
#include "comms/TTransform.h"
#include "controls/CAttributes.h"
#include "controls/VModeManager.h"
#include "controls/WDelegate.h"
#include "devices/HComposite.h"
#include "devices/HGroup.h"
#include "devices/HNode.h"
#include "project/XmlWriter.h"

#include <QDebug>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QQmlEngine>
#include <QQuickWindow>
#include <QRegularExpression>
#include <QTextStream>

#include <climits>

namespace {

const QString kParameterSetListTitle = QStringLiteral("PSetList");
const QString kItemAndIndexes = QStringLiteral("ItemAndIndexes");

// The drop list whose pop-up shows. There is one overlay: opening a list
// closes the one open before.
QPointer<WDropList> s_pShowing;

// The sections of a comma-separated text, up to the first empty one.
QStringList sectionsOf(const QString &text)
{
    QStringList sections;
    const QStringList parts = text.split(QLatin1Char(','), Qt::KeepEmptyParts);
    for (const QString &part : parts) {
        if (part.isEmpty())
            break;
        sections.append(part);
    }
    return sections;
}

int decimalOf(const QString &text)
{
    bool ok = false;
    const int number = text.toInt(&ok, 10);
    return ok ? number : 0;
}

// The path of a list file named in the panel file, inside the folder the
// panel was read from; empty when the name could lead anywhere else. The
// panel file may have come over the network, so its names are not trusted:
// no absolute path, no ".." and no link out of the folder.
QString listFilePath(const QString &name)
{
    const QString panelPath = WDelegate::instance()->panelFilePath();
    if (panelPath.isEmpty() || name.isEmpty())
        return QString();
    static const QRegularExpression separators(QStringLiteral("[/\\\\]"));
    if (QDir::isAbsolutePath(name) || name.split(separators).contains(QStringLiteral(".."))) {
        qDebug().noquote() << "A list file outside the panel's folder is not read: " + name;
        return QString();
    }
    const QDir folder = QFileInfo(panelPath).absoluteDir();
    QString inside = folder.canonicalPath();
    if (inside.isEmpty())
        return QString();
    if (!inside.endsWith(QLatin1Char('/')))
        inside += QLatin1Char('/');
    const QString path = QFileInfo(folder.filePath(name)).canonicalFilePath();
    if (path.isEmpty())
        return QString(); // no such file
    if (!path.startsWith(inside)) {
        qDebug().noquote() << "A list file outside the panel's folder is not read: " + name;
        return QString();
    }
    return path;
}

// The item's alignment as the panel file writes it.
QString alignmentWord(int alignment)
{
    if (alignment & Qt::AlignHCenter)
        return QStringLiteral("Center");
    if (alignment & Qt::AlignRight)
        return QStringLiteral("Right");
    return QStringLiteral("Left");
}

} // namespace

WDropList::WDropList(QQuickItem *parent)
    : WWidget(parent)
{
}

WDropList::~WDropList()
{
    if (s_pShowing == this)
        s_pShowing = nullptr;
    // The pop-up lives on the canvas, not under this item: it would stay
    // on screen with nobody to close it.
    if (QObject *pPopup = m_popup.data()) {
        m_popup = nullptr;
        VModeManager *pModes = VModeManager::instance();
        if (pModes->modalItem() == pPopup)
            pModes->setModalItem(nullptr);
        delete pPopup;
    }
}

bool WDropList::isParameterSetList() const
{
    const HNode *pNode = node();
    return pNode && pNode->title() == kParameterSetListTitle;
}

void WDropList::applyAttributes(CAttributes *pAttributes)
{
    TTransform *pTransform = transform();
    // Such a list is read back from the second index of the parameter.
    if (pAttributes && pTransform && m_index1ForQuery > 0)
        pTransform->setIndexes(2, 0, false);
}

void WDropList::outputCurrentIndex(int index)
{
    takeChoice(index);
}

bool WDropList::takeChoice(int index)
{
    if (!m_pWidget)
        return false;
    // The item may report any number: only an entry of both lists is a
    // choice.
    if (index < 0 || index >= m_items.size() || index >= m_values.size())
        return false;
    const bool parameterSetList = isParameterSetList();
    // A parameter set is recalled again on purpose: the device may have
    // left it since.
    if (index == m_currentIndex && !parameterSetList)
        return true;
    m_currentIndex = index;
    TTransform *pTransform = transform();
    PProtocol *pProtocol = protocol();
    if (!pTransform || !pProtocol || !isOutputEnabled())
        return true;
    const quint32 value = parameterSetList && m_index1ForQuery == 2 ? quint32(index) + 1u
                                                                      : quint32(m_values.at(index));
    pTransform->setUIntValue(value);
    pProtocol->sendValue(pTransform);
    return true;
}

void WDropList::setState()
{
    TTransform *pTransform = transform();
    if (!pTransform)
        return;
    const quint32 reply = pTransform->replyUIntValue();
    qint64 index = -1;
    if (isParameterSetList()) {
        // Sets count from 1: a reply of 0 names none and changes nothing.
        index = qint64(reply) - 1;
        if (index < 0)
            return;
    } else {
        for (int i = 0; i < m_values.size(); ++i) {
            // Negative values of the table match their two's complement.
            if (quint32(m_values.at(i)) == reply) {
                index = i;
                break;
            }
        }
        if (index < 0) {
            // The item keeps what it shows; the next choice is sent
            // whatever it is.
            m_currentIndex = -1;
            return;
        }
    }
    m_currentIndex = index > INT_MAX ? -1 : int(index);
    if (index < m_items.size()) {
        // The item's handlers run inside these writes: nothing they report
        // is the operator's.
        setOutputEnabled(false);
        setItemProperty("currentIndex", int(index));
        setItemProperty("currentText", m_items.at(int(index)));
        setOutputEnabled(true);
    }
}

void WDropList::popupList(QObject *pPopup)
{
    if (!pPopup)
        return;
    if (s_pShowing)
        s_pShowing->closePopup();
    closePopup();

    // Ours from now on: the list goes when it is closed, not when the
    // script that made it lets go.
    QQmlEngine::setObjectOwnership(pPopup, QQmlEngine::CppOwnership);
    m_popup = pPopup;
    s_pShowing = this;

    VModeManager *pModes = VModeManager::instance();
    auto *pOverlay = qobject_cast<QQuickItem *>(pModes->canvasItem());
    if (!pOverlay && item() && item()->window())
        pOverlay = item()->window()->contentItem();
    if (pOverlay) {
        // Owned by the canvas as well, so that it goes with the view.
        pPopup->setParent(pOverlay);
        if (auto *pPopupItem = qobject_cast<QQuickItem *>(pPopup))
            pPopupItem->setParentItem(pOverlay);
    }
    pModes->setModalItem(pPopup);
    if (!connect(pPopup, SIGNAL(listClick(int)), this, SLOT(listSelect(int))))
        qWarning() << "WDropList: the pop-up list has no listClick(int) signal";
    pPopup->setProperty("model", m_items);
    pPopup->setProperty("index", m_currentIndex);
}

void WDropList::listSelect(int index)
{
    // Only a choice that was taken is shown.
    if (m_pWidget && index >= 0 && takeChoice(index)) {
        setItemProperty("currentText", m_items.at(index));
        setItemProperty("currentIndex", index);
    }
    closePopup();
}

void WDropList::closePopup()
{
    if (s_pShowing == this)
        s_pShowing = nullptr;
    QObject *pPopup = m_popup.data();
    m_popup = nullptr;
    if (!pPopup)
        return;
    // It may be inside its own click handler: it goes later, but it is
    // gone for the operator and for us at once.
    disconnect(pPopup, nullptr, this, nullptr);
    pPopup->setProperty("visible", false);
    VModeManager *pModes = VModeManager::instance();
    if (pModes->modalItem() == pPopup)
        pModes->setModalItem(nullptr);
    pPopup->deleteLater();
}

void WDropList::clearLists()
{
    m_items.clear();
    m_values.clear();
}

void WDropList::readSections(const QString &text)
{
    m_items = sectionsOf(text);
    for (int i = 0; i < m_items.size(); ++i)
        m_values.append(i + 1);
    m_listSource = TextSource;
}

void WDropList::readFile(const QString &name)
{
    m_listSource = FileSource;
    const QString path = listFilePath(name);
    if (path.isEmpty())
        return;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
        return;
    QTextStream stream(&file);
    QString line;
    while (stream.readLineInto(&line)) {
        m_items.append(line);
        m_values.append(int(m_items.size()));
    }
}

void WDropList::readNodeSource(const QString &value)
{
    HNode *pNode = node();
    if (!pNode)
        return;
    m_listSource = NodeSource;
    if (value == kItemAndIndexes) {
        QStringList names;
        QList<int> ids;
        if (pNode->parameterSets(&names, &ids)) {
            m_items = names;
            m_values = ids;
        }
        return;
    }
    // The blocks of the same kind beside this one, in the design's order.
    HComposite *pParent = pNode->parentNode();
    if (!pParent)
        return;
    QList<HNode *> siblings;
    pParent->appendIfCategory(pNode->category(), &siblings);
    pParent->sortByOrder(&siblings);
    for (const HNode *pSibling : std::as_const(siblings)) {
        if (!pSibling || pSibling->order() == -1)
            continue;
        m_items.append(pSibling->label());
        m_values.append(pSibling->index());
    }
}

void WDropList::readGroup()
{
    auto *pGroup = qobject_cast<HGroup *>(node());
    if (!pGroup)
        return;
    m_items = pGroup->options();
    setItemProperty("model", m_items);
    for (int i = 0; i < m_items.size(); ++i)
        m_values.append(i + 1);
    m_listSource = GroupSource;
    // The choice goes to the block the selector drives, by its name. A
    // group without a target (id 0) must not take the name of whatever
    // node has no id.
    HComposite *pParent = pGroup->parentNode();
    if (pGroup->targetID() == 0 || !pParent)
        return;
    if (const HNode *pTarget = pParent->findByNodeID(pGroup->targetID()))
        pGroup->setLabel(pTarget->label());
}

void WDropList::readChannelNames()
{
    HNode *pNode = node();
    QStringList names;
    if (!pNode || !pNode->channelNames(&names))
        return;
    m_items = names;
    for (int i = 0; i < m_items.size(); ++i)
        m_values.append(i);
    m_sourceList = true;
}

void WDropList::readIndexes(const QString &text)
{
    m_values.clear();
    bool hasZero = false;
    const QStringList sections = sectionsOf(text);
    for (const QString &section : sections) {
        const int value = decimalOf(section);
        hasZero = hasZero || value == 0;
        m_values.append(value);
    }
    // A table counted from 0 is counted from 1.
    if (hasZero) {
        for (int &value : m_values) {
            if (value < INT_MAX)
                ++value;
        }
    }
}

bool WDropList::readAttribute(const QString &name, const QString &value)
{
    if (!m_pWidget)
        return false;
    if (processRect(name, value) || readIdAttribute(name, value) || readFractionAttribute(name, value))
        return true;
    if (name == QLatin1String("msg")) {
        clearLists();
        readSections(value);
    } else if (name == QLatin1String("item")) {
        clearLists();
        if (const HNode *pNode = node())
            readSections(pNode->entriesText());
    } else if (name == QLatin1String("file")) {
        clearLists();
        readFile(value);
    } else if (name == QLatin1String("node")) {
        clearLists();
        readNodeSource(value);
    } else if (name == QLatin1String("group")) {
        clearLists();
        readGroup();
    } else if (name == QLatin1String("sourceList")) {
        clearLists();
        readChannelNames();
    } else if (name == QLatin1String("index")) {
        readIndexes(value);
    } else if (name == QLatin1String("hasBorder")) {
        setItemProperty("hasBorder", decimalOf(value) != 0);
    } else if (name == QLatin1String("align")) {
        int alignment = Qt::AlignLeft;
        if (value.compare(QLatin1String("center"), Qt::CaseInsensitive) == 0)
            alignment = Qt::AlignHCenter;
        else if (value.compare(QLatin1String("right"), Qt::CaseInsensitive) == 0)
            alignment = Qt::AlignRight;
        setItemProperty("horizontalAlignment", alignment);
    } else if (name == QLatin1String("index1ForQuery")) {
        m_index1ForQuery = decimalOf(value);
    } else {
        return false;
    }
    return true;
}

void WDropList::writeAttributes(XmlWriter &writer) const
{
    if (!m_pWidget)
        return;
    writer.writeStartElement(typeName());
    writeBaseAttributes(writer);
    writer.writeTextElement(QStringLiteral("msg"), m_items.join(QLatin1Char(',')));
    QStringList numbers;
    numbers.reserve(m_values.size());
    for (int value : m_values)
        numbers.append(QString::number(value));
    writer.writeTextElement(QStringLiteral("index"), numbers.join(QLatin1Char(',')));
    writer.writeIntElement(QStringLiteral("hasBorder"), itemProperty("hasBorder").toBool() ? 1 : 0);
    writer.writeTextElement(QStringLiteral("align"),
                            alignmentWord(itemProperty("horizontalAlignment").toInt()));
    if (m_index1ForQuery > 0)
        writer.writeIntElement(QStringLiteral("index1ForQuery"), m_index1ForQuery);
    if (m_sourceList)
        writer.writeIntElement(QStringLiteral("sourceList"), 1);
    writer.writeEndElement(typeName());
}
