#include "form1_run_window.h"

#include <QCoreApplication>

#include "form1.h"
#include "platform/home_path.h"

namespace rosterly {

// Check boxes count as on only when ticked; a greyed-out box is not ticked. A path typed as
// "~/..." starts in the user's home directory, as in a shell.
HarvestOptions Form1RunWindow::options() const {
    HarvestOptions options;
    options.url = m_form.txtURL->text();
    options.inputs = QStringList{expandHome(m_form.Text1->text())};
    options.output = expandHome(m_form.Text2->text());
    options.pieceSizeText = m_form.Text3->text();
    options.split = m_form.Check1->isChecked();
    options.domain = m_form.Check2->isChecked();
    options.sort = m_form.chkSort->isChecked();
    options.ignored = {m_form.Check3->isChecked(), m_form.Text4->text()};
    return options;
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
