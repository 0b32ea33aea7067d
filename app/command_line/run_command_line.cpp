#include "run_command_line.h"

#include <QCoreApplication>

#include <unistd.h>
#include <cstdio>

#include "command_line.h"
#include "console_message_boxes.h"
#include "console_window.h"
#include "curl_transfer.h"
#include "harvest_run.h"
#include "hosting/corvell_control_factory.h"
#include "hosting/hosted_sievan.h"
#include "platform/program_directory.h"
#include "platform/rich_text_buffer.h"
#include "size_warning.h"

namespace rosterly {
namespace {

void say(std::FILE* stream, const QString& text) {
    std::fprintf(stream, "%s", text.toLocal8Bit().constData());
    std::fflush(stream);
}

int harvest(const HarvestOptions& options, const QString& programDirectory) {
    CorvellControlFactory controls;
    const HostedControl hosted = controls.create(hostedSievan());
    if (!hosted.control) {
        say(stderr, QStringLiteral("rosterly: %1\n").arg(hosted.failure));
        return 1;
    }
    if (options.split || options.urlMode()) {
        if (const Status made = makeProgramDirectory(programDirectory); !made.ok())
            say(stderr, QStringLiteral("rosterly: %1\n").arg(made.message()));
    }
    ConsoleMessageBoxes boxes(stdout, stderr);
    RichTextBuffer rchFile;
    if (options.domain && options.sort && isLargeListFile(rchFile, options.output))
        boxes.show(sizeWarning(), MessageIcon::Exclamation);
    ConsoleWindow window(options, ::isatty(::fileno(stderr)) ? stderr : nullptr);
    CurlTransfer transfer;
    HarvestRun run({window, boxes, rchFile, transfer, hosted.control.get(), programDirectory});
    run.Extract();
    if (ConsoleWindow::interrupted()) {
        say(stderr, QStringLiteral("rosterly: interrupted; no list was written.\n"));
        return 1;
    }
    if (options.split)
        say(stdout, QStringLiteral("The piece files are in %1\n").arg(programDirectory));
    return run.failures().isEmpty() ? 0 : 1;
}

}  // namespace

int runCommandLine(int argc, char* argv[], const QString& programDirectory) {
    QCoreApplication application(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("rosterly"));
    QCoreApplication::setApplicationVersion(QStringLiteral(ROSTERLY_VERSION));
    const CommandLine line = parseCommandLine(QCoreApplication::arguments());
    switch (line.action) {
        case CommandLine::Action::Help:
            say(stdout, line.usage);
            return 0;
        case CommandLine::Action::Version:
            say(stdout, QStringLiteral("rosterly %1\n").arg(QStringLiteral(ROSTERLY_VERSION)));
            return 0;
        case CommandLine::Action::UsageError:
            say(stderr, QStringLiteral("rosterly: %1\n\n%2").arg(line.error, line.usage));
            return 2;
        case CommandLine::Action::Harvest:
            break;
    }
    return harvest(line.options, programDirectory.isEmpty() ? QCoreApplication::applicationDirPath()
                                                            : programDirectory);
}

}  // namespace rosterly
