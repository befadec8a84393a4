#pragma once

#include <QByteArray>
#include <QElapsedTimer>
#include <QHash>
#include <QHostAddress>
#include <QList>
#include <QObject>
#include <QUdpSocket>

// A loudspeaker array for tests, benchmarks and a person: a UDP socket on
// 127.0.0.1 that takes datagrams of carriage-return terminated requests and
// answers each datagram with one datagram to its sender, one line per
// request in order. A line repeats the request and adds the value, as
// "STATUS 1 1 0" or "FW VERSION 1 1.60".
//
//     SimulatedVentraArray array;
//     array.addFault("STATUS 1 1", {SimulatedVentraArray::Fault::Refuse});
//     client.setPort(array.port());
//
// Faults make it misbehave for the datagrams that hold a matching request,
// a given number of times or for ever.
class SimulatedVentraArray : public QObject
{
    Q_OBJECT

public:
    static constexpr int MaxModules = 4;

    // What one loudspeaker module reports.
    struct Module
    {
        QByteArray fault = "0";               // "STATUS m 1"
        QByteArray warning = "0";             // "STATUS m 0"
        QByteArray driver = "0x00000000";     // "DRIVERFAULTS m"
        QByteArray firmware = "1.60";         // "VERSION m"
        QList<QByteArray> temperatures = {"40", "41", "42", "43"}; // "TEMPERATURE m s"
        QByteArray mdn;                       // empty: the module's own number
        QByteArray mdc;                       // empty: the module count
    };

    struct Fault
    {
        enum Kind {
            Silence,           // no answer at all
            Refuse,            // "NACK <request>" for the matching requests
            Busy,              // the datagram answered "NACK BUSY"
            AckOnly,           // "ACK" alone for the matching requests
            Late,              // the answer after delayMs
            Split,             // the answer's lines in two datagrams
            StrayLine,         // text as an extra first line
            ReplaceLine,       // text instead of the matching request's line
            TrailingSemicolon, // the answer ends with ";"
            Reorder,           // the answer's lines in the order given
        };
        Fault() = default;
        Fault(Kind k, int n = -1, int delay = 0, const QByteArray &line = QByteArray())
            : kind(k)
            , times(n)
            , delayMs(delay)
            , text(line)
        {
        }

        Kind kind = Silence;
        int times = -1; // datagrams it applies to; -1 for ever
        int delayMs = 0; // Late: the delay; Split: the gap before the rest
        QByteArray text;
        // Reorder: for each line of the answer, the position of the request
        // whose line goes there ({0, 2, 1} swaps the last two lines of a
        // three-request datagram). Positions may repeat or be left out.
        QList<int> order;

        static Fault reordered(const QList<int> &lineOrder, int n = -1)
        {
            Fault fault(Reorder, n);
            fault.order = lineOrder;
            return fault;
        }
    };

    // One received datagram.
    struct Datagram
    {
        QByteArray bytes;
        qint64 atMs = 0; // since the array was made
    };

    explicit SimulatedVentraArray(QObject *parent = nullptr);
    ~SimulatedVentraArray() override;

    // Listens on 127.0.0.1 at the port (0: any free one).
    bool listen(quint16 port = 0);
    void stopListening();
    quint16 port() const { return m_port; }

    // --- What the array reports -------------------------------------------
    // The module count as "ARRAY" answers it: "0" to "4", or anything else
    // for an array that reports nonsense. Default "3".
    void setModuleCount(const QByteArray &count) { m_moduleCount = count; }
    // Module 1 to MaxModules.
    Module &module(int number);
    // The value of a device-level request word ("AUDIOLEVEL", "GETSBST",
    // "GCP", "GBKSTG", ...).
    void setValue(const QByteArray &word, const QByteArray &value) { m_values[word] = value; }
    QByteArray value(const QByteArray &word) const { return m_values.value(word); }
    void setStandby(const QByteArray &value) { setValue("GETSBST", value); }
    void setPreset(const QByteArray &number) { setValue("GCP", number); }
    void setPresetName(const QByteArray &name) { m_presetName = name; }
    // With it every answer line starts "ACK ".
    void setAckPrefix(bool on) { m_ackPrefix = on; }

    // --- Misbehaviour ----------------------------------------------------
    // The fault applies to datagrams holding a request that begins with the
    // prefix (an empty prefix: every datagram). The first fault that
    // applies wins.
    void addFault(const QByteArray &requestPrefix, const Fault &fault);
    void clearFaults() { m_faults.clear(); }

    // Sends raw bytes to the last sender, as a datagram of its own.
    void push(const QByteArray &bytes);

    // The answer lines for one request (without CR), as the array gives
    // them without faults.
    QByteArray answerFor(const QByteArray &request) const;

    QList<Datagram> datagrams() const { return m_datagrams; }
    // Received datagrams that hold a request beginning with the prefix.
    int datagramCount(const QByteArray &prefix = QByteArray()) const;
    int answersSent() const { return m_answersSent; }
    // Answers scheduled for later and not sent yet.
    int answersPending() const { return m_answersPending; }
    qint64 elapsedMs() const { return m_clock.elapsed(); }
    QHostAddress lastSender() const { return m_lastSender; }
    quint16 lastSenderPort() const { return m_lastSenderPort; }

signals:
    void datagramReceived(const QByteArray &bytes);
    void answered(const QByteArray &bytes);

private:
    struct FaultRule
    {
        QByteArray prefix;
        Fault fault;
    };

    void onReadyRead();
    void respond(const QByteArray &bytes, const QHostAddress &sender, quint16 senderPort);
    FaultRule *faultFor(const QList<QByteArray> &requests);
    void sendLater(const QByteArray &bytes, const QHostAddress &to, quint16 port, int delayMs);
    void sendTo(const QByteArray &bytes, const QHostAddress &to, quint16 port);
    int moduleCount() const;
    QByteArray moduleAnswer(const QList<QByteArray> &words) const;

    QUdpSocket m_socket;
    quint16 m_port = 0;
    QByteArray m_moduleCount = "3";
    Module m_modules[MaxModules];
    QHash<QByteArray, QByteArray> m_values;
    QByteArray m_presetName = "Main Hall";
    bool m_ackPrefix = false;
    QList<FaultRule> m_faults;
    QList<Datagram> m_datagrams;
    int m_answersSent = 0;
    int m_answersPending = 0;
    QHostAddress m_lastSender;
    quint16 m_lastSenderPort = 0;
    QElapsedTimer m_clock;
};
