#include "form1.h"

#include "corvell_ids.h"

namespace rosterly {
namespace {

// More characters than this in txtURL name a web address (URL mode).
constexpr int kLongestFilePathInUrlField = 9;
// Alphabetical on top of domain sorting gets slow beyond this output size.
constexpr int kLargeOutputFileChars = 20000;

const QString kInputFilter = QStringLiteral("All Files | *.");
const QString kOutputFilter = QStringLiteral("Word Files | *.doc");

QString sizeWarning() {
    return QStringLiteral(
        "Using Alphabetical sorting and\r\n"
        "Domain sorting with this file\r\n"
        "may cause your system to not\r\n"
        "respond!");
}

}  // namespace

Form1::Creation Form1::create(const Form1Services& services) {
    HostedControl hosted = services.controls.create(sievan1SavedState());
    if (FAILED(hosted.status) || !hosted.control) return {nullptr, hosted.failure};
    return {std::unique_ptr<Form1>(new Form1(services, std::move(hosted.control))), {}};
}

SavedControl Form1::sievan1SavedState() {
    return {CLSID_Sievan, 635, 582};
}

Form1::Form1(const Form1Services& services, com::Ptr<IDispatch> sievan)
    : CD1(services.dialog), m_messageBoxes(services.messageBoxes), m_sievan(std::move(sievan)) {
    setUpWindow();
    createControls();
    chooseFittingFont();
    setFocusOrder();
    connectHandlers();
    CD1.setFilter(kInputFilter);
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
    // Only a warning: an output file that does not exist yet or cannot be
    // read is no reason to stop, so the load's outcome is not looked at and
    // the test applies to whatever the buffer then holds.
    (void)rchFile.loadFile(Text2->text(), RichTextBuffer::Format::Plain);
    if (rchFile.text().size() > kLargeOutputFileChars)
        m_messageBoxes.show(sizeWarning(), MessageIcon::Exclamation);
    rchFile.setText(QString());
}

void Form1::txtURL_Change() {
    const bool urlMode = txtURL->text().size() > kLongestFilePathInUrlField;
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
    // The harvest run is wired in here by the harvest layer.
}

}  // namespace rosterly
