#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QList>
#include <QString>

namespace Output {

// The files of a book that describe it: META-INF/container.xml, the package document (content.opf) and
// the navigation document (nav.xhtml).

struct BookMetadata
{
    QString identifier; // urn:uuid:...
    QString title;
    QString source;          // the blog's address
    QDateTime backedUp;      // the date of the backup
    QString collection = {}; // a volume: the book it is part of
    int position = 0;        // a volume: its number in the collection, from 1
};

// A file of the book; every page in reading order goes into the spine.
struct ManifestItem
{
    QString href; // relative to the package document
    QString mediaType;
    bool inSpine = false;
    QString properties;
};

// An entry of the contents: a label, the page it opens (none for a heading without a page) and the entries
// below it.
struct NavEntry
{
    QString label;
    QString href;
    QList<NavEntry> children;
};

// The same book (task name and blog address) always gets the same identifier.
QString BookIdentifier(const QString& taskName, const QString& blogAddress);

QByteArray ContainerXml(const QString& packagePath);
QByteArray PackageDocument(const BookMetadata& metadata, const QList<ManifestItem>& items);
QByteArray NavDocument(const QString& title, const QList<NavEntry>& entries);

} // namespace Output
