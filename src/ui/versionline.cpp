#include "ui/versionline.h"

#include "model/endpoints.h"

#include <QMouseEvent>

namespace Ui {

namespace {

const QString MakerContactNumber = QStringLiteral("00000000");

} // namespace

VersionLine::VersionLine(QWidget* parent) : QLabel(QStringLiteral("版本:2011-XXXX"), parent)
{
    setCursor(Qt::PointingHandCursor);
}

void VersionLine::mouseReleaseEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint())) {
        Q_EMIT clicked();
    }
    QLabel::mouseReleaseEvent(event);
}

QString AboutText()
{
    return QStringList{
        QStringLiteral("卷轴匣"),
        QStringLiteral("制作：qvlrx"),
        QStringLiteral("QQ:") + MakerContactNumber,
        QStringLiteral("http://") + Model::Endpoints::MakerSiteHost(),
        QStringLiteral("如发现下载不了的博客"),
        QStringLiteral("或者使用中有任何问题请反馈，谢谢！"),
    }
        .join(u'\r');
}

} // namespace Ui
