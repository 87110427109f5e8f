#pragma once

#include "output/bookplan.h"

#include <QList>
#include <QString>
#include <QtGlobal>

#include <functional>

namespace Output {

// How much one volume of a book may hold. Below the entry limit no archive needs ZIP64, which many
// readers and book checkers cannot open.
struct VolumeLimits
{
    int articles = 2000;
    qint64 bytes = 45LL * 1024 * 1024;
    int entries = 60000;
};

// What a page brings into a book: itself and the saved files it refers to in its folder (pictures,
// comment pages), by their size on the disk.
struct PageWeight
{
    qint64 bytes = 0;
    int entries = 0;
};

PageWeight WeighPage(const QString& path);

// Splits the plan into volumes within the limits, in reading order, no article split across two. A
// category starts a new volume when it would fit whole into one but no longer into the current volume;
// a category larger than a volume is split between its articles. The home page opens the first volume;
// the pages that list every article (of the blog, of a category) are left out of volumes, and the other
// index pages of a category go with its articles (the page of twenty with the volume that holds the
// first of them). An article larger than a volume gets one of its own.
// Without a need to split, the plan itself is the one volume.
QList<BookPlan> SplitIntoVolumes(const BookPlan& plan, const VolumeLimits& limits,
                                 const std::function<PageWeight(const QString&)>& weigh = WeighPage);

} // namespace Output
