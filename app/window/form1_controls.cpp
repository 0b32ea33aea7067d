// Form1's design: every control where the design puts it, converted from
// twips, with its design-time caption and state, named for screen readers.
#include <algorithm>

#include <QFontMetrics>
#include <QStyle>

#include "form1.h"
#include "picture_button.h"
#include "program_icon.h"
#include "twips.h"

namespace rosterly {
namespace {

// The design's tab row is 520 twips, but the first row of options starts at
// 480 twips: the row is drawn that high so they stay whole and clickable.
constexpr int kTabRowHeight = twipsToPixels(480);

template <class W>
W* placed(W* widget, const char* name, QRect geometry) {
    widget->setObjectName(QLatin1String(name));
    widget->setGeometry(geometry);
    return widget;
}

QLabel* label(QWidget* page, const char* name, const QString& caption, QRect at,
              Qt::Alignment alignment = Qt::AlignLeft) {
    auto* widget = placed(new QLabel(caption, page), name, at);
    widget->setAlignment(alignment | Qt::AlignTop);
    return widget;
}

QLineEdit* textBox(QWidget* page, const char* name, const QString& text, QRect at) {
    auto* widget = placed(new QLineEdit(text, page), name, at);
    widget->setCursorPosition(0);
    return widget;
}

QCheckBox* checkBox(QWidget* page, const char* name, const QString& caption, QRect at) {
    return placed(new QCheckBox(caption, page), name, at);
}

QPushButton* button(QWidget* page, const char* name, const QString& caption, QRect at) {
    return placed(new QPushButton(caption, page), name, at);
}

// A check box's caption may need more height than the design gives the box (its indicator and
// the text's lower edge are cut off otherwise). It grows to at most the tallest check box of the
// design, which reaches one pixel into the next row; check boxes paint no background, so
// neither hides the other.
constexpr int kTallestCheckBox = twipsToPixels(255);

// Whether a caption fits inside its control, by the style's own measure.
bool captionFits(const QWidget* widget) {
    const QFontMetrics metrics(widget->font());
    if (const auto* check = qobject_cast<const QCheckBox*>(widget))
        return check->sizeHint().width() <= check->width() &&
               check->sizeHint().height() <= kTallestCheckBox;
    if (const auto* label = qobject_cast<const QLabel*>(widget))
        return label->sizeHint().width() <= label->width() && metrics.height() <= label->height();
    if (const auto* push = qobject_cast<const QPushButton*>(widget)) {
        const int margin = widget->style()->pixelMetric(QStyle::PM_ButtonMargin, nullptr, widget);
        return metrics.horizontalAdvance(QString(push->text()).remove(u'&')) + 2 * margin <=
                   push->width() &&
               push->sizeHint().height() <= push->height();
    }
    if (const auto* frame = qobject_cast<const QGroupBox*>(widget))
        return metrics.horizontalAdvance(frame->title()) + 16 <= frame->width();
    if (const auto* edit = qobject_cast<const QLineEdit*>(widget))
        return edit->minimumSizeHint().height() <= edit->height();
    return true;
}

// Grows a box whose caption needs more height than the design gives it, keeping its place.
void growToCaption(QCheckBox* box) {
    box->resize(box->width(), std::max(box->height(), box->sizeHint().height()));
}

// A label read out for the field it names, and the field's own name for screen readers.
void nameField(QLabel* label, QWidget* field, const QString& name) {
    if (label) label->setBuddy(field);
    field->setAccessibleName(name);
}

}  // namespace

void Form1::setUpWindow() {
    setObjectName(QStringLiteral("Form1"));
    setWindowTitle(QStringLiteral("Rosterly Pro"));
    setWindowIcon(programIcon());
    setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                   Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint);
    setFixedSize(twipsToPixels(4695), twipsToPixels(2790));
}

void Form1::createControls() {
    SSTab1 = placed(new TabControl(kTabRowHeight, this), "SSTab1", twipsRect(0, 120, 4695, 2655));
    createInputPage(SSTab1->addPage(QStringLiteral("Input File")));
    createOutputPage(SSTab1->addPage(QStringLiteral("Output File")));
    createExtractPage(SSTab1->addPage(QStringLiteral("Extract")));
    SSTab1->setCurrentIndex(0);
}

void Form1::createInputPage(QWidget* page) {
    Label1 = label(page, "Label1", QStringLiteral("URL:"), twipsRect(240, 720, 495, 255),
                   Qt::AlignRight);
    txtURL = textBox(page, "txtURL", QStringLiteral("http://"), twipsRect(840, 720, 3615, 285));
    Label2 = label(page, "Label2", QStringLiteral("File:"), twipsRect(360, 1080, 375, 255),
                   Qt::AlignRight);
    Text1 = textBox(page, "Text1", QStringLiteral("C:\\"), twipsRect(840, 1080, 3615, 285));
    Command2 =
        button(page, "Command2", QStringLiteral("&Browse..."), twipsRect(3360, 1560, 1095, 375));
}

void Form1::createOutputPage(QWidget* page) {
    Label3 = label(page, "Label3", QStringLiteral("File:"), twipsRect(360, 720, 375, 255),
                   Qt::AlignRight);
    Text2 = textBox(page, "Text2", QStringLiteral("C:\\"), twipsRect(840, 720, 3615, 285));
    Command3 =
        button(page, "Command3", QStringLiteral("&Browse..."), twipsRect(3240, 1200, 1095, 375));
}

void Form1::createExtractPage(QWidget* page) {
    Check1 =
        checkBox(page, "Check1", QStringLiteral("S&plit files to"), twipsRect(120, 480, 1215, 255));
    Text3 = textBox(page, "Text3", QStringLiteral("1000"), twipsRect(1299, 480, 735, 285));
    Text3->setEnabled(false);
    Label4 = label(page, "Label4", QStringLiteral("addresses"), twipsRect(2140, 510, 735, 255));
    Check2 =
        checkBox(page, "Check2", QStringLiteral("&Domain sorting"), twipsRect(120, 720, 2055, 255));
    chkSort = checkBox(page, "chkSort", QStringLiteral("&Alphabetical sorting"),
                       twipsRect(120, 960, 2055, 195));
    Check3 = checkBox(page, "Check3", QStringLiteral("&Ignore this domain"),
                      twipsRect(120, 1200, 1695, 195));
    Check3->hide();
    Text4 = textBox(page, "Text4", QString(), twipsRect(120, 1440, 2535, 285));
    Text4->hide();
    Command1 =
        placed(new PictureButton(QStringLiteral("&Extract"), programIcon(), QSize(32, 32), page),
               "Command1", twipsRect(3240, 960, 1095, 735));
    Frame1 = placed(new QGroupBox(QStringLiteral("Output"), page), "Frame1",
                    twipsRect(120, 1920, 4455, 615));
    lblEmail =
        label(Frame1, "lblEmail", QString(), twipsRect(120, 240, 4215, 255), Qt::AlignHCenter);
}

// The design fixes every box's size, so the font is the largest that lets
// every caption fit its box, across and down, with the fonts this system has.
void Form1::chooseFittingFont() {
    QFont font;
    font.setFamilies({QStringLiteral("Liberation Sans"), QStringLiteral("Nimbus Sans"),
                      QStringLiteral("Arial"), QStringLiteral("Helvetica"),
                      QStringLiteral("DejaVu Sans")});
    font.setStyleHint(QFont::SansSerif);
    const QList<QWidget*> captioned = {Label1, Label2,  Label3,   Label4,   Check1,   Check2,
                                       Check3, chkSort, Command1, Command2, Command3, Frame1,
                                       txtURL, Text1,   Text2,    Text3,    Text4};
    for (int pixels = 12; pixels >= 8; --pixels) {
        font.setPixelSize(pixels);
        setFont(font);
        if (std::all_of(captioned.begin(), captioned.end(), captionFits)) break;
    }
    for (QCheckBox* box : {Check1, Check2, chkSort, Check3}) growToCaption(box);
}

void Form1::nameControls() {
    SSTab1->setAccessibleName(QStringLiteral("Pages"));
    for (int i = 0; i < SSTab1->count(); ++i)
        SSTab1->page(i)->setAccessibleName(SSTab1->tabBar()->tabText(i));
    nameField(Label1, txtURL, QStringLiteral("URL"));
    nameField(Label2, Text1, QStringLiteral("Input file"));
    nameField(Label3, Text2, QStringLiteral("Output file"));
    nameField(Label4, Text3, QStringLiteral("Addresses per split file"));
    nameField(nullptr, Text4, QStringLiteral("Domain to ignore"));
    Command2->setAccessibleName(QStringLiteral("Browse for the input file"));
    Command3->setAccessibleName(QStringLiteral("Browse for the output file"));
    Command1->setAccessibleName(QStringLiteral("Extract"));
    lblEmail->setAccessibleName(QStringLiteral("Status"));
}

void Form1::setFocusOrder() {
    const QList<QWidget*> order = {SSTab1, txtURL,   Text1,  Command2, Text2,  Command3, Check1,
                                   Text3,  Command1, Check2, Text4,    Check3, chkSort};
    for (qsizetype i = 1; i < order.size(); ++i) setTabOrder(order[i - 1], order[i]);
    SSTab1->setFocus();
}

}  // namespace rosterly
