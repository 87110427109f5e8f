#pragma once

#include <QWidget>

class QFrame;
class QTabBar;

namespace Ui {

// The tab strip TabSp with its two tabs "文章" (articles) and "图片与评论" (images and comments). The grids
// are not its children: they lie over its body, and the window shows the grid of the chosen tab.
class TabStrip final : public QWidget
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(TabStrip)

public:
    enum Tab { ArticleTab = 0, AssetTab = 1 };

    explicit TabStrip(QWidget* parent = nullptr);

    Tab currentTab() const;
    void setCurrentTab(Tab tab);
    QTabBar* tabBar() const { return m_bar; }

Q_SIGNALS:
    void tabChosen(Ui::TabStrip::Tab tab);

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    QTabBar* m_bar;
    QFrame* m_body;
};

} // namespace Ui
