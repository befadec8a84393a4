#include "VrTest.h"

#include "controls/WImage.h"
#include "controls/WPictureSource.h"
#include "controls/WWidgetFactory.h"
#include "project/UArchive.h"

#include <QImage>
#include <QQmlContext>
#include <QQmlEngine>
#include <QQuickItem>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QUrl>

#include <memory>

// How the image widget decodes its picture: at maxCachedImageWidth, but
// never wider than the picture itself, whatever the fill mode.
class TestWImagePicture : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();
    void pictureWidth_data();
    void pictureWidth();
    void decodedWidth_data();
    void decodedWidth();
    void newPictureTakesItsOwnWidth();
    void sameWidthLoadsNothingAgain();
    void backgroundFollowsItsParent();
    void dimensionsAidFollowsThePath();

private:
    WImage *makeImage();
    // The Image item that draws the widget's picture.
    static QQuickItem *picture(WImage *pImage);

    std::unique_ptr<QQmlEngine> m_pEngine;
    std::unique_ptr<QQuickItem> m_pParent;
    std::unique_ptr<WWidgetFactory> m_pFactory;
};

void TestWImagePicture::initTestCase()
{
    WWidgetFactory::registerWidgetTypes();
    QVERIFY(UArchive::instance().open(":/data/Varolin/Demo.cpz"));
}

void TestWImagePicture::init()
{
    m_pEngine = std::make_unique<QQmlEngine>();
    m_pParent = std::make_unique<QQuickItem>();
    m_pParent->setSize(QSizeF(800, 450));
    m_pFactory = std::make_unique<WWidgetFactory>();
    m_pFactory->setParentItem(m_pParent.get());
    m_pFactory->setContext(m_pEngine->rootContext());
}

void TestWImagePicture::cleanup()
{
    m_pFactory.reset();
    qDeleteAll(m_pParent->childItems());
    m_pParent.reset();
    m_pEngine.reset();
}

WImage *TestWImagePicture::makeImage()
{
    auto *pImage = qobject_cast<WImage *>(m_pFactory->create(QStringLiteral("image")));
    if (pImage)
        pImage->setTypeName(QStringLiteral("image"));
    return pImage;
}

QQuickItem *TestWImagePicture::picture(WImage *pImage)
{
    const QList<QQuickItem *> children = pImage->item()->childItems();
    for (QQuickItem *pChild : children) {
        if (pChild->inherits("QQuickImage"))
            return pChild;
    }
    return nullptr;
}

void TestWImagePicture::pictureWidth_data()
{
    QTest::addColumn<QUrl>("url");
    QTest::addColumn<int>("width");
    QTest::newRow("resource") << QUrl("qrc:/images/default.png") << 96;
    QTest::newRow("missing resource") << QUrl("qrc:/images/none.png") << 0;
    QTest::newRow("no picture file") << QUrl::fromLocalFile(QCoreApplication::applicationFilePath()) << 0;
    QTest::newRow("designer's path") << QUrl("D:/Demo/image/Demo.png") << 0;
    QTest::newRow("empty") << QUrl() << 0;
}

void TestWImagePicture::pictureWidth()
{
    QFETCH(QUrl, url);
    QFETCH(int, width);
    QCOMPARE(WPictureSource::pictureWidth(url), width);
}

void TestWImagePicture::decodedWidth_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<QString>("maxWidth");
    QTest::addColumn<QString>("fillMode");
    QTest::addColumn<int>("width");
    // Fitted into its rectangle or cropped over the area, a picture was
    // once scaled up to the decode width: 96 pixels became 2048.
    QTest::newRow("default, fitted") << QString() << QString() << QString() << 96;
    QTest::newRow("default, cropped background") << QString() << QString() << "2" << 96;
    QTest::newRow("archive, fitted") << "D:/Demo/image/Demo.png" << QString() << QString() << 400;
    QTest::newRow("archive, stretched background") << "D:/Demo/image/Demo.png" << QString() << "0" << 400;
    // A decode width below the picture's still makes it smaller.
    QTest::newRow("archive, smaller decode") << "D:/Demo/image/Demo.png" << "100" << QString() << 100;
}

void TestWImagePicture::decodedWidth()
{
    QFETCH(QString, path);
    QFETCH(QString, maxWidth);
    QFETCH(QString, fillMode);
    QFETCH(int, width);

    WImage *pImage = makeImage();
    QVERIFY(pImage);
    QVERIFY(pImage->readAttribute("width", "300"));
    QVERIFY(pImage->readAttribute("height", "200"));
    if (!maxWidth.isEmpty())
        QVERIFY(pImage->readAttribute("maxCachedImageWidth", maxWidth));
    if (!fillMode.isEmpty())
        QVERIFY(pImage->readAttribute("backgroundFillMode", fillMode));
    if (!path.isEmpty())
        QVERIFY(pImage->readAttribute("path", path));

    QQuickItem *pPicture = picture(pImage);
    QVERIFY(pPicture);
    QTRY_COMPARE(pPicture->property("status").toInt(), 1); // Image.Ready
    QCOMPARE(int(pPicture->implicitWidth()), width);
}

void TestWImagePicture::newPictureTakesItsOwnWidth()
{
    WImage *pImage = makeImage();
    QVERIFY(pImage);
    QQuickItem *pPicture = picture(pImage);
    QVERIFY(pPicture);
    QTRY_COMPARE(pPicture->property("status").toInt(), 1);
    QCOMPARE(int(pPicture->implicitWidth()), 96);

    // From the small default to a wider picture and back.
    QVERIFY(pImage->readAttribute("path", "D:/Demo/image/Demo.png"));
    QTRY_COMPARE(pPicture->property("status").toInt(), 1);
    QCOMPARE(int(pPicture->implicitWidth()), 400);
    QCOMPARE(pPicture->property("source").toUrl().fileName(), QString("Demo.png"));

    QVERIFY(pImage->readAttribute("path", "../images/default.png"));
    QTRY_COMPARE(pPicture->property("status").toInt(), 1);
    QCOMPARE(int(pPicture->implicitWidth()), 96);
}

void TestWImagePicture::sameWidthLoadsNothingAgain()
{
    WImage *pImage = makeImage();
    QVERIFY(pImage);
    QQuickItem *pPicture = picture(pImage);
    QVERIFY(pPicture);
    QTRY_COMPARE(pPicture->property("status").toInt(), 1);
    QSignalSpy sourceSet(pPicture, SIGNAL(sourceChanged(QUrl)));

    // The 96-pixel default is decoded at 96 under any larger decode width.
    QVERIFY(pImage->readAttribute("maxCachedImageWidth", "4096"));
    QVERIFY(pImage->readAttribute("path", "../images/default.png"));
    QCOMPARE(sourceSet.count(), 0);

    QVERIFY(pImage->readAttribute("maxCachedImageWidth", "50"));
    QTRY_COMPARE(pPicture->property("status").toInt(), 1);
    QCOMPARE(int(pPicture->implicitWidth()), 50);
    QCOMPARE(pPicture->property("source").toUrl(), QUrl("qrc:/images/default.png"));
}

void TestWImagePicture::backgroundFollowsItsParent()
{
    WImage *pImage = makeImage();
    QVERIFY(pImage);
    QQuickItem *pItem = pImage->item();
    // Made with a parent and the QML default fill mode, it is no background.
    QCOMPARE(pItem->size(), QSizeF(200, 200));
    QVERIFY(pImage->readAttribute("x", "10"));
    QVERIFY(pImage->readAttribute("y", "20"));
    QVERIFY(pImage->readAttribute("width", "300"));
    QVERIFY(pImage->readAttribute("height", "150"));

    QVERIFY(pImage->readAttribute("backgroundFillMode", "0"));
    QCOMPARE(pItem->position(), QPointF(0, 0));
    QCOMPARE(pItem->size(), QSizeF(800, 450));
    QCOMPARE(pItem->z(), 0.0);
    m_pParent->setSize(QSizeF(1024, 600));
    QCOMPARE(pItem->size(), QSizeF(1024, 600));

    QQuickItem other;
    other.setSize(QSizeF(320, 240));
    pItem->setParentItem(&other);
    QCOMPARE(pItem->size(), QSizeF(320, 240));
    pItem->setParentItem(m_pParent.get());
    QCOMPARE(pItem->size(), QSizeF(1024, 600));

    QVERIFY(pImage->readAttribute("backgroundFillMode", "-1"));
    QCOMPARE(pItem->position(), QPointF(10, 20));
    QCOMPARE(pItem->size(), QSizeF(300, 150));
    QCOMPARE(pItem->z(), 1.0);
    m_pParent->setSize(QSizeF(800, 450));
    QCOMPARE(pItem->size(), QSizeF(300, 150));
}

namespace {

// The texts drawn under the item, in the order of its visual tree.
QStringList textsUnder(QQuickItem *pItem)
{
    QStringList texts;
    const QList<QQuickItem *> children = pItem->childItems();
    for (QQuickItem *pChild : children) {
        if (pChild->inherits("QQuickText"))
            texts.append(pChild->property("text").toString());
        texts += textsUnder(pChild);
    }
    return texts;
}

} // namespace

// A path that asks for it shows the picture's painted size and ratios over
// the picture; any other path shows nothing of it.
void TestWImagePicture::dimensionsAidFollowsThePath()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString file = dir.filePath(QStringLiteral("pixelDimensions.png"));
    QImage picture(96, 48, QImage::Format_RGB32);
    picture.fill(Qt::darkGreen);
    QVERIFY(picture.save(file));

    WImage *pImage = makeImage();
    QVERIFY(pImage);
    QQuickItem *pItem = pImage->item();
    QVERIFY(textsUnder(pItem).isEmpty());

    const QStringList aid{"Width = 200", "Height = 100", "The aspect ratio is 2.000",
                          "The inverted aspect ratio is 0.500", "The rectangle below is 100 x 100 pixels"};
    for (int round = 0; round < 2; ++round) {
        QVERIFY(pImage->readAttribute(QStringLiteral("path"), QUrl::fromLocalFile(file).toString()));
        QTRY_COMPARE(textsUnder(pItem), aid);
        QVERIFY(pImage->readAttribute(QStringLiteral("path"), QStringLiteral("../images/default.png")));
        QVERIFY(textsUnder(pItem).isEmpty());
    }
}

VR_TEST_MAIN(TestWImagePicture)
#include "tst_wimagepicture.moc"
