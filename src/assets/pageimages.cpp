#include "assets/pageimages.h"

#include "assets/assetnames.h"
#include "model/pagerecord.h"
#include "model/runstate.h"
#include "text/charset.h"
#include "text/safefilename.h"

#include <QFile>
#include <QFileInfo>

namespace Assets {

namespace {

// How a rewritten web image stands in a saved page: the local name of an http or https address.
const QByteArray Reference = "src=\"http";
const QList<QByteArray> LocalForms = {"___", "s___"};

} // namespace

QSet<QString> MissingPageImages(const QString& pagePath)
{
    QSet<QString> missing;
    QFile file(pagePath);
    if (!file.open(QIODevice::ReadOnly)) {
        return missing;
    }
    const QByteArray bytes = file.readAll();
    const QString folder = QFileInfo(pagePath).path() + u'/';
    for (qsizetype at = bytes.indexOf(Reference); at >= 0; at = bytes.indexOf(Reference, at + 1)) {
        const qsizetype start = at + 5; // the name, after src="
        const qsizetype rest = start + 4;
        bool local = false;
        for (const QByteArray& form : LocalForms) {
            local = local || bytes.mid(rest, form.size()) == form;
        }
        const qsizetype end = bytes.indexOf('"', start);
        if (!local || end < 0) {
            continue;
        }
        const QString name = Text::DecodeLocal(bytes.mid(start, end - start));
        if (!name.contains(u'/') && !QFileInfo(folder + name).isFile()) {
            missing.insert(name);
        }
    }
    return missing;
}

QList<PageImages> PagesMissingImages(const Model::RunState& state)
{
    QList<PageImages> pages;
    for (int row = 1; row <= state.articles.articleCount(); ++row) {
        QSet<QString> missing = MissingPageImages(state.articlePagePath(row));
        if (!missing.isEmpty()) {
            pages.append({row, Model::PageRecord::pageName(state, row),
                          Text::SafeFileName(state.articles.category(row)), std::move(missing)});
        }
    }
    return pages;
}

QStringList AddressesOfImages(const QString& page, const QSet<QString>& names)
{
    // Every address starts with "http" and ends where an attribute value or a tag ends.
    static const QString Ends = QStringLiteral("\"' <>\r\n\t");
    QStringList addresses;
    QSet<QString> found;
    for (qsizetype at = page.indexOf(QLatin1String("http")); at >= 0;
         at = page.indexOf(QLatin1String("http"), at + 1)) {
        qsizetype end = at;
        while (end < page.size() && !Ends.contains(page.at(end))) {
            ++end;
        }
        const QString address = page.mid(at, end - at);
        const QString name = LocalImageName(address);
        if (names.contains(name) && !found.contains(name)) {
            found.insert(name);
            addresses.append(address);
        }
    }
    return addresses;
}

} // namespace Assets
