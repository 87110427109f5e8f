#include "output/bookcover.h"

#include "output/xhtmlcleaner.h"

#include <QXmlStreamWriter>

namespace Output {

namespace {

// A line of the cover, cut where it would run off the picture.
QString CoverLine(const QString& text, qsizetype characters)
{
    const QString line = XmlSafeText(text).simplified();
    return line.size() <= characters ? line : line.left(characters - 1) + u'…';
}

void WriteText(QXmlStreamWriter& out, int y, int size, const QString& text, const QString& colour)
{
    out.writeStartElement(QStringLiteral("text"));
    out.writeAttribute(QStringLiteral("x"), QStringLiteral("300"));
    out.writeAttribute(QStringLiteral("y"), QString::number(y));
    out.writeAttribute(QStringLiteral("font-size"), QString::number(size));
    out.writeAttribute(QStringLiteral("fill"), colour);
    out.writeAttribute(QStringLiteral("text-anchor"), QStringLiteral("middle"));
    out.writeAttribute(QStringLiteral("font-family"), QStringLiteral("serif"));
    out.writeCharacters(text);
    out.writeEndElement();
}

} // namespace

QByteArray CoverSvg(const CoverText& text)
{
    QByteArray bytes;
    QXmlStreamWriter out(&bytes);
    out.writeStartDocument();
    out.writeStartElement(QStringLiteral("svg"));
    out.writeDefaultNamespace(QStringLiteral("http://www.w3.org/2000/svg"));
    out.writeAttribute(QStringLiteral("version"), QStringLiteral("1.1"));
    out.writeAttribute(QStringLiteral("viewBox"), QStringLiteral("0 0 600 800"));
    out.writeAttribute(QStringLiteral("width"), QStringLiteral("600"));
    out.writeAttribute(QStringLiteral("height"), QStringLiteral("800"));
    out.writeEmptyElement(QStringLiteral("rect"));
    out.writeAttribute(QStringLiteral("width"), QStringLiteral("600"));
    out.writeAttribute(QStringLiteral("height"), QStringLiteral("800"));
    out.writeAttribute(QStringLiteral("fill"), QStringLiteral("#f4efe4"));
    out.writeEmptyElement(QStringLiteral("rect"));
    out.writeAttribute(QStringLiteral("x"), QStringLiteral("40"));
    out.writeAttribute(QStringLiteral("y"), QStringLiteral("40"));
    out.writeAttribute(QStringLiteral("width"), QStringLiteral("520"));
    out.writeAttribute(QStringLiteral("height"), QStringLiteral("720"));
    out.writeAttribute(QStringLiteral("fill"), QStringLiteral("none"));
    out.writeAttribute(QStringLiteral("stroke"), QStringLiteral("#7a2e1d"));
    out.writeAttribute(QStringLiteral("stroke-width"), QStringLiteral("4"));

    QString title = CoverLine(text.title, 24);
    if (title.isEmpty()) {
        title = QStringLiteral("无标题");
    }
    // Twelve characters a line at the large size, two lines at most.
    WriteText(out, 280, 40, title.left(12), QStringLiteral("#3b1f14"));
    if (title.size() > 12) {
        WriteText(out, 335, 40, title.mid(12), QStringLiteral("#3b1f14"));
    }
    if (!text.volume.isEmpty()) {
        WriteText(out, 420, 32, CoverLine(text.volume, 16), QStringLiteral("#7a2e1d"));
    }
    if (!text.dates.isEmpty()) {
        WriteText(out, 500, 24, CoverLine(text.dates, 30), QStringLiteral("#3b1f14"));
    }
    WriteText(out, 680, 24, CoverLine(text.platform, 20), QStringLiteral("#3b1f14"));
    out.writeEndDocument();
    return bytes;
}

QByteArray CoverPage(const QString& title, const QString& svgName)
{
    QByteArray body;
    QXmlStreamWriter out(&body);
    out.writeStartElement(QStringLiteral("section"));
    out.writeAttribute(QStringLiteral("epub:type"), QStringLiteral("cover"));
    out.writeEmptyElement(QStringLiteral("img"));
    out.writeAttribute(QStringLiteral("src"), svgName);
    out.writeAttribute(QStringLiteral("alt"), XmlSafeText(title).simplified());
    out.writeAttribute(QStringLiteral("style"), QStringLiteral("width: 100%; height: auto;"));
    out.writeEndElement();
    return XhtmlStart(title) + body + XhtmlEnd();
}

} // namespace Output
