#pragma once

#include <QString>

namespace Model {
class RunState;
}

// What a double-click in the window opens.
namespace Ui {

struct OpenTarget
{
    enum class Kind { Nothing, LocalFile, WebAddress } kind = Kind::Nothing;
    QString where;

    bool operator==(const OpenTarget&) const = default;
};

// An entry of the list box: the text after its first line break, or else the entry up to its first two
// blanks in a row (all of it when it has none) when that holds "http"; nothing otherwise.
OpenTarget ListEntryTarget(const QString& entry);

// An article row: its local page once it has been saved ("●"), otherwise its web address. Nothing for a
// row that is no article (the spare row).
OpenTarget ArticleTarget(const Model::RunState& state, int row);

// A row of the image and comment queue: the saved file (under the name the fetcher gave it), otherwise
// the web address. Nothing for a row that is no job.
OpenTarget AssetTarget(const Model::RunState& state, int row);

} // namespace Ui
