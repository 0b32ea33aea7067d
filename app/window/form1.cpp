#include "form1.h"

#include <QCloseEvent>
#include <QCoreApplication>

#include "curl_transfer.h"
#include "field_check.h"
#include "form1_run_window.h"
#include "harvest_run.h"
#include "hosting/hosted_sievan.h"
#include "platform/home_path.h"
#include "size_warning.h"

namespace rosterly {
namespace {

const QString kInputFilter = QStringLiteral("All Files | *.");
const QString kOutputFilter = QStringLiteral("Word Files | *.doc");

std::unique_ptr<InternetTransfer> ownTransferUnless(const InternetTransfer* given) {
    if (given) return nullptr;
    return std::make_unique<CurlTransfer>();
}

QString programDirectoryOr(const QString& given) {
    return given.isEmpty() ? QCoreApplication::applicationDirPath() : given;
}

}  // namespace

Form1::Creation Form1::create(const Form1Services& services) {
    HostedControl hosted = services.controls.create(sievan1SavedState());
    if (FAILED(hosted.status) || !hosted.control) return {nullptr, hosted.failure};
    return {std::unique_ptr<Form1>(new Form1(services, std::move(hosted.control))), {}};
}

SavedControl Form1::sievan1SavedState() {
    return hostedSievan();
}

Form1::Form1(const Form1Services& services, com::Ptr<IDispatch> sievan)
    : m_ownTransfer(ownTransferUnless(services.transfer)),
      CD1(services.dialog),
      Inet1(services.transfer ? *services.transfer : *m_ownTransfer),
      m_messageBoxes(services.messageBoxes),
      m_sievan(std::move(sievan)) {
    setUpWindow();
    createControls();
    chooseFittingFont();
    nameControls();
    setFocusOrder();
    connectHandlers();
    CD1.setFilter(kInputFilter);
    m_runWindow = std::make_unique<Form1RunWindow>(*this);
    m_run = std::make_unique<HarvestRun>(
        HarvestParts{*m_runWindow, m_messageBoxes, rchFile, Inet1, m_sievan.get(),
                     programDirectoryOr(services.programDirectory)});
}

Form1::~Form1() = default;

void Form1::connectHandlers() {
    // toggled is emitted synchronously and only when the state changes, also
    // when code sets it: a handler that sets a box runs that box's handler
    // nested, before it goes on.
    connect(Check1, &QCheckBox::toggled, this, &Form1::Check1_Click);
    connect(Check2, &QCheckBox::toggled, this, &Form1::Check2_Click);
    connect(Check3, &QCheckBox::toggled, this, &Form1::Check3_Click);
    connect(chkSort, &QCheckBox::toggled, this, &Form1::chkSort_Click);
    connect(txtURL, &QLineEdit::textChanged, this, &Form1::txtURL_Change);
    connect(Command2, &QPushButton::clicked, this, &Form1::Command2_Click);
    connect(Command3, &QPushButton::clicked, this, &Form1::Command3_Click);
    connect(Command1, &QPushButton::clicked, this, &Form1::Command1_Click);
}

void Form1::Check1_Click() {
    if (Check2->isChecked() && Check1->isChecked()) Check1->setChecked(false);
    Text3->setEnabled(Check1->isChecked());
}

void Form1::Check2_Click() {
    if (Check1->isChecked() && Check2->isChecked()) Check1->setChecked(false);
    const bool domainSorting = Check2->isChecked();
    Text4->setVisible(domainSorting);
    Check3->setVisible(domainSorting);
}

void Form1::Check3_Click() {
    Text4->setEnabled(Check3->isChecked());
}

void Form1::chkSort_Click() {
    if (!chkSort->isChecked() || !Check2->isChecked()) return;
    // Only a warning: an output file that does not exist yet or cannot be read is no reason
    // to stop.
    if (isLargeListFile(rchFile, expandHome(Text2->text())))
        m_messageBoxes.show(sizeWarning(), MessageIcon::Exclamation);
}

void Form1::txtURL_Change() {
    const bool urlMode = isUrlMode(txtURL->text());
    for (QCheckBox* option : {chkSort, Check1, Check2, Check3}) {
        if (urlMode) option->setChecked(false);
        option->setEnabled(!urlMode);
    }
}

void Form1::Command2_Click() {
    CD1.setFilter(kInputFilter);
    CD1.showOpen();
    if (const QString chosen = CD1.fileName(); !chosen.isEmpty()) Text1->setText(chosen);
}

void Form1::Command3_Click() {
    CD1.setFilter(kOutputFilter);
    CD1.showSave();
    if (const QString chosen = CD1.fileName(); !chosen.isEmpty()) Text2->setText(chosen);
}

void Form1::Command1_Click() {
    switch (checkFields(txtURL->text(), Text1->text(), Text2->text())) {
        case FieldFault::Input:
            SSTab1->setCurrentIndex(0);
            m_messageBoxes.show(QStringLiteral("Invalid input file or address!"),
                                MessageIcon::Critical);
            return;
        case FieldFault::Output:
            SSTab1->setCurrentIndex(1);
            m_messageBoxes.show(QStringLiteral("Invalid output file!"), MessageIcon::Critical);
            return;
        case FieldFault::None:
            break;
    }
    SSTab1->setEnabled(false);
    Extract();
}

void Form1::Extract() {
    m_run->Extract();
}

// A run in progress sees the flag after its next yield and ends.
void Form1::closeEvent(QCloseEvent* event) {
    m_closing = true;
    QWidget::closeEvent(event);
}

}  // namespace rosterly
