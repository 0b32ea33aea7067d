// Every caption of Form1 shows whole: each control is at least as large as its text needs, by
// the style's own measure, on every page. Registered three times: at the normal scale, at twice
// it, and with fonts at 192 dpi.
#include <QGroupBox>
#include <QStyle>
#include <QTabBar>

#include "support/form1_fixture.h"
#include "window/twips.h"

namespace rosterly {
namespace {

// The size a control needs to show its caption or text whole. Push buttons are measured by
// caption, as their size hint adds a minimum width that has nothing to do with the text.
QSize neededSize(const QWidget* widget) {
    if (const auto* push = qobject_cast<const QPushButton*>(widget)) {
        const int margin = push->style()->pixelMetric(QStyle::PM_ButtonMargin, nullptr, push);
        const QString caption = QString(push->text()).remove(u'&');
        return {push->fontMetrics().horizontalAdvance(caption) + 2 * margin,
                push->sizeHint().height()};
    }
    if (const auto* edit = qobject_cast<const QLineEdit*>(widget))
        return {0, edit->minimumSizeHint().height()};
    if (const auto* frame = qobject_cast<const QGroupBox*>(widget))
        return {frame->fontMetrics().horizontalAdvance(frame->title()), 0};
    if (qobject_cast<const QCheckBox*>(widget) || qobject_cast<const QLabel*>(widget))
        return widget->sizeHint();
    return {};
}

class Form1CaptionTest : public Form1Test {
protected:
    void expectWholeCaptions(int page) {
        showPage(page);
        for (QWidget* widget : form->SSTab1->page(page)->findChildren<QWidget*>()) {
            if (!widget->isVisible()) continue;
            const QSize needed = neededSize(widget);
            EXPECT_LE(needed.width(), widget->width()) << widget->objectName().toStdString();
            EXPECT_LE(needed.height(), widget->height()) << widget->objectName().toStdString();
        }
    }
};

TEST_F(Form1CaptionTest, RunsAtTheScaleItWasStartedWith) {
    double scale = 1.0;
    if (qEnvironmentVariableIsSet("QT_SCALE_FACTOR"))
        scale *= qEnvironmentVariable("QT_SCALE_FACTOR").toDouble();
    if (qEnvironmentVariableIsSet("QT_FONT_DPI"))
        scale *= qEnvironmentVariable("QT_FONT_DPI").toDouble() / 96;
    EXPECT_DOUBLE_EQ(form->devicePixelRatioF(), scale);
    // The layout is in twips whatever the scale.
    EXPECT_EQ(form->size(), QSize(twipsToPixels(4695), twipsToPixels(2790)));
}

TEST_F(Form1CaptionTest, EveryControlShowsItsCaptionWhole) {
    tick(form->Check2);  // shows Check3 and Text4 too
    for (int page = 0; page < form->SSTab1->count(); ++page) expectWholeCaptions(page);
}

TEST_F(Form1CaptionTest, TabCaptionsFitTheirTabs) {
    const QTabBar* tabs = form->SSTab1->tabBar();
    for (int i = 0; i < tabs->count(); ++i) {
        EXPECT_LT(tabs->fontMetrics().horizontalAdvance(tabs->tabText(i)),
                  tabs->tabRect(i).width());
        EXPECT_LE(tabs->fontMetrics().height(), tabs->tabRect(i).height());
    }
}

// Boxes that grow to show their captions never cover the control of the next row but one, and
// every check box stays clickable where it shows.
TEST_F(Form1CaptionTest, GrownCheckBoxesKeepTheirRows) {
    tick(form->Check2);
    showPage(2);
    const QList<QCheckBox*> rows = {form->Check1, form->Check2, form->chkSort, form->Check3};
    for (qsizetype i = 0; i + 1 < rows.size(); ++i) {
        EXPECT_LT(rows[i]->geometry().top(), rows[i + 1]->geometry().top());
        const QPoint middle = rows[i]->geometry().center();
        EXPECT_EQ(rows[i]->parentWidget()->childAt(middle), rows[i])
            << rows[i]->objectName().toStdString();
    }
    EXPECT_LE(form->Check3->geometry().bottom(), form->Text4->geometry().top());
}

}  // namespace
}  // namespace rosterly
