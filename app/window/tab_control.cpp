#include "tab_control.h"

#include <QApplication>
#include <QKeyEvent>
#include <QStyleOptionTabWidgetFrame>
#include <QStylePainter>

namespace rosterly {
namespace {

// Tabs share the row evenly and fill its height, one row for all tabs.
class EvenTabBar final : public QTabBar {
public:
    EvenTabBar(int rowHeight, QWidget* parent) : QTabBar(parent), m_rowHeight(rowHeight) {
        setDrawBase(false);
        setExpanding(false);
        setUsesScrollButtons(false);
        setElideMode(Qt::ElideNone);
    }

protected:
    QSize tabSizeHint(int index) const override {
        const int tabs = qMax(1, count());
        const int width = this->width() / tabs + (index < this->width() % tabs ? 1 : 0);
        return QSize(width, m_rowHeight);
    }
    QSize minimumTabSizeHint(int index) const override { return tabSizeHint(index); }

private:
    int m_rowHeight;
};

}  // namespace

TabControl::TabControl(int tabRowHeight, QWidget* parent)
    : QWidget(parent), m_tabBar(new EvenTabBar(tabRowHeight, this)) {
    m_tabBar->setFixedHeight(tabRowHeight);
    setFocusProxy(m_tabBar);
    setFocusPolicy(m_tabBar->focusPolicy());
    connect(m_tabBar, &QTabBar::currentChanged, this, &TabControl::showPage);
}

QWidget* TabControl::addPage(const QString& caption) {
    auto* page = new QWidget(this);
    page->setGeometry(rect());
    m_pages.append(page);
    m_tabBar->addTab(caption);
    m_tabBar->raise();
    showPage(m_tabBar->currentIndex());
    return page;
}

void TabControl::showPage(int index) {
    for (int i = 0; i < m_pages.size(); ++i) m_pages[i]->setVisible(i == index);
}

// Keys the focused control leaves unhandled come here; page keys work from every control.
void TabControl::keyPressEvent(QKeyEvent* event) {
    const Qt::KeyboardModifiers modifiers =
        event->modifiers() & (Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier);
    const bool shifted = modifiers == (Qt::ControlModifier | Qt::ShiftModifier);
    if (modifiers == Qt::ControlModifier &&
        (event->key() == Qt::Key_Tab || event->key() == Qt::Key_PageDown)) {
        stepPage(1);
    } else if ((shifted && (event->key() == Qt::Key_Backtab || event->key() == Qt::Key_Tab)) ||
               (modifiers == Qt::ControlModifier && event->key() == Qt::Key_PageUp)) {
        stepPage(-1);
    } else {
        QWidget::keyPressEvent(event);
    }
}

void TabControl::stepPage(int step) {
    const int pages = count();
    if (pages == 0) return;
    const QWidget* focus = QApplication::focusWidget();
    const bool focusOnPage = focus && m_pages.value(currentIndex()) &&
                             m_pages.value(currentIndex())->isAncestorOf(focus);
    setCurrentIndex(((currentIndex() + step) % pages + pages) % pages);
    if (focusOnPage || !QApplication::focusWidget()) m_tabBar->setFocus(Qt::TabFocusReason);
}

void TabControl::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    m_tabBar->setGeometry(0, 0, width(), m_tabBar->height());
    for (QWidget* page : m_pages) page->setGeometry(rect());
}

void TabControl::paintEvent(QPaintEvent*) {
    QStylePainter painter(this);
    QStyleOptionTabWidgetFrame frame;
    frame.initFrom(this);
    const int overlap = style()->pixelMetric(QStyle::PM_TabBarBaseOverlap, nullptr, this);
    frame.rect = rect().adjusted(0, m_tabBar->height() - overlap, 0, 0);
    frame.shape = QTabBar::RoundedNorth;
    frame.tabBarRect = m_tabBar->geometry();
    frame.tabBarSize = m_tabBar->size();
    frame.selectedTabRect = m_tabBar->tabRect(m_tabBar->currentIndex());
    frame.lineWidth = style()->pixelMetric(QStyle::PM_DefaultFrameWidth, nullptr, this);
    painter.drawPrimitive(QStyle::PE_FrameTabWidget, frame);
}

}  // namespace rosterly
