#pragma once

#include "model/layoutdescription.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <optional>

// The description files of the platforms: one JSON file each, built into the program, and replaced by a
// file of the same name in the folder "layouts" beside the program, so that a site that changed its pages
// can be followed without a new program.
namespace Model {

// The file name of a platform's description ("sina.json"); empty for a code outside 0 to 16.
QString LayoutFileName(int platform);

// A description read, or why it was refused: the field at fault ("layouts[1].rows[0].linkPattern";
// empty when the text is no JSON at all) and what is wrong with it.
struct LayoutReading
{
    std::optional<PlatformDescription> description;
    QString field;
    QString problem;
};

// Reads the description of a platform. Refused when it does not parse, lacks a field, holds a value of
// the wrong kind, an empty marker, a pattern that does not compile or one that matches the empty text
// (which every page matches).
LayoutReading ReadLayoutDescription(const QByteArray& json, int platform);

// The description in use for the platform: the built-in one until InstallLayouts read another.
const PlatformDescription& LayoutDescription(int platform);

// Puts every platform's description in use anew: the file of its name in the folder "layouts" of the
// program folder when there is one and it is sound, else the built-in one. Returns one message for each
// file refused, naming the file and the field.
QStringList InstallLayouts(const QString& programFolder);

// Every platform with the layouts it knows, the first one first, and where they come from.
QString LayoutListing();

} // namespace Model
