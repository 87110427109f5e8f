#include "model/layoutdescription.h"

namespace Model {

namespace {

QString Quoted(const QString& text)
{
    return QStringLiteral("“") + text + QStringLiteral("”");
}

} // namespace

QString BodyLayout::describe() const
{
    if (kind == Kind::Element) {
        return Quoted(u'<' + tag + u' ' + attribute + QStringLiteral("=\"") + value + QStringLiteral("\">"));
    }
    return Quoted(start) + QStringLiteral("…") + Quoted(end);
}

} // namespace Model
