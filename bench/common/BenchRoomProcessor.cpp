#include "BenchRoomProcessor.h"

#include "BenchTiming.h"

#include "comms/PProtocol.h"
#include "comms/TTransform.h"
#include "controls/CAttributes.h"
#include "controls/TTransformFactory.h"
#include "devices/HNode.h"
#include "devices/HRCGroupInfo.h"
#include "roomcombine/HRCGroup.h"

#include <QHostAddress>
#include <QTcpSocket>

#include <cstdio>

BenchRoomProcessor::BenchRoomProcessor(int groups, int roomsPerGroup)
    : m_combiner(&m_device)
{
    m_device.setValueStoreEnabled(true);
    m_device.setSubscriptionAccepted(false);
    m_device.addBehaviour(&m_combiner);
    for (int g = 1; g <= groups; ++g) {
        m_combiner.addGroup(g);
        for (int r = 1; r <= roomsPerGroup; ++r)
            m_chassis.roomCombineInfo()->addRoom(r, QStringLiteral("Hall%1-Room%2").arg(g).arg(r), g, 1,
                                                 100 * g + r, {});
        auto *pGroup = new HRCGroup;
        pGroup->setId(QString::number(g));
        m_chassis.addChild(pGroup);
        pGroup->buildChildren(&m_factory, false);
        m_groups.push_back(pGroup);
    }
    m_clock.start();
}

BenchRoomProcessor::~BenchRoomProcessor()
{
    m_client.close();
    m_device.removeBehaviour(&m_combiner);
}

bool BenchRoomProcessor::connect()
{
    m_client.setAddress(QHostAddress(QHostAddress::LocalHost));
    m_client.setPort(m_device.port());
    PProtocol *pProtocol = protocol();
    pProtocol->setInterface(&m_client);
    m_client.setOwner(pProtocol);
    pProtocol->setHost(&m_host);
    if (!m_client.open() || !waitFor([this]() { return m_client.isConnected(); }, 5000)
        || !waitFor([this]() { return m_client.hasSubscriptionState(); }, 5000)) {
        std::printf("could not connect to the local device\n");
        return false;
    }
    // The stamp is taken before the client reads, so it is the bytes' arrival.
    QTcpSocket *pSocket = m_client.socket();
    QObject::disconnect(pSocket, &QTcpSocket::readyRead, &m_client, &ITcpClient::dataReady);
    QObject::connect(pSocket, &QTcpSocket::readyRead, &m_client, [this]() { m_readAtNs = nowNs(); });
    QObject::connect(pSocket, &QTcpSocket::readyRead, &m_client, &ITcpClient::dataReady);
    return true;
}

BenchBinding::BenchBinding()
    : attributes(std::make_unique<CAttributes>())
{
}

BenchBinding::~BenchBinding() = default;

std::unique_ptr<BenchBinding> benchBind(HNode *pNode, quint32 kind, const char *transformName, int index)
{
    auto pBinding = std::make_unique<BenchBinding>();
    pBinding->attributes->setAddressStruct(kind);
    pBinding->attributes->setIndex1(index);
    pBinding->transform.reset(TTransformFactory::createTransform(QLatin1String(transformName)));
    pBinding->transform->setOwner(pBinding->attributes.get());
    pBinding->transform->setOwnerNode(pNode);
    pBinding->transform->configure();
    return pBinding;
}
