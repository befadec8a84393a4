#include "VrTest.h"

#include "devices/TranslatedText.h"

#include <QCoreApplication>
#include <QTranslator>
#include <QThread>
#include <QtTest>

#include <memory>

namespace {

// Puts a prefix before every text of the QObject context.
class PrefixTranslator : public QTranslator
{
public:
    explicit PrefixTranslator(const QString &prefix)
        : m_prefix(prefix)
    {
    }
    bool isEmpty() const override { return false; }
    QString translate(const char *context, const char *sourceText, const char *, int) const override
    {
        if (qstrcmp(context, "QObject") != 0)
            return QString();
        return m_prefix + QString::fromUtf8(sourceText);
    }

private:
    QString m_prefix;
};

} // namespace

class TstTranslatedText : public QObject
{
    Q_OBJECT

private slots:
    void followsInstalledAndRemovedTranslators()
    {
        const TranslatedText text("Button");
        QCOMPARE(text.text(), QStringLiteral("Button"));
        QCOMPARE(text.text(), QObject::tr("Button"));

        PrefixTranslator first(QStringLiteral("1:"));
        QVERIFY(QCoreApplication::installTranslator(&first));
        QCOMPARE(text.text(), QStringLiteral("1:Button"));

        {
            PrefixTranslator second(QStringLiteral("2:"));
            QVERIFY(QCoreApplication::installTranslator(&second));
            QCOMPARE(text.text(), QStringLiteral("2:Button"));
            QVERIFY(QCoreApplication::removeTranslator(&second));
            QCOMPARE(text.text(), QStringLiteral("1:Button"));
        }

        QVERIFY(QCoreApplication::removeTranslator(&first));
        QCOMPARE(text.text(), QStringLiteral("Button"));
    }

    void textsFirstAskedAfterAChangeAreCurrent()
    {
        PrefixTranslator translator(QStringLiteral("x:"));
        QVERIFY(QCoreApplication::installTranslator(&translator));
        const TranslatedText text("RCRoom");
        QCOMPARE(text.text(), QStringLiteral("x:RCRoom"));
        QVERIFY(QCoreApplication::removeTranslator(&translator));
        QCOMPARE(text.text(), QStringLiteral("RCRoom"));
    }

    void otherThreadsTranslateAfresh()
    {
        const TranslatedText text("Text");
        QCOMPARE(text.text(), QStringLiteral("Text"));
        PrefixTranslator translator(QStringLiteral("y:"));
        QVERIFY(QCoreApplication::installTranslator(&translator));
        QString seen;
        std::unique_ptr<QThread> pThread(QThread::create([&] { seen = text.text(); }));
        pThread->start();
        QVERIFY(pThread->wait(5000));
        QCOMPARE(seen, QStringLiteral("y:Text"));
        QVERIFY(QCoreApplication::removeTranslator(&translator));
    }
};

VR_TEST_MAIN(TstTranslatedText)
#include "tst_translatedtext.moc"
