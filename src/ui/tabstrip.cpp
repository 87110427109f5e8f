#include "ui/tabstrip.h"

#include <QFrame>
#include <QResizeEvent>
#include <QTabBar>

namespace Ui {

TabStrip::TabStrip(QWidget* parent) : QWidget(parent), m_bar(new QTabBar(this)), m_body(new QFrame(this))
{
    m_bar->addTab(QStringLiteral("文章"));
    m_bar->addTab(QStringLiteral("图片与评论"));
    m_bar->setDrawBase(false);
    m_bar->setExpanding(false);
    m_body->setFrameShape(QFrame::StyledPanel);
    m_body->lower();
    connect(m_bar, &QTabBar::currentChanged, this, [this](int index) { Q_EMIT tabChosen(Tab(index)); });
}

TabStrip::Tab TabStrip::currentTab() const
{
    return Tab(m_bar->currentIndex());
}

void TabStrip::setCurrentTab(Tab tab)
{
    m_bar->setCurrentIndex(tab);
}

void TabStrip::resizeEvent(QResizeEvent* event)
{
    const int barHeight = m_bar->sizeHint().height();
    m_bar->setGeometry(0, 0, std::min(event->size().width(), m_bar->sizeHint().width()), barHeight);
    m_body->setGeometry(0, barHeight - 1, event->size().width(),
                        std::max(0, event->size().height() - barHeight + 1));
}

} // namespace Ui
