#pragma once

#include "controls/WWidget.h"

#include <QList>
#include <QPointer>
#include <QStringList>

class CAttributes;
class XmlWriter;

// The native half of the drop list: the current choice of a parameter as
// text, and a pop-up list of every choice when the operator clicks it.
//
// It keeps two parallel lists, the texts shown (m_items) and the device
// values they stand for (m_values), filled from one source named in the
// panel file. A choice sends its value through the control's transform and
// the node's protocol; a device reply selects the entry with that value.
// A list bound to a parameter-set list node (title "PSetList") numbers its
// entries from 1 and sends a choice again even when it is already selected.
//
// The base's output-enabled flag is cleared while a reply is written into
// the item, as in every widget that shows device values: nothing the item
// reports then is sent.
class WDropList : public WWidget
{
    Q_OBJECT

public:
    // Where the entries came from.
    enum ListSource {
        NoSource = 0,
        TextSource = 1,  // "msg" or "item"
        FileSource = 2,  // "file"
        NodeSource = 3,  // "node"
        GroupSource = 4, // "group"
    };

    explicit WDropList(QQuickItem *parent = nullptr);
    // Deletes a pop-up that is still open.
    ~WDropList() override;

    void applyAttributes(CAttributes *pAttributes) override;
    void writeAttributes(XmlWriter &writer) const override;
    bool readAttribute(const QString &name, const QString &value) override;
    void setState() override;
    bool providesToolTip() const override { return true; }

    // State for tests.
    int currentIndex() const { return m_currentIndex; }
    int listSource() const { return m_listSource; }
    QList<int> values() const { return m_values; }
    QStringList items() const { return m_items; }
    QObject *popup() const { return m_popup; }
    int index1ForQuery() const { return m_index1ForQuery; }
    bool isSourceList() const { return m_sourceList; }

    // Whether the bound node is a parameter-set list (title "PSetList",
    // compared case-sensitively).
    bool isParameterSetList() const;

signals:
    // Declared for the QML side; never emitted.
    void titleChanged(const QString &title);

public slots:
    // The operator's choice. An index outside either list is ignored; an
    // unchanged choice is not sent again (but on a parameter-set list).
    void outputCurrentIndex(int index) override;
    // The item made a pop-up list: it is laid over the canvas with the
    // entries and the current one.
    void popupList(QObject *pPopup);
    // The pop-up's "listClick": an entry, or -1 for a click outside the
    // list. Either way the pop-up closes.
    void listSelect(int index);

private:
    // Takes a choice and sends it when it can; false when the index names
    // no entry (nothing is taken then).
    bool takeChoice(int index);
    // Hides the pop-up, hands it to deferred deletion and has the mode
    // manager forget it.
    void closePopup();
    void clearLists();
    void readSections(const QString &text);
    void readFile(const QString &name);
    void readNodeSource(const QString &value);
    void readGroup();
    void readChannelNames();
    void readIndexes(const QString &text);

    int m_currentIndex = -1;
    int m_listSource = NoSource;
    QList<int> m_values;
    QStringList m_items;
    QPointer<QObject> m_popup;
    int m_index1ForQuery = -1;
    bool m_sourceList = false;
};
