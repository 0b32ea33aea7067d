// The program's one window, Form1, in its design-time state, with the option
// handlers that keep its options consistent and the control it hosts.
#pragma once

#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QString>
#include <QWidget>
#include <memory>

#include "com/ptr.h"
#include "hosting/control_factory.h"
#include "internet_transfer.h"
#include "platform/common_dialog.h"
#include "platform/message_boxes.h"
#include "platform/rich_text_buffer.h"
#include "tab_control.h"

namespace rosterly {

// The services the window uses; they must outlive it.
struct Form1Services {
    MessageBoxes& messageBoxes;
    CommonDialog& dialog;  // becomes CD1
    ControlFactory& controls;
    // Becomes Inet1; when null the window fetches over libcurl (CurlTransfer).
    InternetTransfer* transfer = nullptr;
    // Where a run puts its temporary file and piece files; when empty, the directory of the
    // running program.
    QString programDirectory = {};
};

class HarvestRun;
class Form1RunWindow;

// The window's widgets under the names the whole program uses; each one's
// object name is the same. Form1 owns them through Qt's parent chain.
struct Form1Controls {
    TabControl* SSTab1 = nullptr;
    // Page 0 "Input File"
    QLabel* Label1 = nullptr;
    QLineEdit* txtURL = nullptr;
    QLabel* Label2 = nullptr;
    QLineEdit* Text1 = nullptr;
    QPushButton* Command2 = nullptr;
    // Page 1 "Output File"
    QLabel* Label3 = nullptr;
    QLineEdit* Text2 = nullptr;
    QPushButton* Command3 = nullptr;
    // Page 2 "Extract"
    QCheckBox* Check1 = nullptr;
    QLineEdit* Text3 = nullptr;
    QLabel* Label4 = nullptr;
    QCheckBox* Check2 = nullptr;
    QCheckBox* chkSort = nullptr;
    QCheckBox* Check3 = nullptr;
    QLineEdit* Text4 = nullptr;
    QPushButton* Command1 = nullptr;
    QGroupBox* Frame1 = nullptr;
    QLabel* lblEmail = nullptr;  // the status line, inside Frame1
};

class Form1 : public QWidget, public Form1Controls {
    Q_OBJECT
public:
    // The form, or why it could not be made (its hosted control could not be
    // created); `failure` is then ready to show to the user.
    struct Creation {
        std::unique_ptr<Form1> form;
        QString failure;
    };
    static Creation create(const Form1Services& services);
    ~Form1() override;

    // The hosted harvesting control, alive as long as the window. Never null.
    IDispatch* Sievan1() const { return m_sievan.get(); }

    // What the form saves for Sievan1: its class and extent, nothing else.
    static SavedControl sievan1SavedState();

private:
    // Inet1 when the services bring none; declared before Inet1, which may refer to it.
    std::unique_ptr<InternetTransfer> m_ownTransfer;

public:
    // Hidden helpers, never shown: the text buffer and the file dialog both
    // Browse buttons share. The seen-list box Bin and the sorted list box
    // List1 have no counterpart: the run keeps one record of what it has
    // accepted (its duplicate test and its lists), and sorts on its own.
    RichTextBuffer rchFile;
    CommonDialog& CD1;
    InternetTransfer& Inet1;

    // The harvest run's state (AddressTable, the counts, ListText ...), alive as long as the
    // window.
    HarvestRun& run() const { return *m_run; }
    // True once the user has closed the window; a run in progress then ends.
    bool isClosing() const { return m_closing; }

public slots:
    void Check1_Click();
    void Check2_Click();
    void Check3_Click();
    void chkSort_Click();
    void txtURL_Change();
    void Command2_Click();
    void Command3_Click();
    // "&Extract": checks the fields and starts the harvest run.
    void Command1_Click();

protected:
    MessageBoxes& messageBoxes() const { return m_messageBoxes; }
    void closeEvent(QCloseEvent* event) override;

private:
    Form1(const Form1Services& services, com::Ptr<IDispatch> sievan);

    // form1_controls.cpp
    void setUpWindow();
    void createControls();
    void createInputPage(QWidget* page);
    void createOutputPage(QWidget* page);
    void createExtractPage(QWidget* page);
    void chooseFittingFont();
    void nameControls();
    void setFocusOrder();

    void connectHandlers();
    // The run driver: everything after the check of the fields.
    void Extract();

    MessageBoxes& m_messageBoxes;
    com::Ptr<IDispatch> m_sievan;
    std::unique_ptr<Form1RunWindow> m_runWindow;
    std::unique_ptr<HarvestRun> m_run;
    bool m_closing = false;
};

}  // namespace rosterly
