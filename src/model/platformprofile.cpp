#include "model/platformprofile.h"

#include "model/layoutfiles.h"

namespace Model {

PlatformProfileTable::PlatformProfileTable()
{
    BuildPlatformProfileTable();
}

void PlatformProfileTable::BuildPlatformProfileTable()
{
    for (int code = 0; code < PlatformCount; ++code) {
        const PlatformDescription& description = LayoutDescription(code);
        PlatformProfile& row = m_rows[size_t(code)];
        row.Name = description.name;
        row.Charset = description.charset;
        row.BodyStartMarker = description.bodyStart;
        row.BodyEndMarker = description.bodyEnd;
        row.NoArticleMarker1 = description.noArticle[0];
        row.NoArticleMarker2 = description.noArticle[1];
        row.NoArticleMarker3 = description.noArticle[2];
    }
}

const PlatformProfile& PlatformProfileTable::operator[](int code) const
{
    static const PlatformProfile none;
    if (!IsPlatformCode(code)) {
        return none;
    }
    return m_rows[size_t(code)];
}

void PlatformProfileTable::SetBodyMarkers(int code, const QString& startText, const QString& endText)
{
    if (!IsPlatformCode(code)) {
        return;
    }
    m_rows[size_t(code)].BodyStartMarker = startText;
    m_rows[size_t(code)].BodyEndMarker = endText;
}

} // namespace Model
