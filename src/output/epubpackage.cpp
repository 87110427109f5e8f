#include "output/epubpackage.h"

#include "output/xhtmlcleaner.h"

#include <QUuid>
#include <QXmlStreamWriter>

namespace Output {

namespace {

const QString OpfNamespace = QStringLiteral("http://www.idpf.org/2007/opf");
const QString DcNamespace = QStringLiteral("http://purl.org/dc/elements/1.1/");

// A label that is never empty (an empty link text is an error in the contents).
QString Label(const QString& text)
{
    const QString label = XmlSafeText(text).simplified();
    return label.isEmpty() ? QStringLiteral("无标题") : label;
}

void WriteEntries(QXmlStreamWriter& out, const QList<NavEntry>& entries)
{
    out.writeStartElement(QStringLiteral("ol"));
    for (const NavEntry& entry : entries) {
        out.writeStartElement(QStringLiteral("li"));
        if (entry.href.isEmpty()) {
            out.writeTextElement(QStringLiteral("span"), Label(entry.label));
        } else {
            out.writeStartElement(QStringLiteral("a"));
            out.writeAttribute(QStringLiteral("href"), entry.href);
            out.writeCharacters(Label(entry.label));
            out.writeEndElement();
        }
        if (!entry.children.isEmpty()) {
            WriteEntries(out, entry.children);
        }
        out.writeEndElement();
    }
    out.writeEndElement();
}

} // namespace

QString BookIdentifier(const QString& taskName, const QString& blogAddress)
{
    static const QUuid books(QStringLiteral("{6f1c0d52-3b7e-4c55-9a4e-2d8f61b0e7a3}"));
    return QStringLiteral("urn:uuid:") +
           QUuid::createUuidV5(books, taskName + u'\n' + blogAddress).toString(QUuid::WithoutBraces);
}

QByteArray ContainerXml(const QString& packagePath)
{
    QByteArray bytes;
    QXmlStreamWriter out(&bytes);
    out.setAutoFormatting(true);
    out.writeStartDocument();
    out.writeStartElement(QStringLiteral("container"));
    out.writeDefaultNamespace(QStringLiteral("urn:oasis:names:tc:opendocument:xmlns:container"));
    out.writeAttribute(QStringLiteral("version"), QStringLiteral("1.0"));
    out.writeStartElement(QStringLiteral("rootfiles"));
    out.writeEmptyElement(QStringLiteral("rootfile"));
    out.writeAttribute(QStringLiteral("full-path"), packagePath);
    out.writeAttribute(QStringLiteral("media-type"), QStringLiteral("application/oebps-package+xml"));
    out.writeEndDocument();
    return bytes;
}

QByteArray PackageDocument(const BookMetadata& metadata, const QList<ManifestItem>& items)
{
    QByteArray bytes;
    QXmlStreamWriter out(&bytes);
    out.setAutoFormatting(true);
    out.writeStartDocument();
    out.writeStartElement(QStringLiteral("package"));
    out.writeDefaultNamespace(OpfNamespace);
    out.writeAttribute(QStringLiteral("version"), QStringLiteral("3.0"));
    out.writeAttribute(QStringLiteral("unique-identifier"), QStringLiteral("book-id"));
    out.writeAttribute(QStringLiteral("xml:lang"), QStringLiteral("zh"));

    out.writeStartElement(QStringLiteral("metadata"));
    out.writeNamespace(DcNamespace, QStringLiteral("dc"));
    out.writeStartElement(DcNamespace, QStringLiteral("identifier"));
    out.writeAttribute(QStringLiteral("id"), QStringLiteral("book-id"));
    out.writeCharacters(metadata.identifier);
    out.writeEndElement();
    out.writeTextElement(DcNamespace, QStringLiteral("title"), Label(metadata.title));
    out.writeTextElement(DcNamespace, QStringLiteral("language"), QStringLiteral("zh"));
    const QString source = XmlSafeText(metadata.source).trimmed();
    if (!source.isEmpty()) {
        out.writeTextElement(DcNamespace, QStringLiteral("source"), source);
    }
    const QDateTime utc = metadata.backedUp.toUTC();
    out.writeTextElement(DcNamespace, QStringLiteral("date"), utc.toString(QStringLiteral("yyyy-MM-dd")));
    out.writeStartElement(QStringLiteral("meta"));
    out.writeAttribute(QStringLiteral("property"), QStringLiteral("dcterms:modified"));
    out.writeCharacters(utc.toString(QStringLiteral("yyyy-MM-ddTHH:mm:ssZ")));
    out.writeEndElement();
    if (metadata.position > 0) {
        const auto refine = [&out](const QString& property, const QString& value) {
            out.writeStartElement(QStringLiteral("meta"));
            out.writeAttribute(QStringLiteral("refines"), QStringLiteral("#collection"));
            out.writeAttribute(QStringLiteral("property"), property);
            out.writeCharacters(value);
            out.writeEndElement();
        };
        out.writeStartElement(QStringLiteral("meta"));
        out.writeAttribute(QStringLiteral("property"), QStringLiteral("belongs-to-collection"));
        out.writeAttribute(QStringLiteral("id"), QStringLiteral("collection"));
        out.writeCharacters(Label(metadata.collection));
        out.writeEndElement();
        refine(QStringLiteral("collection-type"), QStringLiteral("series"));
        refine(QStringLiteral("group-position"), QString::number(metadata.position));
    }
    for (qsizetype i = 0; i < items.size(); ++i) {
        if (items.at(i).properties == QLatin1String("cover-image")) {
            // Readers of the older format look for the cover here.
            out.writeEmptyElement(QStringLiteral("meta"));
            out.writeAttribute(QStringLiteral("name"), QStringLiteral("cover"));
            out.writeAttribute(QStringLiteral("content"), QStringLiteral("item") + QString::number(i + 1));
        }
    }
    out.writeEndElement(); // metadata

    out.writeStartElement(QStringLiteral("manifest"));
    for (qsizetype i = 0; i < items.size(); ++i) {
        const ManifestItem& item = items.at(i);
        out.writeEmptyElement(QStringLiteral("item"));
        out.writeAttribute(QStringLiteral("id"), QStringLiteral("item") + QString::number(i + 1));
        out.writeAttribute(QStringLiteral("href"), item.href);
        out.writeAttribute(QStringLiteral("media-type"), item.mediaType);
        if (!item.properties.isEmpty()) {
            out.writeAttribute(QStringLiteral("properties"), item.properties);
        }
    }
    out.writeEndElement();

    out.writeStartElement(QStringLiteral("spine"));
    for (qsizetype i = 0; i < items.size(); ++i) {
        if (items.at(i).inSpine) {
            out.writeEmptyElement(QStringLiteral("itemref"));
            out.writeAttribute(QStringLiteral("idref"), QStringLiteral("item") + QString::number(i + 1));
        }
    }
    out.writeEndDocument();
    return bytes;
}

QByteArray NavDocument(const QString& title, const QList<NavEntry>& entries)
{
    QByteArray body;
    QXmlStreamWriter out(&body);
    out.writeStartElement(QStringLiteral("nav"));
    out.writeAttribute(QStringLiteral("epub:type"), QStringLiteral("toc"));
    out.writeAttribute(QStringLiteral("id"), QStringLiteral("toc"));
    out.writeTextElement(QStringLiteral("h1"), Label(title));
    WriteEntries(out, entries);
    out.writeEndElement();
    return XhtmlStart(title) + body + XhtmlEnd();
}

} // namespace Output
