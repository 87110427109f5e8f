#pragma once

#include <QByteArray>
#include <QCryptographicHash>
#include <QString>
#include <QStringList>

namespace Output {

// What a book is made from: its options and every file it is made of (name, size, modification and change
// time). Two equal digests mean that making the book again would give the same book.
class BookInputs
{
public:
    // kind: what sort of book, with the version of how it is made.
    explicit BookInputs(QByteArrayView kind);

    void add(QByteArrayView name, QByteArrayView value);
    // The same as add() with the text in UTF-8, converted a piece at a time.
    void addText(QByteArrayView name, const QString& value);
    // A file by what the file system tells of it, without reading it (a program, a listed file).
    void addFile(QByteArrayView name, const QString& path);
    // A file by its contents, read a piece at a time; one that cannot be read (or no path) counts as empty.
    void addContents(QByteArrayView name, const QString& path);
    // The files of a listing, relative to folder, in listing order.
    void addListing(const QString& folder, const QStringList& files);

    QByteArray digest() const;
    // The latest modification time of a listed file (milliseconds since the epoch).
    qint64 newest() const { return m_newest; }

private:
    // What goes before a piece's value: its name and the value's length.
    void addHead(QByteArrayView name, qint64 valueSize);

    QCryptographicHash m_hash{QCryptographicHash::Sha256};
    qint64 m_newest = 0;
};

// True when the book at bookPath is the one the stamp file records as made from these inputs: the stamp
// names the same digest and the book's size and modification time as they are now, and no listed file is
// newer than the book.
bool BookIsCurrent(const QString& stampPath, const QString& bookPath, const BookInputs& inputs);

// Records that the book at bookPath was just made from these inputs. A stamp that cannot be written only
// means that the next run makes the book again.
void StampBook(const QString& stampPath, const QString& bookPath, const BookInputs& inputs);

// The status line when the book is left as it was.
QString BookReusedText(const QString& bookPath);

} // namespace Output
