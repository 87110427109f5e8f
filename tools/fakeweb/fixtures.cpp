#include "fixtures.h"

#include "server.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>

namespace FakeWeb {

namespace {

const QLatin1String MetaSuffix(".meta");
const QLatin1String QueryMark("%3F");

QByteArray typeForName(const QString& name)
{
    static const QHash<QString, QByteArray> types = {
        {"html", "text/html"},     {"htm", "text/html"},  {"txt", "text/plain"},
        {"js", "text/javascript"}, {"css", "text/css"},   {"json", "application/json"},
        {"xml", "text/xml"},       {"jpg", "image/jpeg"}, {"jpeg", "image/jpeg"},
        {"png", "image/png"},      {"gif", "image/gif"},
    };
    const qsizetype dot = name.lastIndexOf(QLatin1Char('.'));
    return dot < 0 ? QByteArray() : types.value(name.mid(dot + 1).toLower());
}

bool applyMeta(const QString& metaPath, Response& r)
{
    QFile f(metaPath);
    if (!f.open(QIODevice::ReadOnly)) {
        qWarning("fakeweb: cannot read %s", qPrintable(metaPath));
        return false;
    }
    const QStringList lines = QString::fromUtf8(f.readAll()).split(QLatin1Char('\n'));
    for (qsizetype i = 0; i < lines.size(); ++i) {
        const QString line = lines[i].trimmed();
        if (line.isEmpty() || line.startsWith(QLatin1Char('#')))
            continue;
        const qsizetype colon = line.indexOf(QLatin1Char(':'));
        const QString key = line.left(colon).trimmed().toLower();
        const QString value = colon < 0 ? QString() : line.mid(colon + 1).trimmed();
        bool ok = colon > 0;
        if (key == QLatin1String("status")) {
            r.status = value.toInt(&ok);
            ok = ok && r.status >= 100 && r.status <= 599;
        } else if (key == QLatin1String("delay")) {
            r.delayMs = value.toInt(&ok);
            ok = ok && r.delayMs >= 0;
        } else if (key == QLatin1String("mode")) {
            if (value == QLatin1String("never"))
                r.mode = Response::Mode::NeverAnswer;
            else if (value == QLatin1String("reset"))
                r.mode = Response::Mode::Reset;
            else if (value == QLatin1String("normal"))
                r.mode = Response::Mode::Normal;
            else
                ok = false;
        } else if (key == QLatin1String("header")) {
            const qsizetype sep = value.indexOf(QLatin1Char(':'));
            ok = sep > 0;
            if (ok)
                r.headers.append({value.left(sep).trimmed().toUtf8(), value.mid(sep + 1).trimmed().toUtf8()});
        } else {
            ok = false;
        }
        if (!ok) {
            qWarning("fakeweb: %s:%lld: cannot understand \"%s\"", qPrintable(metaPath), qlonglong(i + 1),
                     qPrintable(line));
            return false;
        }
    }
    return true;
}

bool hasHeader(const Response& r, const QByteArray& name)
{
    return std::any_of(r.headers.cbegin(), r.headers.cend(),
                       [&](const auto& h) { return h.first.compare(name, Qt::CaseInsensitive) == 0; });
}

} // namespace

bool loadFixtures(Server& server, const QString& dir)
{
    const QDir root(QFileInfo(dir).absoluteFilePath());
    if (!QFileInfo(dir).isDir()) {
        qWarning("fakeweb: no fixtures folder %s", qPrintable(dir));
        return false;
    }
    QStringList files;
    QDirIterator it(root.path(), QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
    while (it.hasNext())
        files.append(root.relativeFilePath(it.next()));
    files.sort();

    bool ok = true;
    for (const QString& rel : files) {
        QString resource = rel;
        if (rel.endsWith(MetaSuffix)) {
            resource.chop(MetaSuffix.size());
            if (QFileInfo::exists(root.filePath(resource)))
                continue; // read with its file
        }
        const qsizetype slash = resource.indexOf(QLatin1Char('/'));
        if (slash <= 0)
            continue; // not inside a host folder
        const QString host = resource.left(slash);
        QString path = resource.mid(slash); // "/..."
        QString query;
        bool hasQuery = false;
        const qsizetype nameStart = path.lastIndexOf(QLatin1Char('/')) + 1;
        const qsizetype mark = path.indexOf(QueryMark, nameStart, Qt::CaseInsensitive);
        if (mark >= 0) {
            query = path.mid(mark + QueryMark.size());
            path.truncate(mark);
            hasQuery = true;
        }
        path.replace(QLatin1Char('#'), QLatin1String("%23"));
        query.replace(QLatin1Char('#'), QLatin1String("%23"));

        Response r;
        if (resource != rel) {
            if (!applyMeta(root.filePath(rel), r)) {
                ok = false;
                continue;
            }
        } else {
            QFile f(root.filePath(rel));
            if (!f.open(QIODevice::ReadOnly)) {
                qWarning("fakeweb: cannot read %s", qPrintable(f.fileName()));
                ok = false;
                continue;
            }
            r.body = f.readAll();
            const QString meta = root.filePath(rel + MetaSuffix);
            if (QFileInfo::exists(meta) && !applyMeta(meta, r)) {
                ok = false;
                continue;
            }
        }
        if (!hasHeader(r, "Content-Type")) {
            const QByteArray type = typeForName(path.mid(nameStart));
            if (!type.isEmpty())
                r.headers.append({"Content-Type", type});
        }
        QString url = QStringLiteral("http://") + host + path;
        if (hasQuery)
            url += QLatin1Char('?') + query;
        server.addRoute(url, r);
    }
    return ok;
}

} // namespace FakeWeb
