#include "assets/sampleimages.h"
#include "output/imagetypes.h"

#include <QBuffer>
#include <QTest>

using namespace Output;

class TestImageTypes : public QObject
{
    Q_OBJECT

private slots:
    // Only files a reader can show, with the picture's size in their header, count as pictures.
    void picturesAreKnownByTheirHeader_data()
    {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<QString>("type");
        const QByteArray jpeg = SampleImages::jpeg();
        QTest::newRow("png") << SampleImages::png() << QStringLiteral("image/png");
        QTest::newRow("jpeg") << jpeg << QStringLiteral("image/jpeg");
        QTest::newRow("jpeg with metadata first") << (jpeg.left(2) +
                                                      QByteArray("\xff\xe1\x00\x08"
                                                                 "Exif\x00\x00",
                                                                 10) +
                                                      QByteArray("\xff\xff", 2) + jpeg.mid(2))
                                                  << QStringLiteral("image/jpeg");
        QTest::newRow("gif") << QByteArray("GIF89a\x01\x00\x01\x00\x80\x00\x00", 13)
                             << QStringLiteral("image/gif");
        QTest::newRow("jpeg cut in its header") << jpeg.left(12) << QString();
        QTest::newRow("jpeg cut before its frame") << jpeg.left(jpeg.indexOf("\xff\xc0")) << QString();
        QTest::newRow("jpeg segment longer than the file")
            << QByteArray("\xff\xd8\xff\xe0\x7f\xff", 6) << QString();
        QTest::newRow("png without its header chunk") << SampleImages::png().left(16) << QString();
        QTest::newRow("error page") << QByteArray("<html><body>404 Not Found</body></html>") << QString();
        QTest::newRow("svg") << QByteArray("<svg xmlns=\"http://www.w3.org/2000/svg\"/>") << QString();
        QTest::newRow("webp") << QByteArray("RIFF\x10\x00\x00\x00WEBPVP8 ", 16) << QString();
        QTest::newRow("empty") << QByteArray() << QString();
    }
    void picturesAreKnownByTheirHeader()
    {
        QFETCH(QByteArray, file);
        QFETCH(QString, type);
        QBuffer buffer(&file);
        QVERIFY(buffer.open(QIODevice::ReadOnly));
        QCOMPARE(ImageMediaType(buffer), type);
    }
};

QTEST_GUILESS_MAIN(TestImageTypes)
#include "test_imagetypes.moc"
