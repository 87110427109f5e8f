#pragma once

#include <QList>
#include <QSet>
#include <QString>
#include <QStringList>

namespace Model {
class RunState;
}

namespace Assets {

// The local images that a saved article page refers to and that are not on disk. Page assembly rewrites
// every web image of a body to a local name beside the page (see LocalImageName), so the saved pages
// themselves say which images the backup must hold, whatever any record says.
struct PageImages
{
    int row = 0;
    QString article; // the page as the page record names it
    QString folder;  // the folder of its category, where its images go
    QSet<QString> missing;
};

// The local image names a saved page refers to that do not name a file beside it. Reads the page's bytes
// without decoding it whole: a backup of thousands of pages is looked over in a moment.
QSet<QString> MissingPageImages(const QString& pagePath);

// The pages of the listed articles that miss local images, in list order.
QList<PageImages> PagesMissingImages(const Model::RunState& state);

// The web addresses in a page, as the blog serves it, whose local image names are among names: the
// addresses that the missing images were fetched from.
QStringList AddressesOfImages(const QString& page, const QSet<QString>& names);

} // namespace Assets
