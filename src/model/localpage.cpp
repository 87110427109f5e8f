#include "model/localpage.h"

#include "text/charset.h"

#include <QFile>
#include <QFileInfo>

namespace Model {

namespace {

// A fallback page is a few hundred bytes and the article's address; no article page is that short and
// starts like one.
constexpr qint64 MostFallbackBytes = 16 * 1024;
constexpr qint64 OpeningBytes = 1024;

const QString FallbackOpening = QStringLiteral("博文已经删除或访问受限或者下载超时");

} // namespace

QString FallbackPageMark()
{
    return QStringLiteral("<!-- qvlrx:fallback -->");
}

LocalPage InspectLocalPage(const QString& path)
{
    const QFileInfo info(path);
    if (!info.isFile()) {
        return LocalPage::Missing;
    }
    if (info.size() > MostFallbackBytes) {
        return LocalPage::Article;
    }
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        return LocalPage::Article;
    }
    QString opening = Text::DecodeLocal(file.read(OpeningBytes));
    const QString declaration = Text::LocalCharsetDeclaration() + QStringLiteral("\r\n");
    if (opening.startsWith(declaration)) {
        opening.remove(0, declaration.size());
    }
    return opening.startsWith(FallbackPageMark()) || opening.startsWith(FallbackOpening) ? LocalPage::Fallback
                                                                                         : LocalPage::Article;
}

} // namespace Model
