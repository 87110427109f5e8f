#pragma once

#include "text/charset.h"

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QString>
#include <QTest>

// Reading and writing the files of a test's program folder.
namespace TestSupport {

// A file's bytes; empty when it cannot be read.
inline QByteArray ReadBytes(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// A page as the program writes it, in GB2312 (GB18030 here); empty when it cannot be read.
inline QString ReadPage(const QString& path)
{
    return Text::DecodeLocal(ReadBytes(path));
}

// Writes a file whole, making its folder first; a file that cannot be written fails the test.
inline void WriteBytes(const QString& path, const QByteArray& bytes)
{
    QDir().mkpath(QFileInfo(path).path());
    QFile file(path);
    QVERIFY2(file.open(QIODevice::WriteOnly), qPrintable(path));
    QCOMPARE(file.write(bytes), bytes.size());
}

// The settings of an unattended backup, each field as auto.cfg writes it.
struct AutoConfig
{
    QString platform;
    QString name;
    QString address;
    QString pictures = QStringLiteral("True");
    QString comments = QStringLiteral("True");
};

// Writes auto.cfg into the program folder in the program's encoding, a field a line. The program never
// reads the first two bytes; they hold a line break.
inline void WriteAutoConfig(const QString& programFolder, const AutoConfig& config)
{
    const QString text =
        QStringLiteral("\r\n<blog>%1</blog>\r\n<name>%2</name>\r\n<href>%3</href>\r\n<pic>%4</pic>"
                       "\r\n<cmt>%5</cmt>\r\n")
            .arg(config.platform, config.name, config.address, config.pictures, config.comments);
    WriteBytes(programFolder + QStringLiteral("/auto.cfg"), Text::EncodeLocal(text));
}

} // namespace TestSupport
