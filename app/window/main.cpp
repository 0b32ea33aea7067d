// Rosterly: builds mailing lists of e-mail addresses harvested from text.
#include <QApplication>
#include <cstdio>

#include "command_line/command_line.h"
#include "command_line/run_command_line.h"
#include "hosting/corvell_control_factory.h"
#include "platform/program_directory.h"
#include "platform/qt_common_dialog.h"
#include "platform/qt_message_boxes.h"
#include "program_icon.h"
#include "startup.h"

using namespace rosterly;

int main(int argc, char* argv[]) {
    // With arguments the program runs from the command line and never needs a display.
    // Web harvests and split runs write their files here.
    const QString ownDirectory = programDirectory();
    if (wantsCommandLine(argc, argv)) return runCommandLine(argc, argv, ownDirectory);
    // Qt aborts when it finds no display; say so plainly before it can.
    if (const QString reason = missingDisplayReason(QProcessEnvironment::systemEnvironment());
        !reason.isEmpty()) {
        std::fprintf(stderr, "%s\n", qPrintable(reason));
        return 2;
    }
    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Rosterly"));
    QApplication::setWindowIcon(programIcon());

    QtMessageBoxes messageBoxes;
    QtCommonDialog dialog;
    CorvellControlFactory controls;
    // A failure to create it shows again in the reports of the runs that need it.
    if (const Status made = makeProgramDirectory(ownDirectory); !made.ok())
        std::fprintf(stderr, "%s\n", qPrintable(made.message()));
    const std::unique_ptr<Form1> form =
        openForm1({messageBoxes, dialog, controls, nullptr, ownDirectory});
    if (!form) return 1;
    messageBoxes.setParent(form.get());
    dialog.setParent(form.get());
    form->show();
    form->activateWindow();
    return QApplication::exec();
}
