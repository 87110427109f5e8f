#include "output/bookstamp.h"

#include "text/textfiles.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <algorithm>

namespace Output {

namespace {

qint64 Time(const QFileInfo& file, QFileDevice::FileTime which)
{
    return file.fileTime(which).toMSecsSinceEpoch();
}

// "digest size time" of a book, the whole content of its stamp.
QByteArray StampLine(const QByteArray& digest, const QFileInfo& book)
{
    return digest.toHex() + ' ' + QByteArray::number(book.size()) + ' ' +
           QByteArray::number(Time(book, QFileDevice::FileModificationTime)) + '\n';
}

} // namespace

BookInputs::BookInputs(QByteArrayView kind)
{
    add("kind", kind);
    // A new build of the program may make the book differently.
    const QString program = QCoreApplication::applicationFilePath();
    if (!program.isEmpty()) {
        addFile("program", program);
    }
}

void BookInputs::addHead(QByteArrayView name, qint64 valueSize)
{
    // Lengths first, so that no two different sequences of pieces give the same bytes.
    m_hash.addData(QByteArray::number(name.size()) + ':');
    m_hash.addData(name);
    m_hash.addData(QByteArray::number(valueSize) + ':');
}

void BookInputs::add(QByteArrayView name, QByteArrayView value)
{
    addHead(name, value.size());
    m_hash.addData(value);
}

void BookInputs::addText(QByteArrayView name, const QString& value)
{
    // A project of 100,000 articles is megabytes: it is hashed without a whole copy in UTF-8. A piece
    // never ends between the two halves of a surrogate pair.
    const auto forEachPiece = [&value](const auto& use) {
        constexpr qsizetype PieceSize = 1 << 16;
        for (qsizetype at = 0; at < value.size();) {
            qsizetype size = std::min(PieceSize, value.size() - at);
            if (at + size < value.size() && value.at(at + size - 1).isHighSurrogate()) {
                --size;
            }
            use(QStringView(value).mid(at, size).toUtf8());
            at += size;
        }
    };
    qsizetype length = 0;
    forEachPiece([&length](const QByteArray& piece) { length += piece.size(); });
    addHead(name, length);
    forEachPiece([this](const QByteArray& piece) { m_hash.addData(piece); });
}

void BookInputs::addContents(QByteArrayView name, const QString& path)
{
    QFile file(path);
    if (path.isEmpty() || !file.open(QIODevice::ReadOnly)) {
        add(name, {});
        return;
    }
    // The same bytes as add() with the whole contents, without holding them (a contents file of 100,000
    // articles is some 17 MB).
    addHead(name, file.size());
    m_hash.addData(&file);
}

void BookInputs::addFile(QByteArrayView name, const QString& path)
{
    const QFileInfo file(path);
    QByteArray facts = QFile::encodeName(file.absoluteFilePath());
    if (file.exists()) {
        facts += ' ' + QByteArray::number(file.size()) + ' ' +
                 QByteArray::number(Time(file, QFileDevice::FileModificationTime)) + ' ' +
                 QByteArray::number(Time(file, QFileDevice::FileMetadataChangeTime));
    }
    add(name, facts);
}

void BookInputs::addListing(const QString& folder, const QStringList& files)
{
    const QDir root(folder);
    add("files", QByteArray::number(files.size()));
    for (const QString& relative : files) {
        const QFileInfo file(root.filePath(relative));
        const qint64 modified = Time(file, QFileDevice::FileModificationTime);
        // The change time moves also when a file is put back with an old modification time.
        add(relative.toUtf8(), QByteArray::number(file.size()) + ' ' + QByteArray::number(modified) + ' ' +
                                   QByteArray::number(Time(file, QFileDevice::FileMetadataChangeTime)));
        m_newest = std::max(m_newest, modified);
    }
}

QByteArray BookInputs::digest() const
{
    return m_hash.result();
}

bool BookIsCurrent(const QString& stampPath, const QString& bookPath, const BookInputs& inputs)
{
    const QFileInfo book(bookPath);
    if (!book.isFile()) {
        return false;
    }
    QFile stamp(stampPath);
    if (!stamp.open(QIODevice::ReadOnly)) {
        return false;
    }
    return stamp.read(4096) == StampLine(inputs.digest(), book) &&
           inputs.newest() <= Time(book, QFileDevice::FileModificationTime);
}

void StampBook(const QString& stampPath, const QString& bookPath, const BookInputs& inputs)
{
    try {
        Text::WriteBytesFileAt(stampPath, StampLine(inputs.digest(), QFileInfo(bookPath)));
    } catch (const std::exception&) {
        QFile::remove(stampPath);
    }
}

QString BookReusedText(const QString& bookPath)
{
    return QStringLiteral("电子书已是最新，未重新打包：") + bookPath;
}

} // namespace Output
