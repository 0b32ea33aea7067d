#include "form1_run_window.h"

#include <QCoreApplication>

#include "form1.h"
#include "platform/home_path.h"

namespace rosterly {

QString Form1RunWindow::urlText() const {
    return m_form.txtURL->text();
}

// A path typed as "~/..." starts in the user's home directory, as in a shell.
QString Form1RunWindow::inputPath() const {
    return expandHome(m_form.Text1->text());
}

QString Form1RunWindow::outputPath() const {
    return expandHome(m_form.Text2->text());
}

QString Form1RunWindow::pieceSizeText() const {
    return m_form.Text3->text();
}

bool Form1RunWindow::splitOn() const {
    return m_form.Check1->isChecked();
}

bool Form1RunWindow::domainOn() const {
    return m_form.Check2->isChecked();
}

bool Form1RunWindow::sortOn() const {
    return m_form.chkSort->isChecked();
}

IgnoredDomain Form1RunWindow::ignoredDomain() const {
    return {m_form.Check3->isChecked(), m_form.Text4->text()};
}

// Painted at once: "Retrieving..." comes before a fetch that does not yield.
void Form1RunWindow::setStatus(const QString& text) {
    m_form.lblEmail->setText(text);
    m_form.lblEmail->repaint();
}

void Form1RunWindow::yield() {
    QCoreApplication::processEvents(QEventLoop::AllEvents);
}

bool Form1RunWindow::closing() const {
    return m_form.isClosing();
}

void Form1RunWindow::enableSSTab1() {
    m_form.SSTab1->setEnabled(true);
}

}  // namespace rosterly
