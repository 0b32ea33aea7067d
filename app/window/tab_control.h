// A tab control whose pages share its own coordinates: a page's children are
// placed relative to the control's top-left corner, tab row included, the way
// the window's design gives them. The tab row lies above the pages, so a
// child must start below the row to stay whole. Ctrl+Tab and Ctrl+PageDown
// select the next page, Ctrl+Shift+Tab and Ctrl+PageUp the previous one,
// wrapping around, from wherever the focus is inside the control.
#pragma once

#include <QTabBar>
#include <QWidget>

namespace rosterly {

class TabControl : public QWidget {
    Q_OBJECT
public:
    TabControl(int tabRowHeight, QWidget* parent);

    // The new page covers the whole control and shows while its tab is
    // selected. The control owns it.
    QWidget* addPage(const QString& caption);
    QWidget* page(int index) const { return m_pages.value(index); }
    int count() const { return static_cast<int>(m_pages.size()); }

    int currentIndex() const { return m_tabBar->currentIndex(); }
    void setCurrentIndex(int index) { m_tabBar->setCurrentIndex(index); }
    QTabBar* tabBar() const { return m_tabBar; }

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void showPage(int index);
    // Selects the page `step` pages on, wrapping around; the tab row takes the focus when it
    // was on the page just hidden, as the user's place.
    void stepPage(int step);

    QTabBar* m_tabBar;
    QList<QWidget*> m_pages;
};

}  // namespace rosterly
